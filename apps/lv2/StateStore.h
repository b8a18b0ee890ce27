// The plug-in's host state. With state:makePath and state:mapPath: the
// project's structure as an atom:Chunk (key #project) and each Loop Bin
// entry's sample data as its own WAV file beside the state, stored as an
// atom:Path (keys #wave-0, #wave-1, ... in the structure's order), so a save
// that does not touch the audio writes almost nothing. Without them: the
// instrument's whole stream as one atom:Chunk (key #state), self-contained, as
// older versions saved it; that form still restores. State thread; may block
// on the file system and on the instrument's lock, never on the plug-in's.
#pragma once
#include "apps/lv2/WaveFiles.h"
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <string>
#include <vector>

class IPersistStream;

class CStateStore {
public:
    // Instantiation thread.
    void Init(const LV2_URID_Map* pMap);

    // Saves the instrument's state; a failure with its cause in *pstrError.
    LV2_State_Status Save(IPersistStream* pPersist, LV2_State_Store_Function store,
                          LV2_State_Handle handle, const LV2_Feature* const* features,
                          std::string* pstrError);
    // Restores a state of either form. Nothing reaches the instrument unless
    // every file was read whole and unchanged, so a failure leaves its project as it was.
    LV2_State_Status Restore(IPersistStream* pPersist, LV2_State_Retrieve_Function retrieve,
                             LV2_State_Handle handle, const LV2_Feature* const* features,
                             std::string* pstrError);
    // What the last save did with its waves (for tests and diagnostics).
    struct SaveCounts {
        int nKept = 0, nLinked = 0, nNew = 0;
        size_t nNewBytes = 0;
    };
    SaveCounts LastSave() const { return m_last; }

private:
    LV2_URID WaveKey(size_t nIndex) const;
    LV2_State_Status SaveFiles(const std::vector<uint8_t>& stream, LV2_State_Store_Function store,
                               LV2_State_Handle handle, const CWaveFiles::Features& features,
                               std::string* pstrError);
    // The stream of a #project structure, its waves read through their paths.
    bool ReadFiles(const void* pStructure, size_t nSize, LV2_State_Retrieve_Function retrieve,
                   LV2_State_Handle handle, const CWaveFiles::Features& features,
                   std::vector<uint8_t>* pStream, std::string* pstrError);

    const LV2_URID_Map* m_pMap = nullptr;
    LV2_URID m_chunk = 0, m_path = 0, m_stateKey = 0, m_projectKey = 0;
    CWaveFiles m_files;
    SaveCounts m_last;
};
