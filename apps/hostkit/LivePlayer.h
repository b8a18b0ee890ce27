// The instrument played live by a real-time host: cycles of port buffers
// filled from the instrument's 17 stereo outputs, the cycle's MIDI at exact
// frames, following the host's transport (rolling or stopped, song position,
// tempo) while a transport master tells it, else a transport of its own at a
// set tempo that rolls from the start. Open, Start, Stop and Close run on the
// host's setup thread and may block; Process runs on the audio thread and
// never blocks or allocates. Other threads reach the instrument under Lock()
// (see CLockedControl); while they hold it, cycles are silence.
#pragma once
#include "apps/hostkit/InstrumentGraph.h"
#include "apps/hostkit/MidiInputPool.h"
#include <array>
#include <cstdint>
#include <mutex>
#include <string>

class CPortSink;

class CLivePlayer {
public:
    static constexpr LONG kBlockFrames = 1024;      // the longest buffer pushed at once
    static constexpr size_t kTempoChanges = 1024;   // room for the master's tempo changes
    static constexpr int kPorts = 2 * kOutputCount; // mix L/R, then Chan 1 L/R ...
    // How far the master's frame may be off the expected one before it counts as a relocation.
    static constexpr int64_t kRelocateSlackFrames = 1;
    // How long a cycle waits for a thread that holds the instrument before it gives silence.
    static constexpr int kWaitMicroseconds = 200;

    struct MidiEvent {
        uint32_t nFrame; // in the cycle
        BYTE byStatus, byData1, byData2;
    };
    // What a transport master says at a cycle's first frame.
    struct Transport {
        bool bRolling = false;
        double dBpm = 120.0;    // quarter notes per minute, > 0
        int64_t llFrame = 0;    // the master's song frame, >= 0
        bool bQuarters = false; // dQuarters is known
        double dQuarters = 0.0; // song position in quarter notes, >= 0
    };
    struct Cycle {
        uint32_t nFrames = 0;
        const MidiEvent* pEvents = nullptr; // in frame order
        size_t nEvents = 0;
        const Transport* pTransport = nullptr; // null: no master, the own transport plays
        float* const* ppPorts = nullptr;       // kPorts buffers of nFrames; null ones are skipped
    };

    CLivePlayer() = default;
    ~CLivePlayer();
    CLivePlayer(const CLivePlayer&) = delete;
    CLivePlayer& operator=(const CLivePlayer&) = delete;

    // Creates the instrument at dwRate; dOwnBpm is the own transport's tempo.
    // False with the cause.
    bool Open(const CInstrumentModule& module, DWORD dwRate, double dOwnBpm,
              std::string* pstrError);
    void Close();
    // Runs the graph and starts the own transport from the song's start.
    void Start();
    void Stop();

    // The instrument's control interface (no reference added), valid while open.
    // Call it only under Lock(), or through a CLockedControl.
    IVudivuVizezud* Control() const { return m_graph.Control(); }
    std::mutex& Lock() { return m_lock; }

    // Audio thread, never blocks or allocates.
    void Process(const Cycle& cycle);
    // Between cycles: those that found the instrument held (for tests and diagnostics).
    uint64_t HeldCycles() const { return m_nHeld; }

private:
    enum class Mode {
        Own,     // no master: the song runs at the own tempo
        Rolling, // the master plays; song position and tempo follow it
        Stopped, // the master has stopped: pads play from their trigger
    };
    // Audio thread, never block.
    bool TakeLock(std::unique_lock<std::mutex>* pGuard);
    void Silence(const Cycle& cycle, uint32_t nFrom, uint32_t nTo);
    void AddMidi(const MidiEvent& e);
    void RenderTo(const Cycle& cycle, uint32_t nFrom, uint32_t nTo);
    void Follow(const Transport* pTransport);
    void Relocate(double dBpm, double dFrame);

    CInstrumentGraph m_graph;
    std::array<CPortSink*, kOutputCount> m_sinks{}; // held by the graph
    std::mutex m_lock;
    CMidiInputPool m_midi;
    double m_dRate = 44100.0;
    double m_dOwnBpm = 120.0;
    bool m_bStarted = false;

    // The song as the instrument plays it (audio thread).
    Mode m_mode = Mode::Own;
    double m_dBpm = 120.0;        // the tempo in effect
    int64_t m_llMasterFrame = 0;  // the master's frame expected at the next cycle
    LONGLONG m_llSongFrame = 0;   // the instrument's song frame of the next frame pushed
    bool m_bDiscontinuity = true; // the next buffer starts the stream at m_llSongFrame
    uint64_t m_nHeld = 0;
};
