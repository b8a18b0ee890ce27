#include "apps/cli/EditAudio.h"
#include "apps/cli/CliError.h"
#include "apps/hostkit/LockedControl.h"
#include <cstdio>

CEditAudio::CEditAudio(const CInstrumentModule& module, double dBpm) {
    if (!m_jack.Connect("pandrel", &m_strNoServer)) m_jack.Close();
    const DWORD dwRate = m_jack.Connected() ? m_jack.Rate() : 44100;
    std::string strError;
    if (!m_player.Open(module, dwRate, dBpm, &strError)) throw CCliError(module.Path(), strError);
    m_pControl = MakeCom<CLockedControl>(m_player.Control(), m_player.Lock());
}

CEditAudio::~CEditAudio() {
    // The process thread stops before the instrument goes.
    m_jack.Close();
    m_player.Close();
}

void CEditAudio::Start() {
    m_player.Start();
    if (!m_jack.Connected()) {
        std::fprintf(stderr, "pandrel: edit: %s; the project is edited without sound\n",
                     m_strNoServer.c_str());
        return;
    }
    std::string strError;
    if (!m_jack.Play(&m_player, &strError)) throw CCliError("JACK", strError);
    const std::string strName = m_jack.ClientName();
    std::fprintf(stderr,
                 "pandrel: edit: playing through JACK as %s at %u Hz (MIDI in %s:midi_in, mix "
                 "%s:mix_L and mix_R, Chan n %s:chanN_L and chanN_R)\n",
                 strName.c_str(), m_jack.Rate(), strName.c_str(), strName.c_str(), strName.c_str());
}
