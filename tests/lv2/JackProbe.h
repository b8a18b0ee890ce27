// A JACK client of the tests' own that plays an instrument hosted by another
// client: its MIDI output feeds that client's MIDI input, and that client's
// two audio outputs are recorded while notes are struck at set frames.
#pragma once
#include <atomic>
#include <cstdint>
#include <jack/jack.h>
#include <string>
#include <vector>

class CJackProbe {
public:
    struct Note {
        uint32_t nFrame; // from the start of the recording
        uint8_t nStatus, nKey, nVelocity;
    };

    CJackProbe() = default;
    ~CJackProbe();
    CJackProbe(const CJackProbe&) = delete;
    CJackProbe& operator=(const CJackProbe&) = delete;

    // Opens the client on the server that JACK_DEFAULT_SERVER names and
    // activates it. False with the cause.
    bool Open(const char* pszName, std::string* pstrError);
    // Waits up to dSeconds for the other client's ports, then connects them.
    bool Connect(const std::string& strMidiIn, const std::string& strLeft,
                 const std::string& strRight, double dSeconds, std::string* pstrError);
    // Strikes the notes (in frame order) and records nFrames frames; waits up
    // to dSeconds for the server to run that far.
    bool Play(const std::vector<Note>& notes, uint32_t nFrames, double dSeconds,
              std::string* pstrError);

    uint32_t Rate() const;
    const std::vector<float>& Left() const { return m_left; }
    const std::vector<float>& Right() const { return m_right; }
    // The recorded mix's largest magnitude over frames nFrom to nTo.
    float Peak(size_t nFrom, size_t nTo) const;
    // Prints the peak of each 50 ms window of the recording as one line.
    void PrintWindowPeaks() const;

    // Notes written KEY@SECONDS, each held 100 ms, in frame order at nRate.
    // False with the cause for a badly written one.
    static bool ParseNotes(char** ppszArgs, int nArgs, uint32_t nRate, std::vector<Note>* pNotes,
                           std::string* pstrError);

private:
    static int ProcessThunk(jack_nframes_t nFrames, void* pThis);
    // JACK's process thread; never blocks or allocates.
    int Process(jack_nframes_t nFrames);

    jack_client_t* m_pClient = nullptr;
    jack_port_t* m_pMidi = nullptr;
    jack_port_t* m_pLeft = nullptr;
    jack_port_t* m_pRight = nullptr;
    std::vector<Note> m_notes;
    std::vector<float> m_left, m_right;
    size_t m_nNextNote = 0; // process thread
    uint32_t m_nFrame = 0;  // process thread: frames recorded
    std::atomic<bool> m_bArmed{false}, m_bDone{false};
};
