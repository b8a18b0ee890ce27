// The wave files beside a host state: each written through state:makePath
// under its content's name and stored as a path mapped by state:mapPath; a
// file already there with that name and size is kept, and one written or read
// before is hard-linked rather than written again. State thread (save and
// restore); may block on the file system; never takes the instrument's lock.
#pragma once
#include <cstddef>
#include <cstdint>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <map>
#include <mutex>
#include <string>

class CWaveFiles {
public:
    // The path features a save or restore call was given.
    struct Features {
        const LV2_State_Make_Path* pMake = nullptr;
        const LV2_State_Map_Path* pMap = nullptr;
        const LV2_State_Free_Path* pFree = nullptr;
        static Features From(const LV2_Feature* const* features);
        // A path returned by a feature, freed as the host asks; empty for null.
        std::string Take(char* psz) const;
    };
    // What a write did, for the caller's records.
    enum class Written { Kept, Linked, New };

    // Save: puts the wave's bytes in the state's directory and answers the
    // abstract path to store. False with the cause.
    bool Write(const Features& features, const uint8_t* pb, size_t nBytes, uint64_t llHash,
               std::string* pstrStored, Written* pWritten, std::string* pstrError);
    // Restore: reads the file a stored path names into pDest, which holds
    // exactly nBytes; the size and the hash must match. False with the cause.
    bool Read(const Features& features, const std::string& strStored, uint8_t* pDest, size_t nBytes,
              uint64_t llHash, std::string* pstrError);

private:
    void Remember(uint64_t llHash, const std::string& strPath);
    std::string Known(uint64_t llHash);

    std::mutex m_lock;                       // the table, should two state calls overlap
    std::map<uint64_t, std::string> m_known; // content hash -> a file last written or read
};
