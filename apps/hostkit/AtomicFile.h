// A file that appears whole or not at all: bytes go to a temporary file in the
// target's folder, and Commit renames it over the target. A file that is never
// committed is removed when the object goes away, or by a signal that ends the
// program (see CTempFiles).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class CAtomicFile {
public:
    CAtomicFile() = default;
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file next to strPath. False with Error() set.
    bool Open(const std::string& strPath);
    // Appends bytes; after a failure every further call fails too.
    bool Write(const void* pData, size_t nBytes);
    // Overwrites bytes already written (a header patched at the end).
    bool WriteAt(uint64_t nOffset, const void* pData, size_t nBytes);
    // Flushes to disk and renames over the target. False with Error() set,
    // and then the temporary file is gone.
    bool Commit();
    // Drops the temporary file.
    void Discard();

    const std::string& Path() const { return m_strPath; }
    // Why the last call failed (the system's text), empty when none did.
    const std::string& Error() const { return m_strError; }

private:
    bool Failed(const char* pszWhat);

    std::string m_strPath;
    std::string m_strTempPath;
    std::string m_strError;
    int m_nFd = -1;
    int m_nTempSlot = -1; // in CTempFiles while the temporary file exists
};
