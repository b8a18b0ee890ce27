// Which file a path names, whatever its spelling ("b.pnd", "./b.pnd",
// "../x/b.pnd", a symbolic or hard link): used to refuse writing a command's
// output over one of its inputs, or two outputs over each other.
#pragma once
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

class CFileIdentity {
public:
    explicit CFileIdentity(const std::string& strPath);

    // An existing file is known by its device and inode; a file still to be
    // made by its folder's real path and its name.
    bool operator==(const CFileIdentity& other) const;

private:
    bool m_bExists = false;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    std::string m_strCanonical;
};

// Throws CCliError naming strOutput when it is the same file as one of the
// inputs, each given as (what it is, its path): "the project", "b.pnd".
void RefuseOverwrite(const std::string& strOutput,
                     const std::vector<std::pair<std::string, std::string>>& inputs);
