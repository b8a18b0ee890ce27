// The patch messages of the plug-in's file parameters: patch:Set and
// patch:Get read from the control input, and patch:Set answers written into
// the notify output so that hosts show the current values. Audio thread:
// never blocks or allocates.
#pragma once
#include <cstdint>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

enum class Lv2FileParam : uint32_t { Project = 0, Audio = 1 };
constexpr uint32_t kLv2FileParamCount = 2;

struct Lv2PatchMessage {
    enum class Kind { None, Get, Set };
    Kind kind = Kind::None;
    bool bAll = false; // a patch:Get without a property: every parameter
    Lv2FileParam param = Lv2FileParam::Project;
    const char* pszPath = nullptr; // Set: the path's bytes (not NUL-terminated)
    uint32_t nPathBytes = 0;
};

class CLv2Patch {
public:
    // Instantiation thread.
    void Init(const LV2_URID_Map* pMap);
    // A patch:Set of a file parameter to an atom:Path (or atom:String), or a
    // patch:Get; anything else is Kind::None. The atom's body must lie within
    // the sequence it came from; nothing inside it is trusted beyond that.
    Lv2PatchMessage Read(const LV2_Atom* pAtom) const;

    // Starts an empty sequence in the notify port's buffer (null: nothing is
    // written), whose capacity the host gave in its atom size.
    void Begin(LV2_Atom_Sequence* pOut);
    // Appends a patch:Set of the parameter at frame 0. False when it does
    // not fit (or no buffer): the caller may try again next block.
    bool Set(Lv2FileParam param, const char* pszPath, uint32_t nPathBytes);
    // Whether nothing was written since Begin().
    bool Empty() const { return m_bEmpty; }
    void End();

private:
    LV2_URID Param(Lv2FileParam param) const;

    struct {
        LV2_URID atomObject, atomBlank, atomPath, atomString, atomUrid, patchSet, patchGet,
            patchProperty, patchValue, projectFile, audioFile;
    } m_urid{};
    LV2_Atom_Forge m_forge{};
    LV2_Atom_Forge_Frame m_sequence{};
    bool m_bOpen = false;
    bool m_bEmpty = true;
};
