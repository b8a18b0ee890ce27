#include "platform/registry/RegistryStore.h"
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {
std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

// Reads an escaped run up to the unescaped terminator at text[i]; i is left on it.
std::string Unescape(const std::string& text, size_t& i, char terminator) {
    std::string out;
    for (; i < text.size() && text[i] != terminator; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}
} // namespace

std::string CRegistryStore::Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool CRegistryStore::IsRoot(const std::string& p) {
    return p == "hkcr" || p == "hkcu" || p == "hklm";
}

bool CRegistryStore::HasSubkeys(const std::string& p) const {
    // Keys sort with their subkeys right after "path\".
    auto it = keys.lower_bound(p + "\\");
    return it != keys.end() && it->first.compare(0, p.size() + 1, p + "\\") == 0;
}

bool CRegistryStore::Load(const std::string& path) {
    keys.clear();
    std::ifstream in(path);
    if (!in) return access(path.c_str(), F_OK) != 0; // missing: an empty registry
    std::string line;
    RegNode* pNode = nullptr;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t i = 1;
        if (line[0] == '[') {
            // Key paths are written as they are: names hold no "\" and no line break.
            if (line.back() != ']') continue;
            const std::string full = line.substr(1, line.size() - 2);
            const size_t slash = full.rfind('\\');
            RegNode& node = keys[Lower(full)];
            node.name = slash == std::string::npos ? full : full.substr(slash + 1);
            pNode = &node;
            // Parents of a key always exist.
            for (size_t s = full.find('\\'); s != std::string::npos; s = full.find('\\', s + 1)) {
                const std::string parent = full.substr(0, s);
                if (IsRoot(Lower(parent))) continue;
                RegNode& p = keys[Lower(parent)];
                if (p.name.empty()) p.name = parent.substr(parent.rfind('\\') + 1);
            }
        } else if (pNode != nullptr) {
            std::string name;
            if (line[0] == '@') {
                i = 1;
            } else if (line[0] == '"') {
                name = Unescape(line, i, '"');
                ++i;
            } else {
                continue;
            }
            if (i + 1 >= line.size() || line[i] != '=' || line[i + 1] != '"') continue;
            i += 2;
            const std::string value = Unescape(line, i, '"');
            pNode->values[Lower(name)] = {name, value};
        }
    }
    return true;
}

bool CRegistryStore::Save(const std::string& path) const {
    std::ostringstream out;
    out << "# Pandrel registry\n";
    for (const auto& [lower, node] : keys) {
        // The stored path keeps each component's own case.
        std::string full;
        for (size_t s = 0; s != std::string::npos;) {
            const size_t e = lower.find('\\', s);
            const std::string prefix = lower.substr(0, e);
            std::string part;
            if (IsRoot(prefix)) {
                part = prefix == "hkcr" ? "HKCR" : prefix == "hkcu" ? "HKCU" : "HKLM";
            } else {
                auto it = keys.find(prefix);
                part = it != keys.end() ? it->second.name
                                        : lower.substr(s, e == std::string::npos ? e : e - s);
            }
            full += (full.empty() ? "" : "\\") + part;
            s = e == std::string::npos ? e : e + 1;
        }
        out << '[' << full << "]\n";
        for (const auto& [key, nv] : node.values) {
            if (nv.first.empty())
                out << '@';
            else
                out << '"' << Escape(nv.first) << '"';
            out << "=\"" << Escape(nv.second) << "\"\n";
        }
    }
    const std::string tmp = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream f(tmp, std::ios::trunc);
        if (!f) return false;
        f << out.str();
        f.flush();
        if (!f) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}
