// A small LV2 host over lilv for the plug-in's tests: loads the build tree's
// bundle, instantiates the plug-in with a URID map, feeds MIDI at frames,
// renders the mix, and saves and restores state through the state interface.
// It offers a worker and a log, sends patch messages to the file parameters
// and keeps what the plug-in says on its notify port.
#pragma once
#include "lv2/Lv2TestWorker.h"
#include <array>
#include <cstdint>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CLv2TestHost {
public:
    static constexpr uint32_t kBlock = 256;
    static constexpr uint32_t kOutputPorts = 34;

    struct Note {
        uint32_t nFrame; // from the start of the render
        uint8_t nStatus, nKey, nVelocity;
    };
    // A time:Position object; negative fields are left out.
    struct Position {
        uint32_t nFrame; // from the start of the render; sent before notes at the same frame
        double dSpeed = 1.0;
        double dBpm = -1.0;
        int64_t llSongFrame = -1;
        int64_t llBar = -1; // with dBarBeat, in 4/4
        double dBarBeat = -1.0;
    };

    explicit CLv2TestHost(const std::string& strBundle);
    ~CLv2TestHost();

    // Test thread. A fresh instance at 44.1 kHz; false when lilv refuses it.
    // The MIDI sequence sits nSequenceOffset bytes into an 8-byte aligned
    // buffer (4: as some hosts place it).
    bool Instantiate(size_t nSequenceOffset = 0);
    // Whether the next instances are offered the worker (they always get the log).
    void OfferWorker(bool bOffer) { m_bOfferWorker = bOffer; }
    CLv2TestWorker& Worker() { return *m_pWorker; }
    // A patch:Set of a file parameter (its URI) to an atom:Path, or a
    // patch:Get (an empty property: every parameter), sent at frame 0 of the next block.
    void SetFile(const std::string& strProperty, const std::string& strPath);
    void GetParams(const std::string& strProperty = "");
    // Any atom (header and body) as an event at frame 0 of the next block.
    void SendAtom(const std::vector<uint8_t>& atom) { m_atoms.push_back(atom); }
    LV2_URID MapUri(const char* pszUri) { return Map(pszUri); }
    // The patch:Set messages of the notify port since the last call: property URI, value.
    std::vector<std::pair<std::string, std::string>> TakeNotified();
    void Release();
    bool Restore(const std::vector<uint8_t>& state);
    bool Save(std::vector<uint8_t>* pState);
    // Saves the instance's state as a host's state directory (DIR/state.ttl),
    // through lilv as hosts do. False when lilv fails.
    bool SaveStateDirectory(const std::string& strDir);
    // Restores the state of a state file as lilv reads it (a state directory's
    // state.ttl, a preset's file). False when lilv cannot read the file; a
    // state the plug-in refuses shows only in what it plays and logs.
    bool RestoreStateFile(const std::string& strFile);
    // Restores a preset the loaded bundles describe. False when lilv has no such preset.
    bool RestorePreset(const std::string& strUri);
    // The presets of the plug-in that the loaded bundles describe.
    std::vector<std::string> Presets();
    // Saves state and, while the plug-in stores it (holding the instrument),
    // runs one block with the notes on another thread; returns that block's mix.
    std::array<std::vector<float>, 2> RunDuringSave(const std::vector<Note>& notes,
                                                    uint32_t nFrameBase = 0,
                                                    const std::vector<Position>& positions = {});
    // Renders nBlocks blocks with the notes at their frames; returns the mix (left, right).
    std::array<std::vector<float>, 2> Render(const std::vector<Note>& notes, uint32_t nBlocks,
                                             const std::vector<Position>& positions = {});
    // Runs the block that starts at frame nFrameBase of the render with the
    // notes and positions that fall in it; allocates nothing once URIDs are mapped.
    void RunBlock(const std::vector<Note>& notes, uint32_t nFrameBase,
                  const std::vector<Position>& positions = {});
    // Runs one block of nFrames frames (1..kMaxBlock) that starts at frame
    // nFrameBase, into the wide buffers; allocates nothing once URIDs are mapped.
    void RunFrames(uint32_t nFrames, const std::vector<Note>& notes, uint32_t nFrameBase,
                   const std::vector<Position>& positions = {});
    static constexpr uint32_t kMaxBlock = 1024;
    static constexpr uint32_t kNotifyPort = 2 + kOutputPorts;
    // Output port n's buffer of the last block (0 and 1: the mix).
    const std::vector<float>& Output(uint32_t n) const { return m_outputs[n]; }
    // Output port n's buffer of the last RunFrames block (kMaxBlock frames).
    const std::vector<float>& WideOutput(uint32_t n) const { return m_wide[n]; }
    // The value on the host_key port (its scale points: -1 None, 0 C ... 11 B)
    // for the next blocks.
    void SetHostKey(float fKey) { m_fHostKey = fKey; }
    const LilvPlugin* Plugin() const { return m_pPlugin; }
    LilvInstance* Instance() const { return m_pInstance; }

private:
    LV2_URID Map(const char* pszUri);
    // Writes the block's events into the input sequence.
    void Forge(const std::vector<Note>& notes, uint32_t nFrameBase, uint32_t nFrames,
               const std::vector<Position>& positions);
    static LV2_URID MapThunk(LV2_URID_Map_Handle h, const char* pszUri);
    static const char* UnmapThunk(LV2_URID_Unmap_Handle h, LV2_URID urid);
    // After a run: the worker's turn, and the notify port's events kept.
    void AfterRun();

    LilvWorld* m_pWorld = nullptr;
    const LilvPlugin* m_pPlugin = nullptr;
    LilvInstance* m_pInstance = nullptr;
    std::map<std::string, LV2_URID, std::less<>> m_urids;
    std::vector<const std::string*> m_uris; // by URID - 1
    LV2_URID_Map m_map{};
    LV2_URID_Unmap m_unmap{};
    LV2_Feature m_mapFeature{};
    const LV2_Feature* m_features[4]{};
    std::unique_ptr<CLv2TestWorker> m_pWorker;
    bool m_bOfferWorker = true;
    struct Patch {
        bool bGet;
        std::string strProperty, strPath;
    };
    std::vector<Patch> m_patches; // to send with the next block
    std::vector<std::vector<uint8_t>> m_atoms;
    alignas(8) std::array<uint8_t, 32768> m_notifyBuffer{};
    std::vector<uint8_t> m_notified; // the notify port's events as sent; capacity reserved
    alignas(8) std::array<uint8_t, 8192> m_sequenceBuffer{};
    uint8_t* m_pSequence = m_sequenceBuffer.data();
    size_t m_nSequenceBytes = m_sequenceBuffer.size();
    std::array<std::vector<float>, kOutputPorts> m_outputs;
    std::array<std::vector<float>, kOutputPorts> m_wide;
    float m_fHostKey = -1.0f;
};
