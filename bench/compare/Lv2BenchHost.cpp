#include "bench/compare/Lv2BenchHost.h"
#include <cmath>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>

namespace {
constexpr size_t kAtomBytes = 16384;

struct Chunk {
    LV2_URID key = 0, type = 0;
    const std::vector<uint8_t>* pBytes = nullptr;
};
const void* RetrieveChunk(LV2_State_Handle h, uint32_t key, size_t* pnSize, uint32_t* pType,
                          uint32_t* pFlags) {
    auto* c = static_cast<Chunk*>(h);
    if (key != c->key) return nullptr;
    *pnSize = c->pBytes->size();
    *pType = c->type;
    *pFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return c->pBytes->data();
}
} // namespace

CLv2BenchHost::CLv2BenchHost() {
    m_pWorld = lilv_world_new();
    lilv_world_load_all(m_pWorld);
    m_map = {this, &MapThunk};
    m_unmap = {this, &UnmapThunk};
    m_schedule = {this, &ScheduleThunk};
    lv2_atom_forge_init(&m_forge, &m_map);
    m_nChunk = Map(LV2_ATOM__Chunk);
    m_nMidiEvent = Map(LV2_MIDI__MidiEvent);
    m_nPosition = m_nPosition;
    m_nSpeed = m_nSpeed;
    m_nBpm = m_nBpm;
    m_nFrame = m_nFrame;
}

CLv2BenchHost::~CLv2BenchHost() {
    Close();
    lilv_world_free(m_pWorld);
}

LV2_URID CLv2BenchHost::Map(const char* pszUri) {
    const auto it = m_urids.find(pszUri);
    if (it != m_urids.end()) return it->second;
    m_uris.emplace_back(pszUri);
    return m_urids.emplace(pszUri, static_cast<LV2_URID>(m_uris.size())).first->second;
}
LV2_URID CLv2BenchHost::MapThunk(LV2_URID_Map_Handle h, const char* pszUri) {
    return static_cast<CLv2BenchHost*>(h)->Map(pszUri);
}
const char* CLv2BenchHost::UnmapThunk(LV2_URID_Unmap_Handle h, LV2_URID urid) {
    auto* self = static_cast<CLv2BenchHost*>(h);
    return urid >= 1 && urid <= self->m_uris.size() ? self->m_uris[urid - 1].c_str() : nullptr;
}

// Work runs at once on the calling thread; responses wait for the end of run().
LV2_Worker_Status CLv2BenchHost::ScheduleThunk(LV2_Worker_Schedule_Handle h, uint32_t nSize,
                                               const void* pData) {
    auto* self = static_cast<CLv2BenchHost*>(h);
    const auto* p = static_cast<const uint8_t*>(pData);
    if (self->m_pWorker == nullptr || self->m_pInstance == nullptr) {
        self->m_pendingWork.emplace_back(p, p + nSize);
        return LV2_WORKER_SUCCESS;
    }
    return self->m_pWorker->work(lilv_instance_get_handle(self->m_pInstance), &RespondThunk, self,
                                 nSize, pData);
}
LV2_Worker_Status CLv2BenchHost::RespondThunk(LV2_Worker_Respond_Handle h, uint32_t nSize,
                                              const void* pData) {
    const auto* p = static_cast<const uint8_t*>(pData);
    static_cast<CLv2BenchHost*>(h)->m_responses.emplace_back(p, p + nSize);
    return LV2_WORKER_SUCCESS;
}

bool CLv2BenchHost::Open(const char* pszUri, double dRate, uint32_t nBlock,
                         std::string* pstrError) {
    Close();
    LilvNode* uri = lilv_new_uri(m_pWorld, pszUri);
    m_pPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m_pWorld), uri);
    lilv_node_free(uri);
    if (m_pPlugin == nullptr) return *pstrError = std::string("no plug-in ") + pszUri, false;
    m_nBlock = nBlock;
    m_nMinBlock = m_nMaxBlock = m_nNominalBlock = static_cast<int32_t>(nBlock);
    m_fRate = static_cast<float>(dRate);
    const LV2_URID atomInt = Map(LV2_ATOM__Int);
    m_options = {{
        {LV2_OPTIONS_INSTANCE, 0, Map(LV2_BUF_SIZE__minBlockLength), sizeof(int32_t), atomInt,
         &m_nMinBlock},
        {LV2_OPTIONS_INSTANCE, 0, Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), atomInt,
         &m_nMaxBlock},
        {LV2_OPTIONS_INSTANCE, 0, Map(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t), atomInt,
         &m_nNominalBlock},
        {LV2_OPTIONS_INSTANCE, 0, Map(LV2_PARAMETERS__sampleRate), sizeof(float),
         Map(LV2_ATOM__Float), &m_fRate},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    }};
    m_features = {{{LV2_URID__map, &m_map},
                   {LV2_URID__unmap, &m_unmap},
                   {LV2_WORKER__schedule, &m_schedule},
                   {LV2_OPTIONS__options, m_options.data()},
                   {LV2_BUF_SIZE__boundedBlockLength, nullptr},
                   {LV2_BUF_SIZE__fixedBlockLength, nullptr}}};
    for (size_t i = 0; i < m_features.size(); ++i) m_featureList[i] = &m_features[i];
    m_featureList.back() = nullptr;
    m_pInstance = lilv_plugin_instantiate(m_pPlugin, dRate, m_featureList.data());
    if (m_pInstance == nullptr)
        return *pstrError = std::string("cannot instantiate ") + pszUri, false;
    m_pWorker = static_cast<const LV2_Worker_Interface*>(
        lilv_instance_get_extension_data(m_pInstance, LV2_WORKER__interface));
    for (const auto& w : m_pendingWork)
        if (m_pWorker != nullptr)
            m_pWorker->work(lilv_instance_get_handle(m_pInstance), &RespondThunk, this,
                            static_cast<uint32_t>(w.size()), w.data());
    m_pendingWork.clear();
    ConnectPorts();
    lilv_instance_activate(m_pInstance);
    return true;
}

void CLv2BenchHost::Close() {
    if (m_pInstance != nullptr) {
        lilv_instance_deactivate(m_pInstance);
        lilv_instance_free(m_pInstance);
    }
    m_pInstance = nullptr;
    m_pWorker = nullptr;
}

void CLv2BenchHost::ConnectPorts() {
    const uint32_t n = lilv_plugin_get_num_ports(m_pPlugin);
    LilvNode* audio = lilv_new_uri(m_pWorld, LV2_CORE__AudioPort);
    LilvNode* cv = lilv_new_uri(m_pWorld, LV2_CORE__CVPort);
    LilvNode* control = lilv_new_uri(m_pWorld, LV2_CORE__ControlPort);
    LilvNode* atom = lilv_new_uri(m_pWorld, LV2_ATOM__AtomPort);
    LilvNode* input = lilv_new_uri(m_pWorld, LV2_CORE__InputPort);
    LilvNode* midi = lilv_new_uri(m_pWorld, LV2_MIDI__MidiEvent);
    std::vector<float> defaults(n), mins(n), maxs(n);
    lilv_plugin_get_port_ranges_float(m_pPlugin, mins.data(), maxs.data(), defaults.data());
    m_audio.clear();
    m_atomIn.clear();
    m_atomOut.clear();
    m_controls.assign(n, 0.0f);
    m_nEventPort = -1;
    m_nAudioOutputs = 0;
    m_audio.reserve(n);
    m_atomIn.reserve(n);
    m_atomOut.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(m_pPlugin, i);
        void* buffer = nullptr;
        if (lilv_port_is_a(m_pPlugin, port, audio) || lilv_port_is_a(m_pPlugin, port, cv)) {
            buffer = m_audio.emplace_back(m_nBlock, 0.0f).data();
            if (!lilv_port_is_a(m_pPlugin, port, input)) ++m_nAudioOutputs;
        } else if (lilv_port_is_a(m_pPlugin, port, control)) {
            m_controls[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
            buffer = &m_controls[i];
        } else if (lilv_port_is_a(m_pPlugin, port, atom)) {
            const bool in = lilv_port_is_a(m_pPlugin, port, input);
            auto& list = in ? m_atomIn : m_atomOut;
            buffer = list.emplace_back(kAtomBytes / 8, 0).data();
            if (in && m_nEventPort < 0 && lilv_port_supports_event(m_pPlugin, port, midi))
                m_nEventPort = static_cast<int>(list.size() - 1);
        }
        lilv_instance_connect_port(m_pInstance, i, buffer);
    }
    for (LilvNode* node : {audio, cv, control, atom, input, midi}) lilv_node_free(node);
}

bool CLv2BenchHost::RestoreChunk(const char* pszKey, const std::vector<uint8_t>& bytes) {
    const auto* state = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(m_pInstance, LV2_STATE__interface));
    if (state == nullptr) return false;
    Chunk chunk{Map(pszKey), Map(LV2_ATOM__Chunk), &bytes};
    return state->restore(lilv_instance_get_handle(m_pInstance), &RetrieveChunk, &chunk, 0,
                          m_featureList.data()) == LV2_STATE_SUCCESS;
}

void CLv2BenchHost::QueueStart(double dBpm, const std::vector<Midi>& notes) {
    m_dQueuedBpm = dBpm;
    m_queuedNotes = notes;
}

// Every input sequence empty but for the queued events on the MIDI port.
void CLv2BenchHost::WriteInput() {
    for (size_t p = 0; p < m_atomIn.size(); ++p) {
        lv2_atom_forge_set_buffer(&m_forge, reinterpret_cast<uint8_t*>(m_atomIn[p].data()),
                                  kAtomBytes);
        LV2_Atom_Forge_Frame seq;
        lv2_atom_forge_sequence_head(&m_forge, &seq, 0);
        if (static_cast<int>(p) == m_nEventPort && m_dQueuedBpm > 0.0) {
            lv2_atom_forge_frame_time(&m_forge, 0);
            LV2_Atom_Forge_Frame obj;
            lv2_atom_forge_object(&m_forge, &obj, 0, m_nPosition);
            lv2_atom_forge_key(&m_forge, m_nSpeed);
            lv2_atom_forge_float(&m_forge, 1.0f);
            lv2_atom_forge_key(&m_forge, m_nBpm);
            lv2_atom_forge_float(&m_forge, static_cast<float>(m_dQueuedBpm));
            lv2_atom_forge_key(&m_forge, m_nFrame);
            lv2_atom_forge_long(&m_forge, 0);
            lv2_atom_forge_pop(&m_forge, &obj);
            for (const Midi& m : m_queuedNotes) {
                const uint8_t msg[3] = {m.nStatus, m.nKey, m.nVelocity};
                lv2_atom_forge_frame_time(&m_forge, 0);
                lv2_atom_forge_atom(&m_forge, 3, m_nMidiEvent);
                lv2_atom_forge_write(&m_forge, msg, 3);
            }
        }
        lv2_atom_forge_pop(&m_forge, &seq);
    }
    m_dQueuedBpm = 0.0;
    m_queuedNotes.clear();
    for (auto& out : m_atomOut) {
        auto* a = reinterpret_cast<LV2_Atom*>(out.data());
        a->size = kAtomBytes - sizeof(LV2_Atom);
        a->type = m_nChunk;
    }
}

void CLv2BenchHost::RunBlock() {
    WriteInput();
    lilv_instance_run(m_pInstance, m_nBlock);
    if (m_pWorker == nullptr || m_responses.empty()) return;
    LV2_Handle h = lilv_instance_get_handle(m_pInstance);
    for (const auto& r : m_responses)
        if (m_pWorker->work_response != nullptr)
            m_pWorker->work_response(h, static_cast<uint32_t>(r.size()), r.data());
    m_responses.clear();
    if (m_pWorker->end_run != nullptr) m_pWorker->end_run(h);
}

double CLv2BenchHost::AudioMagnitude() const {
    double sum = 0.0;
    for (const auto& b : m_audio)
        for (float f : b) sum += std::fabs(f);
    return sum;
}
