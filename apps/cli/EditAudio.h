// The instrument of `pandrel edit` as it plays live: through JACK when a
// server runs (see CJackHost), else silently, edited meanwhile through a
// control interface that keeps the editor's calls out of the audio thread's
// way. Main thread.
#pragma once
#include "apps/hostkit/LivePlayer.h"
#include "apps/jack/JackHost.h"
#include "platform/com/ComPtr.h"
#include <string>

class CInstrumentModule;

class CEditAudio {
public:
    // Opens the instrument at the server's rate (44.1 kHz without one);
    // dBpm is the own transport's tempo. Throws CCliError.
    CEditAudio(const CInstrumentModule& module, double dBpm);
    ~CEditAudio();
    CEditAudio(const CEditAudio&) = delete;
    CEditAudio& operator=(const CEditAudio&) = delete;

    // The control interface the editor uses (no reference added).
    IVudivuVizezud* Control() const { return m_pControl.Get(); }
    // Starts playing and says once on stderr where the sound goes, or that
    // there is none. Throws CCliError when JACK refuses the ports.
    void Start();

private:
    CJackHost m_jack;
    CLivePlayer m_player;
    ComPtr<IVudivuVizezud> m_pControl;
    std::string m_strNoServer; // why there is no sound; empty with a server
};
