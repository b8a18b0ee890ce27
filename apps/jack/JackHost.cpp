#include "apps/jack/JackHost.h"
#include "apps/jack/JackTransport.h"
#include <cstdio>
#include <jack/midiport.h>
#include <unistd.h>

namespace {
void Quiet(const char*) {}
void Report(const char* pszMessage) { std::fprintf(stderr, "pandrel: jack: %s\n", pszMessage); }
} // namespace

bool CJackHost::Connect(const char* pszName, std::string* pstrWhy) {
    Close();
    // Without a server the library complains at length; the caller says it once.
    jack_set_error_function(&Quiet);
    jack_set_info_function(&Quiet);
    jack_status_t status{};
    m_pClient = jack_client_open(pszName, JackNoStartServer, &status);
    jack_set_error_function(&Report);
    if (m_pClient != nullptr) return true;
    *pstrWhy = (status & JackServerFailed) != 0
                   ? "no JACK server runs"
                   : "the JACK server refused a client (status " +
                         std::to_string(static_cast<int>(status)) + ")";
    return false;
}

uint32_t CJackHost::Rate() const {
    return m_pClient != nullptr ? jack_get_sample_rate(m_pClient) : 0;
}

std::string CJackHost::ClientName() const {
    return m_pClient != nullptr ? jack_get_client_name(m_pClient) : "";
}

bool CJackHost::Play(CLivePlayer* pPlayer, std::string* pstrError) {
    if (m_pClient == nullptr) return *pstrError = "not connected to JACK", false;
    m_pMidi = jack_port_register(m_pClient, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    bool bPorts = m_pMidi != nullptr;
    for (int i = 0; i < CLivePlayer::kPorts; ++i) {
        const int nOutput = i / 2;
        const std::string strName =
            (nOutput == 0 ? std::string("mix") : "chan" + std::to_string(nOutput)) +
            (i % 2 == 0 ? "_L" : "_R");
        jack_port_t*& p = m_ports[static_cast<size_t>(i)];
        p = jack_port_register(m_pClient, strName.c_str(), JACK_DEFAULT_AUDIO_TYPE,
                               JackPortIsOutput, 0);
        bPorts = bPorts && p != nullptr;
    }
    if (!bPorts) return *pstrError = "cannot register the JACK ports", false;
    m_pPlayer = pPlayer;
    jack_set_process_callback(m_pClient, &CJackHost::ProcessThunk, this);
    jack_on_shutdown(m_pClient, &CJackHost::ShutdownThunk, this);
    if (jack_activate(m_pClient) != 0) {
        m_pPlayer = nullptr;
        return *pstrError = "cannot activate the JACK client", false;
    }
    ConnectPlayback();
    return true;
}

void CJackHost::ConnectPlayback() {
    const char** ppPorts = jack_get_ports(m_pClient, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                          JackPortIsPhysical | JackPortIsInput);
    if (ppPorts == nullptr) return;
    for (size_t i = 0; i < 2 && ppPorts[i] != nullptr; ++i)
        jack_connect(m_pClient, jack_port_name(m_ports[i]), ppPorts[i]);
    jack_free(ppPorts);
}

void CJackHost::Close() {
    if (m_pClient == nullptr) return;
    // A client the server already shut down is only closed.
    if (!m_bGone.load()) jack_deactivate(m_pClient);
    jack_client_close(m_pClient);
    m_pClient = nullptr;
    m_pMidi = nullptr;
    m_ports.fill(nullptr);
    m_pPlayer = nullptr;
    m_bGone.store(false);
}

int CJackHost::ProcessThunk(jack_nframes_t nFrames, void* pThis) {
    return static_cast<CJackHost*>(pThis)->Process(nFrames);
}

void CJackHost::ShutdownThunk(void* pThis) {
    // As a signal handler would: a flag and a write, nothing else.
    static_cast<CJackHost*>(pThis)->m_bGone.store(true);
    static const char kLine[] = "pandrel: edit: the JACK server went away; the project is edited "
                                "without sound\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, kLine, sizeof kLine - 1);
}

int CJackHost::Process(jack_nframes_t nFrames) {
    void* pMidi = jack_port_get_buffer(m_pMidi, nFrames);
    const uint32_t nCount = jack_midi_get_event_count(pMidi);
    size_t nEvents = 0;
    for (uint32_t i = 0; i < nCount && nEvents < kMaxEvents; ++i) {
        jack_midi_event_t e;
        if (jack_midi_event_get(&e, pMidi, i) != 0 || e.size == 0) continue;
        m_events[nEvents++] = {e.time, e.buffer[0], e.size > 1 ? e.buffer[1] : BYTE{0},
                               e.size > 2 ? e.buffer[2] : BYTE{0}};
    }
    for (size_t i = 0; i < m_buffers.size(); ++i)
        m_buffers[i] = static_cast<float*>(jack_port_get_buffer(m_ports[i], nFrames));
    jack_position_t pos;
    const jack_transport_state_t state = jack_transport_query(m_pClient, &pos);
    CLivePlayer::Transport transport;
    const bool bMaster = ReadJackTransport(state, pos, &transport);
    CLivePlayer::Cycle cycle;
    cycle.nFrames = nFrames;
    cycle.pEvents = m_events.data();
    cycle.nEvents = nEvents;
    cycle.pTransport = bMaster ? &transport : nullptr;
    cycle.ppPorts = m_buffers.data();
    m_pPlayer->Process(cycle);
    return 0;
}
