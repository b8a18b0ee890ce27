// Reading a text/uri-list (the files of a desktop drag) into local paths.
// Any thread.
#pragma once
#include <string>
#include <vector>

// The local paths of the file: URIs in the list, percent-decoded; comment
// lines, other schemes, remote hosts and malformed escapes are skipped.
std::vector<std::wstring> ParseUriList(const std::string& list);
