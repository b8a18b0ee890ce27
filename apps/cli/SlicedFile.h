// A sliced copy of a file kept in a folder (the project's) as NAME.sliced.wav,
// so that the Loop Bin entry loaded from it names a file that holds its
// samples. A file of that name with the same bytes is taken as it is; one with
// other bytes is never overwritten, and a missing one that the Loop Bin still
// names is not written again: the next free NAME.sliced-2.wav, -3, ... is.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

class CSlicedFile {
public:
    static constexpr int kMaxNumber = 999;

    // taken: the paths the Loop Bin names. Throws CCliError when the folder
    // cannot take the copy.
    CSlicedFile(const std::string& strSource, const std::vector<uint8_t>& bytes,
                const std::string& strFolder, const std::set<std::string>& taken);
    // Removes a copy this object wrote, unless it was kept.
    ~CSlicedFile();
    CSlicedFile(const CSlicedFile&) = delete;
    CSlicedFile& operator=(const CSlicedFile&) = delete;

    // The copy's absolute path.
    const std::string& Path() const { return m_strPath; }
    // Written now, not found with the same bytes.
    bool IsNew() const { return m_bNew; }
    void Keep() { m_bKeep = true; }

    // "NAME.sliced.wav" for number 1, else "NAME.sliced-N.wav"; NAME is the
    // source's file name without its extension.
    static std::string CopyName(const std::string& strSource, int nNumber);

private:
    std::string m_strPath;
    bool m_bNew = false;
    bool m_bKeep = false;
};
