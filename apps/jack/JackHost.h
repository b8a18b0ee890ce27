// The standalone host's sound: a JACK client with a MIDI input ("midi_in")
// and the instrument's outputs as stereo port pairs ("mix_L"/"mix_R", then
// "chan1_L"/"chan1_R" .. "chan16_R"), playing a live player in JACK's process
// thread. Connect, Play and Close run on the host's main thread and may block.
#pragma once
#include "apps/hostkit/LivePlayer.h"
#include <array>
#include <atomic>
#include <cstdint>
#include <jack/jack.h>
#include <string>

class CJackHost {
public:
    static constexpr size_t kMaxEvents = 512; // MIDI events taken per cycle; more are dropped

    CJackHost() = default;
    ~CJackHost() { Close(); }
    CJackHost(const CJackHost&) = delete;
    CJackHost& operator=(const CJackHost&) = delete;

    // Opens a client named pszName (JACK may add a number) on the running
    // server; none is started. False with the cause when no server answers.
    bool Connect(const char* pszName, std::string* pstrWhy);
    bool Connected() const { return m_pClient != nullptr; }
    // The server's sample rate and the client's name, while connected.
    uint32_t Rate() const;
    std::string ClientName() const;
    // Registers the ports, plays pPlayer (open and started; not owned, and it
    // must outlive the client) from the process thread, and connects the mix
    // to the first two physical playback ports. False with the cause.
    bool Play(CLivePlayer* pPlayer, std::string* pstrError);
    // Stops playing and closes the client; nothing when not connected.
    void Close();

private:
    static int ProcessThunk(jack_nframes_t nFrames, void* pThis);
    static void ShutdownThunk(void* pThis);
    // JACK's process thread; never blocks or allocates.
    int Process(jack_nframes_t nFrames);
    void ConnectPlayback();

    jack_client_t* m_pClient = nullptr;
    jack_port_t* m_pMidi = nullptr;
    std::array<jack_port_t*, CLivePlayer::kPorts> m_ports{};
    CLivePlayer* m_pPlayer = nullptr;
    // Process thread.
    std::array<CLivePlayer::MidiEvent, kMaxEvents> m_events{};
    std::array<float*, CLivePlayer::kPorts> m_buffers{};
    std::atomic<bool> m_bGone{false}; // the server shut the client down
};
