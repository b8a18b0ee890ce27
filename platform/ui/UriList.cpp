#include "platform/ui/UriList.h"
#include "platform/kernel/TextConvert.h"
#include <cstdlib>

namespace {
int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The path of one URI, or false when it names no local file.
bool LocalPath(const std::string& uri, std::string& path) {
    if (uri.compare(0, 5, "file:") != 0) return false;
    std::string rest = uri.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        size_t slash = rest.find('/', 2);
        if (slash == std::string::npos) return false;
        std::string host = rest.substr(2, slash - 2);
        if (!host.empty() && host != "localhost") return false; // another machine's file
        rest = rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') return false;
    path.clear();
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        int hi = i + 2 < rest.size() ? Hex(rest[i + 1]) : -1,
            lo = i + 2 < rest.size() ? Hex(rest[i + 2]) : -1;
        if (hi < 0 || lo < 0) return false;
        char c = static_cast<char>(hi * 16 + lo);
        if (c == '\0') return false; // a NUL would cut the path short
        path += c;
        i += 2;
    }
    return true;
}
} // namespace

std::vector<std::wstring> ParseUriList(const std::string& list) {
    std::vector<std::wstring> out;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t eol = list.find('\n', pos);
        std::string line =
            list.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        pos = eol == std::string::npos ? list.size() : eol + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::string path;
        if (!LocalPath(line, path)) continue;
        std::vector<wchar_t> wide(path.size() + 1);
        MultiByteToWide(path.c_str(), wide.data(), wide.size());
        out.emplace_back(wide.data());
    }
    return out;
}
