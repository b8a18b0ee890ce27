#include "apps/lv2/Lv2Patch.h"
#include "apps/lv2/Lv2Uris.h"
#include <cstddef>
#include <cstring>
#include <lv2/atom/util.h>
#include <lv2/patch/patch.h>

void CLv2Patch::Init(const LV2_URID_Map* pMap) {
    auto map = [pMap](const char* psz) { return pMap->map(pMap->handle, psz); };
    m_urid = {map(LV2_ATOM__Object),         map(LV2_ATOM__Blank),       map(LV2_ATOM__Path),
              map(LV2_ATOM__String),         map(LV2_ATOM__URID),        map(LV2_PATCH__Set),
              map(LV2_PATCH__Get),           map(LV2_PATCH__property),   map(LV2_PATCH__value),
              map(PANDREL_LV2_PROJECT_FILE), map(PANDREL_LV2_AUDIO_FILE)};
    lv2_atom_forge_init(&m_forge, const_cast<LV2_URID_Map*>(pMap));
}

LV2_URID CLv2Patch::Param(Lv2FileParam param) const {
    return param == Lv2FileParam::Project ? m_urid.projectFile : m_urid.audioFile;
}

Lv2PatchMessage CLv2Patch::Read(const LV2_Atom* pAtom) const {
    Lv2PatchMessage msg;
    if ((pAtom->type != m_urid.atomObject && pAtom->type != m_urid.atomBlank) ||
        pAtom->size < sizeof(LV2_Atom_Object_Body))
        return msg;
    const auto* pBody = reinterpret_cast<const uint8_t*>(pAtom + 1);
    LV2_Atom_Object_Body object;
    std::memcpy(&object, pBody, sizeof(object));
    if (object.otype != m_urid.patchSet && object.otype != m_urid.patchGet) return msg;
    // The properties are walked by hand: a value whose size runs past the
    // object ends the walk, so a malformed message reads nothing outside it.
    const LV2_Atom *pProperty = nullptr, *pValue = nullptr;
    const uint8_t* p = pBody + sizeof(object);
    const uint8_t* pEnd = pBody + pAtom->size;
    while (pEnd - p >= static_cast<std::ptrdiff_t>(sizeof(LV2_Atom_Property_Body))) {
        LV2_Atom_Property_Body prop;
        std::memcpy(&prop, p, sizeof(prop));
        if (prop.value.size > static_cast<size_t>(pEnd - p) - sizeof(prop)) break;
        const auto* pAtomValue =
            reinterpret_cast<const LV2_Atom*>(p + offsetof(LV2_Atom_Property_Body, value));
        if (prop.key == m_urid.patchProperty) pProperty = pAtomValue;
        if (prop.key == m_urid.patchValue) pValue = pAtomValue;
        p += lv2_atom_pad_size(static_cast<uint32_t>(sizeof(prop)) + prop.value.size);
    }
    LV2_URID property = 0;
    if (pProperty != nullptr && pProperty->type == m_urid.atomUrid &&
        pProperty->size >= sizeof(LV2_URID))
        std::memcpy(&property, pProperty + 1, sizeof(property));
    const bool bProject = property == m_urid.projectFile, bAudio = property == m_urid.audioFile;
    msg.param = bAudio ? Lv2FileParam::Audio : Lv2FileParam::Project;
    if (object.otype == m_urid.patchGet) {
        if (pProperty == nullptr) msg.bAll = true;
        if (pProperty == nullptr || bProject || bAudio) msg.kind = Lv2PatchMessage::Kind::Get;
        return msg;
    }
    if (!(bProject || bAudio) || pValue == nullptr ||
        (pValue->type != m_urid.atomPath && pValue->type != m_urid.atomString))
        return msg;
    msg.kind = Lv2PatchMessage::Kind::Set;
    msg.pszPath = reinterpret_cast<const char*>(pValue + 1);
    msg.nPathBytes = pValue->size;
    // The value's terminating NUL (and any padding a host left) is not part of the path.
    const void* pNul = std::memchr(msg.pszPath, '\0', msg.nPathBytes);
    if (pNul != nullptr)
        msg.nPathBytes = static_cast<uint32_t>(static_cast<const char*>(pNul) - msg.pszPath);
    return msg;
}

void CLv2Patch::Begin(LV2_Atom_Sequence* pOut) {
    m_bEmpty = true;
    m_bOpen = pOut != nullptr && pOut->atom.size >= sizeof(LV2_Atom_Sequence);
    if (!m_bOpen) return;
    lv2_atom_forge_set_buffer(&m_forge, reinterpret_cast<uint8_t*>(pOut),
                              sizeof(LV2_Atom) + pOut->atom.size);
    lv2_atom_forge_sequence_head(&m_forge, &m_sequence, 0);
}

bool CLv2Patch::Set(Lv2FileParam param, const char* pszPath, uint32_t nPathBytes) {
    if (!m_bOpen) return false;
    // The whole event is measured first, so that the forge never stops halfway:
    // event header, object body, the property as a URID, the value as a path.
    const uint32_t nNeeded = static_cast<uint32_t>(sizeof(LV2_Atom_Event)) + 8 + 24 + 16 +
                             lv2_atom_pad_size(nPathBytes + 1);
    if (m_forge.size - m_forge.offset < nNeeded) return false;
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&m_forge, 0);
    lv2_atom_forge_object(&m_forge, &object, 0, m_urid.patchSet);
    lv2_atom_forge_key(&m_forge, m_urid.patchProperty);
    lv2_atom_forge_urid(&m_forge, Param(param));
    lv2_atom_forge_key(&m_forge, m_urid.patchValue);
    lv2_atom_forge_path(&m_forge, pszPath, nPathBytes);
    lv2_atom_forge_pop(&m_forge, &object);
    m_bEmpty = false;
    return true;
}

void CLv2Patch::End() {
    if (m_bOpen) lv2_atom_forge_pop(&m_forge, &m_sequence);
    m_bOpen = false;
}
