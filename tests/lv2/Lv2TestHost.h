// A small LV2 host over lilv for the plug-in's tests: loads the build tree's
// bundle, instantiates the plug-in with a URID map, feeds MIDI at frames,
// renders the mix, and saves and restores state through the state interface.
#pragma once
#include <array>
#include <cstdint>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <map>
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

    explicit CLv2TestHost(const std::string& strBundle);
    ~CLv2TestHost();

    // Test thread. A fresh instance at 44.1 kHz; false when lilv refuses it.
    bool Instantiate();
    void Release();
    bool Restore(const std::vector<uint8_t>& state);
    bool Save(std::vector<uint8_t>* pState);
    // Saves state and, while the plug-in stores it (holding the instrument),
    // runs one block with the notes on another thread; returns that block's mix.
    std::array<std::vector<float>, 2> RunDuringSave(const std::vector<Note>& notes);
    // Renders nBlocks blocks with the notes at their frames; returns the mix (left, right).
    std::array<std::vector<float>, 2> Render(const std::vector<Note>& notes, uint32_t nBlocks);
    // Runs one block with the notes given at in-block frames, for allocation checks.
    void RunBlock(const std::vector<Note>& notes, uint32_t nFrameBase);
    const LilvPlugin* Plugin() const { return m_pPlugin; }
    LilvInstance* Instance() const { return m_pInstance; }

private:
    LV2_URID Map(const char* pszUri);
    static LV2_URID MapThunk(LV2_URID_Map_Handle h, const char* pszUri);

    LilvWorld* m_pWorld = nullptr;
    const LilvPlugin* m_pPlugin = nullptr;
    LilvInstance* m_pInstance = nullptr;
    std::map<std::string, LV2_URID, std::less<>> m_urids;
    LV2_URID_Map m_map{};
    LV2_Feature m_mapFeature{};
    const LV2_Feature* m_features[2]{};
    alignas(8) std::array<uint8_t, 8192> m_sequence{};
    std::array<std::vector<float>, kOutputPorts> m_outputs;
    float m_fHostKey = -1.0f;
};
