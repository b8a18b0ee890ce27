#include "lv2/Lv2TestHost.h"
#include <cstring>
#include <functional>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <thread>

namespace {
struct StateBlob {
    LV2_URID key = 0, type = 0;
    std::vector<uint8_t> bytes;
    std::function<void()> pfnDuringStore; // called inside the store callback
};
LV2_State_Status Store(LV2_State_Handle h, uint32_t key, const void* pValue, size_t nSize,
                       uint32_t type, uint32_t) {
    auto* p = static_cast<StateBlob*>(h);
    p->key = key;
    p->type = type;
    p->bytes.assign(static_cast<const uint8_t*>(pValue),
                    static_cast<const uint8_t*>(pValue) + nSize);
    if (p->pfnDuringStore) p->pfnDuringStore();
    return LV2_STATE_SUCCESS;
}
const void* Retrieve(LV2_State_Handle h, uint32_t key, size_t* pnSize, uint32_t* pType,
                     uint32_t* pFlags) {
    auto* p = static_cast<StateBlob*>(h);
    if (key != p->key) return nullptr;
    *pnSize = p->bytes.size();
    *pType = p->type;
    *pFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return p->bytes.data();
}
} // namespace

CLv2TestHost::CLv2TestHost(const std::string& strBundle) {
    m_map = {this, &CLv2TestHost::MapThunk};
    m_mapFeature = {LV2_URID__map, &m_map};
    m_features[0] = &m_mapFeature;
    m_pWorld = lilv_world_new();
    std::string strUri = "file://" + strBundle + "/";
    LilvNode* pBundle = lilv_new_uri(m_pWorld, strUri.c_str());
    lilv_world_load_bundle(m_pWorld, pBundle);
    lilv_node_free(pBundle);
    LilvNode* pUri = lilv_new_uri(m_pWorld, "urn:pandrel:lv2");
    m_pPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m_pWorld), pUri);
    lilv_node_free(pUri);
    for (auto& v : m_outputs)
        v.assign(kBlock, 0.0f);
}

CLv2TestHost::~CLv2TestHost() {
    Release();
    lilv_world_free(m_pWorld);
}

LV2_URID CLv2TestHost::Map(const char* pszUri) {
    // Looked up first: an emplace would allocate even for a known URI.
    const auto it = m_urids.find(pszUri);
    if (it != m_urids.end()) return it->second;
    return m_urids.emplace(pszUri, static_cast<LV2_URID>(m_urids.size() + 1)).first->second;
}
LV2_URID CLv2TestHost::MapThunk(LV2_URID_Map_Handle h, const char* pszUri) {
    return static_cast<CLv2TestHost*>(h)->Map(pszUri);
}

bool CLv2TestHost::Instantiate() {
    Release();
    if (m_pPlugin == nullptr) return false;
    m_pInstance = lilv_plugin_instantiate(m_pPlugin, 44100.0, m_features);
    if (m_pInstance == nullptr) return false;
    lilv_instance_connect_port(m_pInstance, 0, m_sequence.data());
    lilv_instance_connect_port(m_pInstance, 1, &m_fHostKey);
    for (uint32_t n = 0; n < kOutputPorts; ++n)
        lilv_instance_connect_port(m_pInstance, 2 + n, m_outputs[n].data());
    return true;
}

void CLv2TestHost::Release() {
    if (m_pInstance != nullptr) lilv_instance_free(m_pInstance);
    m_pInstance = nullptr;
}

bool CLv2TestHost::Restore(const std::vector<uint8_t>& state) {
    const auto* pState = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(m_pInstance, LV2_STATE__interface));
    if (pState == nullptr) return false;
    StateBlob blob;
    blob.key = Map("urn:pandrel:lv2#state");
    blob.type = Map(LV2_ATOM__Chunk);
    blob.bytes = state;
    return pState->restore(lilv_instance_get_handle(m_pInstance), Retrieve, &blob, 0, nullptr) ==
           LV2_STATE_SUCCESS;
}

bool CLv2TestHost::Save(std::vector<uint8_t>* pState) {
    const auto* pState2 = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(m_pInstance, LV2_STATE__interface));
    if (pState2 == nullptr) return false;
    StateBlob blob;
    if (pState2->save(lilv_instance_get_handle(m_pInstance), Store, &blob, 0, nullptr) !=
            LV2_STATE_SUCCESS ||
        blob.type != Map(LV2_ATOM__Chunk))
        return false;
    *pState = std::move(blob.bytes);
    return true;
}

void CLv2TestHost::RunBlock(const std::vector<Note>& notes, uint32_t nFrameBase) {
    auto* pSeq = reinterpret_cast<LV2_Atom_Sequence*>(m_sequence.data());
    pSeq->atom.type = Map(LV2_ATOM__Sequence);
    pSeq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    pSeq->body.unit = 0;
    pSeq->body.pad = 0;
    const LV2_URID midi = Map(LV2_MIDI__MidiEvent);
    for (const Note& n : notes) {
        if (n.nFrame < nFrameBase || n.nFrame >= nFrameBase + kBlock) continue;
        struct {
            LV2_Atom_Event ev;
            uint8_t msg[3];
        } e{};
        e.ev.time.frames = n.nFrame - nFrameBase;
        e.ev.body = {3, midi};
        e.msg[0] = n.nStatus;
        e.msg[1] = n.nKey;
        e.msg[2] = n.nVelocity;
        lv2_atom_sequence_append_event(pSeq, m_sequence.size() - sizeof(LV2_Atom), &e.ev);
    }
    lilv_instance_run(m_pInstance, kBlock);
}

std::array<std::vector<float>, 2> CLv2TestHost::Render(const std::vector<Note>& notes,
                                                       uint32_t nBlocks) {
    std::array<std::vector<float>, 2> mix;
    lilv_instance_activate(m_pInstance);
    for (uint32_t b = 0; b < nBlocks; ++b) {
        RunBlock(notes, b * kBlock);
        for (int c = 0; c < 2; ++c)
            mix[c].insert(mix[c].end(), m_outputs[c].begin(), m_outputs[c].end());
    }
    lilv_instance_deactivate(m_pInstance);
    return mix;
}

std::array<std::vector<float>, 2> CLv2TestHost::RunDuringSave(const std::vector<Note>& notes) {
    std::array<std::vector<float>, 2> mix;
    const auto* pState = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(m_pInstance, LV2_STATE__interface));
    if (pState == nullptr) return mix;
    for (auto& v : m_outputs)
        std::fill(v.begin(), v.end(), 1.0f); // so that silence is seen to be written
    StateBlob blob;
    blob.pfnDuringStore = [&] {
        std::thread audio([&] { RunBlock(notes, 0); });
        audio.join();
        for (int c = 0; c < 2; ++c)
            mix[c] = m_outputs[c];
    };
    pState->save(lilv_instance_get_handle(m_pInstance), Store, &blob, 0, nullptr);
    return mix;
}
