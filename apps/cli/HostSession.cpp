#include "apps/cli/HostSession.h"
#include "apps/cli/CliError.h"
#include "apps/cli/FileProblem.h"
#include "interfaces/IVudivuVizezud.h"
#include <cstdio>
#include <unistd.h>

CHostSession::CHostSession(const CCommandArgs& args) {
    const std::string strPath = args.Value("--module", CInstrumentModule::DefaultPath());
    std::string strError;
    if (!m_module.Load(strPath, &strError)) throw CCliError(strPath, strError);
}

CInstrumentHost& CHostSession::Open(const CInstrumentHost::Options& options,
                                    const CTempoMap& tempo) {
    m_pHost = std::make_unique<CInstrumentHost>();
    std::string strError;
    if (!m_pHost->Open(m_module, options, tempo, &strError))
        throw CCliError(m_module.Path(), strError);
    return *m_pHost;
}

void CHostSession::Render(const std::vector<MidiNoteEvent>& notes, LONGLONG nFrames,
                          const std::string& strFile) {
    const bool bBar = isatty(STDERR_FILENO) != 0;
    int nShown = -1;
    auto progress = [&](LONGLONG nDone) {
        const int nPercent = nFrames > 0 ? static_cast<int>(nDone * 100 / nFrames) : 100;
        if (!bBar || nPercent == nShown) return;
        nShown = nPercent;
        char bar[41];
        for (int i = 0; i < 40; ++i) bar[i] = i < nPercent * 40 / 100 ? '#' : '.';
        bar[40] = '\0';
        std::fprintf(stderr, "\rrendering [%s] %3d%%", bar, nPercent);
        std::fflush(stderr);
    };
    std::string strError;
    const bool bOk = m_pHost->Render(notes, nFrames, progress, &strError);
    if (bBar && nShown >= 0) std::fputs("\r\033[K", stderr); // the bar goes, the result stays
    if (!bOk) throw CCliError(strFile, strError);
}

void CHostSession::LoadProject(const std::string& strPath) {
    LoadProject(m_pHost->Control(), strPath);
}

void CHostSession::LoadProject(IVudivuVizezud* pControl, const std::string& strPath) {
    // The library reports only that loading failed; the system says why a
    // file cannot be opened.
    if (const std::string strWhy = ReadProblem(strPath); !strWhy.empty())
        throw CCliError(strPath, strWhy);
    const std::string strName = strPath.substr(strPath.find_last_of('/') + 1);
    if (HRESULT hr = pControl->LoadProject(strName.c_str(), strPath.c_str()); FAILED(hr))
        throw CCliError::FromHResult(strPath, "cannot load the project", hr);
}
