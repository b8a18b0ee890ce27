// A small lilv host for timing LV2 plug-ins alike: URID map and unmap, a
// worker that runs scheduled work at once and hands the responses back after
// run(), the block-length and sample-rate options with bounded block length,
// and every port connected (controls at their defaults).
#pragma once
#include <array>
#include <cstdint>
#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>
#include <map>
#include <string>
#include <vector>

class CLv2BenchHost {
public:
    struct Midi {
        uint8_t nStatus, nKey, nVelocity;
    };

    // lilv's world: the system's plug-ins and those on LV2_PATH.
    CLv2BenchHost();
    ~CLv2BenchHost();
    CLv2BenchHost(const CLv2BenchHost&) = delete;
    CLv2BenchHost& operator=(const CLv2BenchHost&) = delete;

    // Instantiates the plug-in at dRate for blocks of nBlock frames, and
    // activates it. False with the cause in *pstrError.
    bool Open(const char* pszUri, double dRate, uint32_t nBlock, std::string* pstrError);
    void Close();
    // Hands the plug-in one chunk property through its state interface.
    bool RestoreChunk(const char* pszKey, const std::vector<uint8_t>& bytes);
    // Next block starts the transport at frame 0 at dBpm and plays the notes at its first frame.
    void QueueStart(double dBpm, const std::vector<Midi>& notes);
    // One block: the queued events, run(), the worker's responses.
    void RunBlock();
    // Audio output ports of the open plug-in.
    uint32_t AudioOutputs() const { return m_nAudioOutputs; }
    // Sum of magnitudes over every audio buffer after the last block.
    double AudioMagnitude() const;

private:
    LV2_URID Map(const char* pszUri);
    static LV2_URID MapThunk(LV2_URID_Map_Handle h, const char* pszUri);
    static const char* UnmapThunk(LV2_URID_Unmap_Handle h, LV2_URID urid);
    static LV2_Worker_Status ScheduleThunk(LV2_Worker_Schedule_Handle h, uint32_t nSize,
                                           const void* pData);
    static LV2_Worker_Status RespondThunk(LV2_Worker_Respond_Handle h, uint32_t nSize,
                                          const void* pData);
    void ConnectPorts();
    void WriteInput();

    LilvWorld* m_pWorld = nullptr;
    const LilvPlugin* m_pPlugin = nullptr;
    LilvInstance* m_pInstance = nullptr;
    const LV2_Worker_Interface* m_pWorker = nullptr;
    uint32_t m_nBlock = 0;
    uint32_t m_nAudioOutputs = 0;
    std::map<std::string, LV2_URID, std::less<>> m_urids;
    std::vector<std::string> m_uris; // index urid - 1
    LV2_URID_Map m_map{};
    LV2_URID_Unmap m_unmap{};
    LV2_Worker_Schedule m_schedule{};
    int32_t m_nMinBlock = 0, m_nMaxBlock = 0, m_nNominalBlock = 0;
    float m_fRate = 0.0f;
    std::array<LV2_Options_Option, 5> m_options{};
    std::array<LV2_Feature, 6> m_features{};
    std::array<const LV2_Feature*, 7> m_featureList{};
    std::vector<std::vector<uint8_t>> m_pendingWork; // scheduled before the worker was known
    std::vector<std::vector<uint8_t>> m_responses;
    std::vector<std::vector<float>> m_audio;
    std::vector<float> m_controls;
    std::vector<std::vector<uint64_t>> m_atomIn, m_atomOut; // 8-byte aligned sequence buffers
    int m_nEventPort = -1;                                  // index into m_atomIn
    std::vector<Midi> m_queuedNotes;
    double m_dQueuedBpm = 0.0;
    LV2_Atom_Forge m_forge{};
    // Mapped once, so that a block maps nothing.
    LV2_URID m_nChunk = 0, m_nMidiEvent = 0, m_nPosition = 0, m_nSpeed = 0, m_nBpm = 0,
             m_nFrame = 0;
};
