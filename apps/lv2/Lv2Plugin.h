// One plug-in instance: the instrument loaded from pandrel.so in the bundle
// through the host kit, wired into a graph (the host kit's silent source into
// "Input", a port sink on each of the 17 stereo outputs), fed the atom
// input's MIDI at exact frames, following the host's tempo, transport and
// song position from time:Position, and saved to and restored from host state.
// Its file parameters take patch messages on the same input, load on the
// host's worker and answer on the notify output (the last port). The
// editor page of a UI in the same process reaches the instrument through it.
#pragma once
#include "apps/hostkit/InstrumentGraph.h"
#include "apps/hostkit/InstrumentModule.h"
#include "apps/hostkit/LockedControl.h"
#include "apps/hostkit/MidiInputPool.h"
#include "apps/lv2/Lv2FileLoader.h"
#include "apps/lv2/Lv2IdleGate.h"
#include "apps/lv2/Lv2Patch.h"
#include "apps/lv2/Lv2Position.h"
#include "apps/lv2/Lv2Sequence.h"
#include "apps/lv2/StateStore.h"
#include <array>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <mutex>
#include <string>
#include <vector>

class CPortSink;

class CLv2Plugin final : private IPlaybackCallHook {
public:
    static constexpr uint32_t kPortMidi = 0, kPortHostKey = 1, kPortFirstOutput = 2;
    // The notify output comes after the audio outputs, so that sessions saved
    // before it existed keep their connections.
    static constexpr uint32_t kPortNotify = kPortFirstOutput + 2 * kOutputCount;
    static constexpr uint32_t kPortCount = kPortNotify + 1;
    static constexpr LONG kBlockFrames = 1024;    // the longest buffer pushed at once
    static constexpr size_t kTempoChanges = 1024; // room for the host's tempo changes
    // How far the host's song position may be off before it counts as a relocation.
    static constexpr int64_t kRelocateSlackFrames = 1;
    static constexpr double kRelocateSlackTicks = 2.0; // MIDI ticks, 960 per quarter

    CLv2Plugin() = default;
    virtual ~CLv2Plugin();
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
    // MIDI and position changes of such a block are kept and applied at the
    // first frame of the next block that gets the instrument. A block without
    // events while nothing can sound is silence without running the graph
    // (PANDREL_LV2_IDLE_SKIP=0 at instantiation always runs it); the song
    // clock runs on as if it had been rendered.
    void Run(uint32_t nFrames);
    // Host's state thread; may block on the file system and on the instrument's
    // lock, never on the plug-in's, so blocks play on meanwhile. The forms of the
    // state are the state store's; features are those the state call was given.
    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle,
                          const LV2_Feature* const* features);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                             const LV2_Feature* const* features);
    // The state store's record of the last save (for tests and diagnostics).
    CStateStore::SaveCounts LastSave() const { return m_state.LastSave(); }
    // Worker thread; may block: loads the file a file parameter asked for.
    LV2_Worker_Status Work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                           uint32_t nSize, const void* pData);
    // Audio thread, never blocks: the worker's answer; hosts hear of it next block.
    LV2_Worker_Status WorkResponse(uint32_t nSize, const void* pData);
    // Tests: the lock each block try-locks; while another thread holds it,
    // blocks take the held path.
    std::mutex& BlockLock() { return m_lock; }
    // Between blocks: the blocks skipped as idle since instantiation (for tests and diagnostics).
    uint64_t SkippedBlocks() const { return m_nSkipped; }
    // UI thread: the control interface for the editor page, one reference for
    // the caller (null without an instrument). Its calls wait for the
    // instrument's own lock as blocks do; those that start playback hold the
    // plug-in's lock briefly, so that the idle gate sees what they started.
    IUnknown* EditorControl();

private:
    // Instantiation or cleanup thread; may block.
    void Close();
    // UI thread, holding the plug-in's lock, around an editor call that starts
    // playback: blocks skipped as idle are caught up before it, so that the
    // restart of the instrument's song does not end what the call starts; the
    // next block renders after it.
    void BeforePlaybackCall() override;
    void AfterPlaybackCall() override;
    enum class Transport {
        Free,    // no word from the host yet: the song runs from 0 since activation
        Rolling, // the host plays; song position and tempo follow it
        Stopped, // the host has stopped: pads play from their trigger
    };

    // Audio thread, never block.
    void Hold(uint32_t nFrames);
    void AddMidi(const CLv2Sequence::Event& e);
    bool ReadPosition(const CLv2Sequence::Event& e, Lv2Position* pPosition) const;
    // Before the instrument is taken: the input's patch messages, and the
    // notify output's patch:Set of every value hosts have not yet been told.
    void Patches();
    // With the instrument held: renders frames nFrom..nTo of the block.
    void RenderTo(uint32_t nFrom, uint32_t nTo);
    // With the instrument held: what the host says at frame nAt of the block.
    void ApplyPosition(const Lv2Position& pos, uint32_t nAt);
    void Relocate(const Lv2Position& pos, uint32_t nAt);
    void Silence(uint32_t nFrames);
    // With the instrument held: an idle block skipped (true), or nothing done.
    bool SkipIdle(uint32_t nFrames);
    // With the instrument held, before a block renders after skipped ones:
    // restarts the instrument's stream at the song frame the skipped blocks
    // reached. bGate: the idle gate forgets its held notes too (not from the
    // UI thread, while a held block may be counting new ones).
    void Resync(bool bGate = true);
    void TransportStart(LONG lTicks);
    void TransportStop();

    struct Urids {
        LV2_URID midiEvent, atomObject, atomBlank, atomChunk, stateKey;
    } m_urid{};
    CLv2PositionReader m_positionReader;

    CInstrumentModule m_module;
    CInstrumentGraph m_graph;
    CStateStore m_state;                            // state thread
    std::array<CPortSink*, kOutputCount> m_sinks{}; // held by the graph

    std::mutex m_lock; // the instrument, between the audio thread and the state thread
    CMidiInputPool m_midi;
    const LV2_Atom_Sequence* m_pInput = nullptr;
    const float* m_pHostKey = nullptr;
    LV2_Atom_Sequence* m_pNotify = nullptr;
    std::array<float*, 2 * kOutputCount> m_outputs{};
    double m_dRate = 44100.0;
    float m_fHostKey = -1.0f;
    bool m_bActive = false;

    // The song as the instrument plays it and as the host reports it (audio thread).
    Transport m_transport = Transport::Free;
    double m_dBpm = 120.0;        // the host's tempo, from time:Position
    int64_t m_llHostFrame = 0;    // the host's song frame at this block's start, while rolling
    LONGLONG m_llSongFrame = 0;   // the instrument's song frame of the next frame pushed
    bool m_bDiscontinuity = true; // the next buffer starts the stream at m_llSongFrame
    Lv2Position m_held;           // what blocks without the instrument were told
    bool m_bHeld = false;

    // Idle blocks (audio thread).
    CLv2IdleGate m_idle;
    bool m_bIdleSkip = true; // off: every block runs the graph
    bool m_bResync = false;  // blocks were skipped since the last rendered one
    uint32_t m_nPushed = 0;  // buffers pushed in this block
    bool m_bPushFailed = false;
    uint64_t m_nSkipped = 0;

    // File parameters (audio thread, but the loader's worker side).
    CLv2Patch m_patch;
    CLv2FileLoader m_files;
    bool m_bLoaded = false; // a worker load changed the instrument: the idle gate looks again
    bool m_bEdited = false; // the editor started playback (under m_lock): likewise
};
