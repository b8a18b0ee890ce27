// One instrument as a host runs it: created from the loaded library through
// its class factory, wired into a graph (a silent source into "Input", a sink
// on the mix and, on request, on every "Chan n" output), attached to a host
// context built on the song's tempo map, and played from MIDI notes into
// float arrays or straight into files. Single-threaded: the caller's thread
// is the streaming thread.
#pragma once
#include "apps/hostkit/InstrumentGraph.h"
#include "apps/hostkit/InstrumentModule.h"
#include "apps/hostkit/MidiSong.h"
#include "apps/hostkit/TempoMap.h"
#include <functional>
#include <string>
#include <vector>

class CHostSink;
class ISampleTarget;

class CInstrumentHost {
public:
    static constexpr int kOutputs = kOutputCount; // "Mix Output", then "Chan 1".."Chan 16"

    struct Options {
        DWORD dwRate = 44100;
        WORD wChannels = 2;
        LONG lBlockFrames = 256;
        bool bChannelOutputs = false; // also capture "Chan 1".."Chan 16"
    };

    CInstrumentHost() = default;
    ~CInstrumentHost();
    CInstrumentHost(const CInstrumentHost&) = delete;
    CInstrumentHost& operator=(const CInstrumentHost&) = delete;

    // Creates the instrument and its graph. False with the cause in *pstrError.
    bool Open(const CInstrumentModule& module, const Options& options, const CTempoMap& tempo,
              std::string* pstrError);
    // The control interface (no reference added), valid while open.
    IVudivuVizezud* Control() const { return m_graph.Control(); }

    // Plays the notes (in song order) from song time 0 for nFrames frames and
    // keeps every output's samples. pfnProgress, when given, is told the
    // frames done after each block. False with the cause in *pstrError.
    bool Render(const std::vector<MidiNoteEvent>& notes, LONGLONG nFrames,
                const std::function<void(LONGLONG)>& pfnProgress, std::string* pstrError);

    // Output n's samples go to pTarget (not owned) from the next Render on,
    // instead of being kept; an output that carried sound is completed with
    // its trailing silence when Render ends, one that stayed silent gets
    // nothing. Null keeps them again. False when output n is not captured.
    bool StreamOutput(int n, ISampleTarget* pTarget);
    // Interleaved samples of output n (0 the mix); empty when not captured or streamed.
    const std::vector<float>& Output(int n) const;
    // Whether output n carried anything but silence.
    bool HasSound(int n) const;

private:
    void Close();

    Options m_options;
    CInstrumentGraph m_graph;
    std::vector<CHostSink*> m_sinks; // per output, held by the graph; null when not connected
    std::vector<bool> m_streamed;    // per output: sent to a target
};
