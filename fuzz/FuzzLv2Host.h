// A minimal LV2 host for the fuzz targets and their replay: loads the built
// bundle's plug-in binary with dlopen, instantiates it through its descriptor
// with a URID map, and saves, restores and runs it as a host would.
#pragma once
#include "FuzzInput.h"
#include <array>
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <map>
#include <string>
#include <vector>

class CFuzzLv2Host {
public:
    static constexpr uint32_t kBlock = 64;
    static constexpr uint32_t kOutputPorts = 34, kFirstOutput = 2;
    static constexpr uint8_t kMaxNotes = 16;

    explicit CFuzzLv2Host(const std::string& strBundle) {
        void* pLib = dlopen((strBundle + "/pandrel_lv2.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        FuzzCheck(pLib != nullptr);
        auto* pEntry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(pLib, "lv2_descriptor"));
        FuzzCheck(pEntry != nullptr && (m_pDesc = pEntry(0)) != nullptr);
        m_map = {this, &CFuzzLv2Host::MapThunk};
        m_mapFeature = {LV2_URID__map, &m_map};
        m_features[0] = &m_mapFeature;
        m_pHandle = m_pDesc->instantiate(m_pDesc, 48000.0, strBundle.c_str(), m_features);
        FuzzCheck(m_pHandle != nullptr);
        m_pState =
            static_cast<const LV2_State_Interface*>(m_pDesc->extension_data(LV2_STATE__interface));
        FuzzCheck(m_pState != nullptr);
        auto* pSeq = reinterpret_cast<LV2_Atom_Sequence*>(m_sequence.data());
        pSeq->atom = {sizeof(LV2_Atom_Sequence_Body), Map(LV2_ATOM__Sequence)};
        pSeq->body = {0, 0};
        m_nMidiEvent = Map(LV2_MIDI__MidiEvent);
        m_pDesc->connect_port(m_pHandle, 0, pSeq);
        m_pDesc->connect_port(m_pHandle, 1, &m_fHostKey);
        for (uint32_t i = 0; i < kOutputPorts; ++i) {
            m_outputs[i].assign(kBlock, 0.0f);
            m_pDesc->connect_port(m_pHandle, kFirstOutput + i, m_outputs[i].data());
        }
        m_pDesc->activate(m_pHandle);
    }
    ~CFuzzLv2Host() {
        m_pDesc->deactivate(m_pHandle);
        m_pDesc->cleanup(m_pHandle); // the library stays loaded: the instrument may be cached
    }
    CFuzzLv2Host(const CFuzzLv2Host&) = delete;
    CFuzzLv2Host& operator=(const CFuzzLv2Host&) = delete;

    // The bytes offered as the plug-in's one state property, an atom:Chunk.
    LV2_State_Status Restore(const uint8_t* p, size_t n) {
        m_restore.assign(p, p + n);
        return m_pState->restore(m_pHandle, &CFuzzLv2Host::RetrieveThunk, this, 0, nullptr);
    }
    LV2_State_Status Save(std::vector<uint8_t>* pBytes) {
        m_saved.clear();
        const LV2_State_Status s =
            m_pState->save(m_pHandle, &CFuzzLv2Host::StoreThunk, this, 0, nullptr);
        *pBytes = m_saved;
        return s;
    }
    // Audio thread: allocates nothing. One block, with a note-on for each of the keys [nFirstKey,
    // nFirstKey + nKeys) at its start; true when every sample of every output is finite.
    bool Run(uint8_t nFirstKey = 0, uint8_t nKeys = 0) {
        auto* pSeq = reinterpret_cast<LV2_Atom_Sequence*>(m_sequence.data());
        pSeq->atom.size = sizeof(LV2_Atom_Sequence_Body);
        for (uint8_t k = 0; k < nKeys && k < kMaxNotes; ++k) {
            auto* pEv = reinterpret_cast<LV2_Atom_Event*>(m_sequence.data() + sizeof(LV2_Atom) +
                                                          pSeq->atom.size);
            pEv->time.frames = k;
            pEv->body = {3, m_nMidiEvent};
            auto* pb = reinterpret_cast<uint8_t*>(pEv + 1);
            pb[0] = 0x90;
            pb[1] = static_cast<uint8_t>((nFirstKey + k) & 0x7F);
            pb[2] = 100;
            pSeq->atom.size += sizeof(LV2_Atom_Event) + 8;
        }
        m_pDesc->run(m_pHandle, kBlock);
        for (const auto& v : m_outputs)
            for (float f : v)
                if (!(f == f) || f > 1e30f || f < -1e30f) return false;
        return true;
    }

private:
    LV2_URID Map(const char* psz) {
        auto [it, bNew] = m_urids.try_emplace(psz, static_cast<LV2_URID>(m_urids.size() + 1));
        return it->second;
    }
    static LV2_URID MapThunk(LV2_URID_Map_Handle h, const char* psz) {
        return static_cast<CFuzzLv2Host*>(h)->Map(psz);
    }
    static const void* RetrieveThunk(LV2_State_Handle h, uint32_t, size_t* pSize, uint32_t* pType,
                                     uint32_t* pFlags) {
        auto* self = static_cast<CFuzzLv2Host*>(h);
        *pSize = self->m_restore.size();
        *pType = self->Map(LV2_ATOM__Chunk);
        *pFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        static const uint8_t kNone = 0; // an empty chunk is still a chunk
        return self->m_restore.empty() ? &kNone : self->m_restore.data();
    }
    static LV2_State_Status StoreThunk(LV2_State_Handle h, uint32_t, const void* p, size_t n,
                                       uint32_t, uint32_t) {
        auto* self = static_cast<CFuzzLv2Host*>(h);
        self->m_saved.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
        return LV2_STATE_SUCCESS;
    }

    const LV2_Descriptor* m_pDesc = nullptr;
    LV2_Handle m_pHandle = nullptr;
    const LV2_State_Interface* m_pState = nullptr;
    std::map<std::string, LV2_URID, std::less<>> m_urids;
    LV2_URID m_nMidiEvent = 0;
    LV2_URID_Map m_map{};
    LV2_Feature m_mapFeature{};
    const LV2_Feature* m_features[2]{};
    alignas(8) std::array<uint8_t, 32 + kMaxNotes*(sizeof(LV2_Atom_Event) + 8)> m_sequence{};
    std::array<std::vector<float>, kOutputPorts> m_outputs;
    float m_fHostKey = -1.0f;
    std::vector<uint8_t> m_restore, m_saved;
};
