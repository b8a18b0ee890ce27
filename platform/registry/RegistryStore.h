// The registry's contents as one in-memory tree, read from and written to the
// registry file. Used by the registry calls under their module's mutex.
#pragma once
#include <map>
#include <string>
#include <utility>

struct RegNode {
    std::string name; // the key's own name, in the case it was created with
    // Lower-case value name -> (name as given, text). The default value's name is "".
    std::map<std::string, std::pair<std::string, std::string>> values;
};

class CRegistryStore {
public:
    // Lower-case full path ("hkcr\\clsid\\{...}") -> key. Roots are implicit.
    std::map<std::string, RegNode> keys;

    // False when the file exists but cannot be read; a missing file is empty.
    bool Load(const std::string& path);
    // Writes a temporary file beside path and renames it over path.
    bool Save(const std::string& path) const;

    static std::string Lower(const std::string& s);
    static bool IsRoot(const std::string& lowerPath);
    bool Exists(const std::string& lowerPath) const {
        return IsRoot(lowerPath) || keys.count(lowerPath) != 0;
    }
    bool HasSubkeys(const std::string& lowerPath) const;
};
