// A large project played by a streaming thread while this thread loads,
// restores or saves it: nEntries Loop Bin entries of 30-second stereo waves
// (11.5 MB each as float at 48 kHz), each also laid on a pad. Measure reports
// the streaming thread's longest wait for the engine's lock during one
// operation, and whether the old project kept sounding meanwhile.
#pragma once
#include "concurrency/ScratchContent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Stream.h"
#include "realtime/AudioThreadProbe.h"
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CLockWaitRig {
public:
    struct Result {
        HRESULT hr = E_FAIL;
        double dMs = 0.0;          // how long the operation took
        double dWorstWaitMs = 0.0; // the streaming thread's longest lock wait
        uint64_t nContended = 0;   // how often it waited at all
        uint64_t nChunks = 0;      // 0.1 s chunks it rendered meanwhile
        uint64_t nSilentChunks = 0;
    };

    ~CLockWaitRig();
    // Writes the waves, builds the project, saves it as a file and as the
    // host's state, and starts streaming. False with the cause.
    bool Create(int nEntries, std::string* pstrError);

    // Runs op on this thread while the streaming thread renders.
    Result Measure(const std::function<HRESULT()>& op);
    // The least of up to three measurements' worst waits: a wait the lock
    // does not cause (the holder preempted on a busy machine) rarely repeats.
    Result MeasureBest(const std::function<HRESULT()>& op, const char* pszWhat);

    IVudivuVizezud* Control() const { return m_host.Control(); }
    const std::string& ProjectPath() const { return m_content.ProjectPath(); }
    const std::vector<uint8_t>& State() const { return m_state; }
    // A memory stream holding the bytes, at its start; null when it cannot be made.
    static ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes);
    // The host's IPersistStream Load from the stream's start.
    HRESULT Restore(IStream* pStream) const;

private:
    void Stream();

    CScratchContent m_content;
    CInstrumentHost m_host;
    std::vector<uint8_t> m_state;
    std::vector<MidiNoteEvent> m_notes;
    std::thread m_stream;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bFailed{false};
    std::atomic<uint64_t> m_nChunks{0}, m_nSilent{0};
};
