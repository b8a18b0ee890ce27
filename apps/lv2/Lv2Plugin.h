// One plug-in instance: the instrument loaded from pandrel.so in the bundle
// through the host kit, wired into a graph (the host kit's silent source into
// "Input", a port sink on each of the 17 stereo outputs), fed the atom
// input's MIDI at exact frames and saved to and restored from host state.
#pragma once
#include "apps/hostkit/InstrumentModule.h"
#include "apps/lv2/MidiInputPool.h"
#include <array>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <mutex>
#include <string>
#include <vector>

class CFilterGraph;
class CHostContext;
class CHostSource;
class CPortSink;
class IBaseFilter;
class IMfxSoftSynth;
class IPin;

class CLv2Plugin {
public:
    static constexpr int kOutputs = 17; // the mix, then "Chan 1".."Chan 16"
    static constexpr uint32_t kPortMidi = 0, kPortHostKey = 1, kPortFirstOutput = 2;
    static constexpr uint32_t kPortCount = kPortFirstOutput + 2 * kOutputs;
    static constexpr LONG kBlockFrames = 1024; // the longest buffer pushed at once

    CLv2Plugin() = default;
    ~CLv2Plugin();
    CLv2Plugin(const CLv2Plugin&) = delete;
    CLv2Plugin& operator=(const CLv2Plugin&) = delete;

    // Host's instantiation thread; may block (loads the library). False with the cause.
    bool Open(const char* pszBundle, double dRate, const LV2_Feature* const* features,
              std::string* pstrError);
    // Audio thread, never blocks.
    void Connect(uint32_t nPort, void* pData);
    // Host's activation thread; may block.
    void Activate();
    void Deactivate();
    // Audio thread, never blocks: silence when another thread holds the instrument.
    void Run(uint32_t nFrames);
    // Host's state thread; blocks on the instrument's lock while the audio thread renders.
    // The state is one atom:Chunk of the instrument's IPersistStream bytes (sample
    // data embedded): self-contained and portable, so a session, preset or copy
    // carries it without files to keep beside it or paths to map.
    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

private:
    // Instantiation or cleanup thread; may block.
    void Close();
    // Audio thread, with the instrument held; never block.
    void RenderTo(uint32_t nFrom, uint32_t nTo);
    void ReadPosition(const LV2_Atom_Object* pObject);
    void Silence(uint32_t nFrames);

    struct Urids {
        LV2_URID midiEvent, atomObject, atomBlank, atomFloat, atomDouble, atomLong, atomInt,
            atomChunk, timePosition, timeSpeed, timeBpm, timeFrame, stateKey;
    } m_urid{};

    CInstrumentModule m_module;
    IBaseFilter* m_pFilter = nullptr;
    IMfxSoftSynth* m_pSynth = nullptr;
    CFilterGraph* m_pGraph = nullptr;
    CHostSource* m_pSource = nullptr;
    CHostContext* m_pContext = nullptr; // the plug-in's own reference
    std::vector<IPin*> m_pins;
    std::array<CPortSink*, kOutputs> m_sinks{};
    bool m_bAttached = false;

    std::mutex m_lock; // the instrument, between the audio thread and the state thread
    CMidiInputPool m_midi;
    const LV2_Atom_Sequence* m_pInput = nullptr;
    const float* m_pHostKey = nullptr;
    std::array<float*, 2 * kOutputs> m_outputs{};
    double m_dRate = 44100.0;
    float m_fHostKey = -1.0f;
    bool m_bActive = false;
    bool m_bFirst = true;    // the next buffer starts the stream
    bool m_bRolling = false; // the host's transport, from time:Position
    double m_dBpm = 120.0;   // the host's tempo, from time:Position
};
