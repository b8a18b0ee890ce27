#include "lv2/JackProbe.h"
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <jack/midiport.h>
#include <thread>
#include <utility>

namespace {
bool WaitFor(double dSeconds, const auto& pfnDone) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(dSeconds);
    while (!pfnDone()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
} // namespace

CJackProbe::~CJackProbe() {
    if (m_pClient != nullptr) {
        jack_deactivate(m_pClient);
        jack_client_close(m_pClient);
    }
}

bool CJackProbe::Open(const char* pszName, std::string* pstrError) {
    jack_status_t status{};
    m_pClient = jack_client_open(pszName, JackNoStartServer, &status);
    if (m_pClient == nullptr)
        return *pstrError = "cannot reach the JACK server (status " +
                            std::to_string(static_cast<int>(status)) + ")",
               false;
    m_pMidi =
        jack_port_register(m_pClient, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    m_pLeft = jack_port_register(m_pClient, "in_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    m_pRight = jack_port_register(m_pClient, "in_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    if (m_pMidi == nullptr || m_pLeft == nullptr || m_pRight == nullptr)
        return *pstrError = "cannot register the probe's ports", false;
    jack_set_process_callback(m_pClient, &CJackProbe::ProcessThunk, this);
    if (jack_activate(m_pClient) != 0) return *pstrError = "cannot activate the probe", false;
    return true;
}

bool CJackProbe::Connect(const std::string& strMidiIn, const std::string& strLeft,
                         const std::string& strRight, double dSeconds, std::string* pstrError) {
    // The other client registers its ports before it is active, and ports of
    // an inactive client cannot be connected yet: each is tried until it takes.
    const std::string strMidiOut = jack_port_name(m_pMidi);
    const std::pair<std::string, std::string> links[] = {{strMidiOut, strMidiIn},
                                                         {strLeft, jack_port_name(m_pLeft)},
                                                         {strRight, jack_port_name(m_pRight)}};
    bool bLinked[3] = {};
    const bool bDone = WaitFor(dSeconds, [&] {
        bool bAll = true;
        for (int i = 0; i < 3; ++i) {
            if (!bLinked[i]) {
                const int rc =
                    jack_connect(m_pClient, links[i].first.c_str(), links[i].second.c_str());
                bLinked[i] = rc == 0 || rc == EEXIST;
            }
            bAll = bAll && bLinked[i];
        }
        return bAll;
    });
    if (!bDone) return *pstrError = "cannot connect to " + strMidiIn + " and the outputs", false;
    return true;
}

bool CJackProbe::Play(const std::vector<Note>& notes, uint32_t nFrames, double dSeconds,
                      std::string* pstrError) {
    m_notes = notes;
    m_left.assign(nFrames, 0.0f);
    m_right.assign(nFrames, 0.0f);
    m_bArmed.store(true, std::memory_order_release);
    if (!WaitFor(dSeconds, [&] { return m_bDone.load(std::memory_order_acquire); }))
        return *pstrError = "the JACK server stopped running cycles", false;
    return true;
}

uint32_t CJackProbe::Rate() const {
    return m_pClient != nullptr ? jack_get_sample_rate(m_pClient) : 0;
}

int CJackProbe::ProcessThunk(jack_nframes_t nFrames, void* pThis) {
    return static_cast<CJackProbe*>(pThis)->Process(nFrames);
}

int CJackProbe::Process(jack_nframes_t nFrames) {
    void* pMidi = jack_port_get_buffer(m_pMidi, nFrames);
    jack_midi_clear_buffer(pMidi);
    if (!m_bArmed.load(std::memory_order_acquire) || m_bDone.load(std::memory_order_relaxed))
        return 0;
    const auto* pLeft = static_cast<const float*>(jack_port_get_buffer(m_pLeft, nFrames));
    const auto* pRight = static_cast<const float*>(jack_port_get_buffer(m_pRight, nFrames));
    const uint32_t nTotal = static_cast<uint32_t>(m_left.size());
    for (jack_nframes_t i = 0; i < nFrames && m_nFrame + i < nTotal; ++i) {
        m_left[m_nFrame + i] = pLeft[i];
        m_right[m_nFrame + i] = pRight[i];
    }
    for (; m_nNextNote < m_notes.size() && m_notes[m_nNextNote].nFrame < m_nFrame + nFrames;
         ++m_nNextNote) {
        const Note& n = m_notes[m_nNextNote];
        const jack_midi_data_t msg[3] = {n.nStatus, n.nKey, n.nVelocity};
        const uint32_t nAt = n.nFrame > m_nFrame ? n.nFrame - m_nFrame : 0;
        jack_midi_event_write(pMidi, nAt, msg, 3);
    }
    m_nFrame += nFrames;
    if (m_nFrame >= nTotal) m_bDone.store(true, std::memory_order_release);
    return 0;
}

float CJackProbe::Peak(size_t nFrom, size_t nTo) const {
    float fPeak = 0.0f;
    for (size_t i = nFrom; i < std::min({nTo, m_left.size(), m_right.size()}); ++i)
        fPeak = std::max({fPeak, std::fabs(m_left[i]), std::fabs(m_right[i])});
    return fPeak;
}

void CJackProbe::PrintWindowPeaks() const {
    const size_t nWindow = std::max<size_t>(Rate() / 20, 1);
    for (size_t w = 0; w < m_left.size(); w += nWindow)
        std::printf("%s%.4f", w == 0 ? "" : " ", static_cast<double>(Peak(w, w + nWindow)));
    std::printf("\n");
}

bool CJackProbe::ParseNotes(char** ppszArgs, int nArgs, uint32_t nRate, std::vector<Note>* pNotes,
                            std::string* pstrError) {
    pNotes->clear();
    for (int i = 0; i < nArgs; ++i) {
        const std::string arg = ppszArgs[i];
        const size_t at = arg.find('@');
        if (at == std::string::npos) {
            *pstrError = "a note is KEY@SECONDS: " + arg;
            return false;
        }
        const auto nKey = static_cast<uint8_t>(std::atoi(arg.substr(0, at).c_str()) & 0x7f);
        const auto nFrame = static_cast<uint32_t>(std::atof(arg.substr(at + 1).c_str()) * nRate);
        pNotes->push_back({nFrame, 0x90, nKey, 110});
        pNotes->push_back({nFrame + nRate / 10, 0x80, nKey, 0});
    }
    std::stable_sort(pNotes->begin(), pNotes->end(),
                     [](const Note& a, const Note& b) { return a.nFrame < b.nFrame; });
    return true;
}
