// What the commands that play the instrument share: the library found from
// --module or its default place, an instrument host opened on it, and a
// progress bar on stderr while rendering (when stderr is a terminal).
#pragma once
#include "apps/cli/CommandArgs.h"
#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/InstrumentModule.h"
#include <memory>
#include <string>

class IVudivuVizezud;

class CHostSession {
public:
    // Loads the library; throws CCliError naming it and the cause.
    explicit CHostSession(const CCommandArgs& args);

    // Opens an instrument on the library; throws CCliError.
    CInstrumentHost& Open(const CInstrumentHost::Options& options, const CTempoMap& tempo);
    // Plays the notes for nFrames frames with a progress bar; throws CCliError
    // naming strFile (what is being made) when rendering fails.
    void Render(const std::vector<MidiNoteEvent>& notes, LONGLONG nFrames,
                const std::string& strFile);

    // Loads a project file into the open instrument; throws CCliError naming
    // the file and the cause.
    void LoadProject(const std::string& strPath);
    // The same into any instrument's control interface.
    static void LoadProject(IVudivuVizezud* pControl, const std::string& strPath);

    CInstrumentModule& Module() { return m_module; }
    CInstrumentHost& Host() { return *m_pHost; }

private:
    CInstrumentModule m_module;
    std::unique_ptr<CInstrumentHost> m_pHost;
};
