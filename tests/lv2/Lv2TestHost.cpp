#include "lv2/Lv2TestHost.h"
#include <cstring>
#include <functional>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>
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
    m_unmap = {this, &CLv2TestHost::UnmapThunk};
    m_mapFeature = {LV2_URID__map, &m_map};
    m_features[0] = &m_mapFeature;
    m_pWorker = std::make_unique<CLv2TestWorker>(&m_map);
    m_notified.reserve(256 * 1024);
    m_patches.reserve(16);
    m_pWorld = lilv_world_new();
    std::string strUri = "file://" + strBundle + "/";
    LilvNode* pBundle = lilv_new_uri(m_pWorld, strUri.c_str());
    lilv_world_load_bundle(m_pWorld, pBundle);
    lilv_node_free(pBundle);
    LilvNode* pUri = lilv_new_uri(m_pWorld, "urn:pandrel:lv2");
    m_pPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m_pWorld), pUri);
    lilv_node_free(pUri);
    for (auto& v : m_outputs) v.assign(kBlock, 0.0f);
    for (auto& v : m_wide) v.assign(kMaxBlock, 0.0f);
}

CLv2TestHost::~CLv2TestHost() {
    Release();
    lilv_world_free(m_pWorld);
}

LV2_URID CLv2TestHost::Map(const char* pszUri) {
    // Looked up first: an emplace would allocate even for a known URI.
    const auto it = m_urids.find(pszUri);
    if (it != m_urids.end()) return it->second;
    const auto added = m_urids.emplace(pszUri, static_cast<LV2_URID>(m_urids.size() + 1)).first;
    m_uris.push_back(&added->first);
    return added->second;
}
const char* CLv2TestHost::UnmapThunk(LV2_URID_Unmap_Handle h, LV2_URID urid) {
    const auto& uris = static_cast<CLv2TestHost*>(h)->m_uris;
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1]->c_str() : nullptr;
}
LV2_URID CLv2TestHost::MapThunk(LV2_URID_Map_Handle h, const char* pszUri) {
    return static_cast<CLv2TestHost*>(h)->Map(pszUri);
}

bool CLv2TestHost::Instantiate(size_t nSequenceOffset) {
    Release();
    m_pSequence = m_sequenceBuffer.data() + nSequenceOffset;
    m_nSequenceBytes = m_sequenceBuffer.size() - nSequenceOffset;
    if (m_pPlugin == nullptr) return false;
    // Mapped here, so that reading the notify port allocates nothing.
    for (const char* psz : {LV2_ATOM__Sequence, LV2_ATOM__Object, LV2_ATOM__Chunk, LV2_ATOM__Path,
                            LV2_PATCH__Set, LV2_PATCH__property, LV2_PATCH__value})
        Map(psz);
    m_features[1] = m_pWorker->LogFeature();
    m_features[2] = m_bOfferWorker ? m_pWorker->ScheduleFeature() : nullptr;
    m_pInstance = lilv_plugin_instantiate(m_pPlugin, 44100.0, m_features);
    if (m_pInstance == nullptr) return false;
    m_pWorker->Attach(m_bOfferWorker ? m_pInstance : nullptr);
    m_patches.clear();
    m_atoms.clear();
    m_notified.clear();
    lilv_instance_connect_port(m_pInstance, kNotifyPort, m_notifyBuffer.data());
    lilv_instance_connect_port(m_pInstance, 0, m_pSequence);
    lilv_instance_connect_port(m_pInstance, 1, &m_fHostKey);
    for (uint32_t n = 0; n < kOutputPorts; ++n)
        lilv_instance_connect_port(m_pInstance, 2 + n, m_outputs[n].data());
    return true;
}

void CLv2TestHost::Release() {
    m_pWorker->Attach(nullptr);
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

bool CLv2TestHost::SaveStateDirectory(const std::string& strDir) {
    auto value = [](const char* pszSymbol, void* pUser, uint32_t* pnSize, uint32_t* pType) {
        auto* self = static_cast<CLv2TestHost*>(pUser);
        if (std::strcmp(pszSymbol, "host_key") != 0) return static_cast<const void*>(nullptr);
        *pnSize = sizeof(float);
        *pType = self->Map(LV2_ATOM__Float);
        return static_cast<const void*>(&self->m_fHostKey);
    };
    LilvState* pState = lilv_state_new_from_instance(
        m_pPlugin, m_pInstance, &m_map, nullptr, nullptr, nullptr, strDir.c_str(), value, this,
        LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
    if (pState == nullptr) return false;
    const int rc =
        lilv_state_save(m_pWorld, &m_map, &m_unmap, pState, nullptr, strDir.c_str(), "state.ttl");
    lilv_state_free(pState);
    return rc == 0;
}

bool CLv2TestHost::RestoreStateFile(const std::string& strFile) {
    LilvState* pState = lilv_state_new_from_file(m_pWorld, &m_map, nullptr, strFile.c_str());
    if (pState == nullptr) return false;
    lilv_state_restore(pState, m_pInstance, nullptr, nullptr, 0, m_features);
    lilv_state_free(pState);
    return true;
}

bool CLv2TestHost::RestorePreset(const std::string& strUri) {
    LilvNode* pUri = lilv_new_uri(m_pWorld, strUri.c_str());
    lilv_world_load_resource(m_pWorld, pUri);
    LilvState* pState = lilv_state_new_from_world(m_pWorld, &m_map, pUri);
    lilv_node_free(pUri);
    if (pState == nullptr) return false;
    lilv_state_restore(pState, m_pInstance, nullptr, nullptr, 0, m_features);
    lilv_state_free(pState);
    return true;
}

std::vector<std::string> CLv2TestHost::Presets() {
    std::vector<std::string> uris;
    LilvNode* pPreset = lilv_new_uri(m_pWorld, LV2_PRESETS__Preset);
    LilvNodes* pRelated = lilv_plugin_get_related(m_pPlugin, pPreset);
    for (LilvIter* i = lilv_nodes_begin(pRelated); !lilv_nodes_is_end(pRelated, i);
         i = lilv_nodes_next(pRelated, i))
        uris.emplace_back(lilv_node_as_uri(lilv_nodes_get(pRelated, i)));
    lilv_nodes_free(pRelated);
    lilv_node_free(pPreset);
    return uris;
}

void CLv2TestHost::RunBlock(const std::vector<Note>& notes, uint32_t nFrameBase,
                            const std::vector<Position>& positions) {
    Forge(notes, nFrameBase, kBlock, positions);
    lilv_instance_run(m_pInstance, kBlock);
    AfterRun();
}

void CLv2TestHost::RunFrames(uint32_t nFrames, const std::vector<Note>& notes, uint32_t nFrameBase,
                             const std::vector<Position>& positions) {
    for (uint32_t n = 0; n < kOutputPorts; ++n)
        lilv_instance_connect_port(m_pInstance, 2 + n, m_wide[n].data());
    Forge(notes, nFrameBase, nFrames, positions);
    lilv_instance_run(m_pInstance, nFrames);
    AfterRun();
    for (uint32_t n = 0; n < kOutputPorts; ++n)
        lilv_instance_connect_port(m_pInstance, 2 + n, m_outputs[n].data());
}

void CLv2TestHost::SetFile(const std::string& strProperty, const std::string& strPath) {
    for (const char* psz : {LV2_PATCH__Set, LV2_PATCH__property, LV2_PATCH__value, LV2_ATOM__Path,
                            LV2_ATOM__URID, strProperty.c_str()})
        Map(psz);
    m_patches.push_back({false, strProperty, strPath});
}

void CLv2TestHost::GetParams(const std::string& strProperty) {
    for (const char* psz : {LV2_PATCH__Get, LV2_PATCH__property, LV2_ATOM__URID}) Map(psz);
    if (!strProperty.empty()) Map(strProperty.c_str());
    m_patches.push_back({true, strProperty, ""});
}

void CLv2TestHost::AfterRun() {
    m_pWorker->AfterRun();
    // Each patch:Set as [property][value size][value bytes], without allocating.
    const auto* pSequence = reinterpret_cast<const LV2_Atom_Sequence*>(m_notifyBuffer.data());
    if (pSequence->atom.type != Map(LV2_ATOM__Sequence)) return;
    LV2_ATOM_SEQUENCE_FOREACH(pSequence, ev) {
        if (ev->body.type != Map(LV2_ATOM__Object)) continue;
        const auto* pObject = reinterpret_cast<const LV2_Atom_Object*>(&ev->body);
        if (pObject->body.otype != Map(LV2_PATCH__Set)) continue;
        const LV2_Atom *pProperty = nullptr, *pValue = nullptr;
        lv2_atom_object_get(pObject, Map(LV2_PATCH__property), &pProperty, Map(LV2_PATCH__value),
                            &pValue, 0);
        if (pProperty == nullptr || pValue == nullptr || pValue->type != Map(LV2_ATOM__Path))
            continue;
        const uint32_t nProperty = reinterpret_cast<const LV2_Atom_URID*>(pProperty)->body;
        const uint32_t nBytes = pValue->size > 0 ? pValue->size - 1 : 0; // without the NUL
        if (m_notified.size() + 8 + nBytes > m_notified.capacity()) continue;
        const auto* pb = reinterpret_cast<const uint8_t*>(&nProperty);
        m_notified.insert(m_notified.end(), pb, pb + 4);
        pb = reinterpret_cast<const uint8_t*>(&nBytes);
        m_notified.insert(m_notified.end(), pb, pb + 4);
        pb = reinterpret_cast<const uint8_t*>(pValue + 1);
        m_notified.insert(m_notified.end(), pb, pb + nBytes);
    }
}

std::vector<std::pair<std::string, std::string>> CLv2TestHost::TakeNotified() {
    std::vector<std::pair<std::string, std::string>> sets;
    for (size_t p = 0; p + 8 <= m_notified.size();) {
        uint32_t nProperty = 0, nBytes = 0;
        std::memcpy(&nProperty, &m_notified[p], 4);
        std::memcpy(&nBytes, &m_notified[p + 4], 4);
        const char* pszUri = UnmapThunk(this, nProperty);
        sets.emplace_back(pszUri != nullptr ? pszUri : "",
                          std::string(reinterpret_cast<const char*>(&m_notified[p + 8]), nBytes));
        p += 8 + nBytes;
    }
    m_notified.clear();
    return sets;
}

void CLv2TestHost::Forge(const std::vector<Note>& notes, uint32_t nFrameBase, uint32_t nFrames,
                         const std::vector<Position>& positions) {
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &m_map);
    lv2_atom_forge_set_buffer(&forge, m_pSequence, m_nSequenceBytes);
    LV2_Atom_Forge_Frame seq;
    lv2_atom_forge_sequence_head(&forge, &seq, 0);
    for (const Patch& patch : m_patches) {
        lv2_atom_forge_frame_time(&forge, 0);
        LV2_Atom_Forge_Frame obj;
        lv2_atom_forge_object(&forge, &obj, 0, Map(patch.bGet ? LV2_PATCH__Get : LV2_PATCH__Set));
        if (!patch.strProperty.empty()) {
            lv2_atom_forge_key(&forge, Map(LV2_PATCH__property));
            lv2_atom_forge_urid(&forge, Map(patch.strProperty.c_str()));
        }
        if (!patch.bGet) {
            lv2_atom_forge_key(&forge, Map(LV2_PATCH__value));
            lv2_atom_forge_path(&forge, patch.strPath.c_str(),
                                static_cast<uint32_t>(patch.strPath.size()));
        }
        lv2_atom_forge_pop(&forge, &obj);
    }
    m_patches.clear();
    for (const auto& atom : m_atoms) {
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_write(&forge, atom.data(), static_cast<uint32_t>(atom.size()));
    }
    m_atoms.clear();
    // The notify port's capacity, which the plug-in fills anew each block.
    auto* pNotify = reinterpret_cast<LV2_Atom*>(m_notifyBuffer.data());
    pNotify->type = Map(LV2_ATOM__Chunk);
    pNotify->size = static_cast<uint32_t>(m_notifyBuffer.size() - sizeof(LV2_Atom));
    const LV2_URID midi = Map(LV2_MIDI__MidiEvent);
    auto in = [&](uint32_t nFrame) {
        return nFrame >= nFrameBase && nFrame < nFrameBase + nFrames;
    };
    size_t p = 0;
    auto position = [&](const Position& pos) {
        lv2_atom_forge_frame_time(&forge, pos.nFrame - nFrameBase);
        LV2_Atom_Forge_Frame obj;
        lv2_atom_forge_object(&forge, &obj, 0, Map(LV2_TIME__Position));
        lv2_atom_forge_key(&forge, Map(LV2_TIME__speed));
        lv2_atom_forge_float(&forge, static_cast<float>(pos.dSpeed));
        if (pos.dBpm > 0) {
            lv2_atom_forge_key(&forge, Map(LV2_TIME__beatsPerMinute));
            lv2_atom_forge_float(&forge, static_cast<float>(pos.dBpm));
        }
        if (pos.llSongFrame >= 0) {
            lv2_atom_forge_key(&forge, Map(LV2_TIME__frame));
            lv2_atom_forge_long(&forge, pos.llSongFrame);
        }
        if (pos.llBar >= 0) {
            lv2_atom_forge_key(&forge, Map(LV2_TIME__bar));
            lv2_atom_forge_long(&forge, pos.llBar);
            lv2_atom_forge_key(&forge, Map(LV2_TIME__barBeat));
            lv2_atom_forge_float(&forge, static_cast<float>(pos.dBarBeat));
            lv2_atom_forge_key(&forge, Map(LV2_TIME__beatsPerBar));
            lv2_atom_forge_float(&forge, 4.0f);
            lv2_atom_forge_key(&forge, Map(LV2_TIME__beatUnit));
            lv2_atom_forge_int(&forge, 4);
        }
        lv2_atom_forge_pop(&forge, &obj);
    };
    for (const Note& n : notes) {
        if (!in(n.nFrame)) continue;
        for (; p < positions.size() && positions[p].nFrame <= n.nFrame; ++p)
            if (in(positions[p].nFrame)) position(positions[p]);
        const uint8_t msg[3] = {n.nStatus, n.nKey, n.nVelocity};
        lv2_atom_forge_frame_time(&forge, n.nFrame - nFrameBase);
        lv2_atom_forge_atom(&forge, 3, midi);
        lv2_atom_forge_write(&forge, msg, 3);
    }
    for (; p < positions.size(); ++p)
        if (in(positions[p].nFrame)) position(positions[p]);
    lv2_atom_forge_pop(&forge, &seq);
}

std::array<std::vector<float>, 2> CLv2TestHost::Render(const std::vector<Note>& notes,
                                                       uint32_t nBlocks,
                                                       const std::vector<Position>& positions) {
    std::array<std::vector<float>, 2> mix;
    lilv_instance_activate(m_pInstance);
    for (uint32_t b = 0; b < nBlocks; ++b) {
        RunBlock(notes, b * kBlock, positions);
        for (int c = 0; c < 2; ++c)
            mix[c].insert(mix[c].end(), m_outputs[c].begin(), m_outputs[c].end());
    }
    lilv_instance_deactivate(m_pInstance);
    return mix;
}

std::array<std::vector<float>, 2>
CLv2TestHost::RunDuringSave(const std::vector<Note>& notes, uint32_t nFrameBase,
                            const std::vector<Position>& positions) {
    std::array<std::vector<float>, 2> mix;
    const auto* pState = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(m_pInstance, LV2_STATE__interface));
    if (pState == nullptr) return mix;
    for (auto& v : m_outputs)
        std::fill(v.begin(), v.end(), 1.0f); // so that silence is seen to be written
    StateBlob blob;
    blob.pfnDuringStore = [&] {
        std::thread audio([&] { RunBlock(notes, nFrameBase, positions); });
        audio.join();
        for (int c = 0; c < 2; ++c) mix[c] = m_outputs[c];
    };
    pState->save(lilv_instance_get_handle(m_pInstance), Store, &blob, 0, nullptr);
    return mix;
}
