#include "editor/PadSettings.h"
#include "editor/EditorState.h"
#include "editor/NoteNames.h"
#include "editor/PageControls.h"
#include "editor/ValueText.h"
#include "interfaces/PandrelConstants.h"
#include "platform/ui/ComboBox.h"
#include "resources/ComboLists.h"
#include <algorithm>

namespace {
constexpr UINT IDC_KEY_HIGH = 1138, IDC_KEY_LOW = 1139, IDC_KEY_UNITY = 1140;
constexpr UINT IDC_VEL_LOW = 1141, IDC_VEL_HIGH = 1142;

// The pad of control nID in the 16 ids from nFirst, or -1.
int PadOf(UINT nID, UINT nFirst) {
    return nID >= nFirst && nID < nFirst + kPadCount ? static_cast<int>(nID - nFirst) : -1;
}

int MutePad(UINT nID) {
    for (int p = 0; p < kPadCount; ++p)
        if (PadMuteId(p) == nID) return p;
    return -1;
}

UINT Id(UINT nFirst, int nPad) { return nFirst + static_cast<UINT>(nPad); }

LONG Key(LONG n) { return std::clamp<LONG>(n, 0, 127); }

bool operator==(const PadKeyRange& a, const PadKeyRange& b) {
    return a.nLowKey == b.nLowKey && a.nHighKey == b.nHighKey && a.nRootKey == b.nRootKey &&
           a.nLowVelocity == b.nLowVelocity && a.nHighVelocity == b.nHighVelocity;
}
} // namespace

// Every per-pad control first makes its pad current. Selecting re-reads the
// pad's controls, so the caller takes the new state of its control before.
void CPadSettings::MakeCurrent(int nPad) {
    if (nPad != m_state.m_nCurrentPad) m_state.SelectPad(nPad);
}

bool CPadSettings::OnToggle(UINT nID, bool bShift) {
    IVudivuVizezud* c = m_state.Control();
    const CBitmapToggleCtrl* t = m_controls.Toggle(nID);
    if (c == nullptr || t == nullptr) return false;
    const BOOL bOn = t->m_nState != 0 ? TRUE : FALSE;
    if (nID == IDC_TAILS || nID == IDC_LATCH || nID == IDC_PITCH_MARKERS)
        return WriteCheck(nID, bOn, bShift);
    int nPad = MutePad(nID);
    const bool bMute = nPad >= 0;
    if (nPad < 0) nPad = PadOf(nID, IDC_PAD_SOLO);
    if (nPad >= 0) {
        MakeCurrent(nPad);
        m_state.SettingChanging();
        if (bMute)
            c->SetPadMute(nPad, bOn);
        else
            c->SetPadSolo(nPad, bOn);
        m_controls.SetToggle(nID, bOn);
        return true;
    }
    const bool bSynced = PadOf(nID, IDC_PAD_SYNCED) >= 0;
    nPad = bSynced ? PadOf(nID, IDC_PAD_SYNCED) : PadOf(nID, IDC_PAD_LOOPING);
    if (nPad < 0) return false;
    MakeCurrent(nPad);
    m_state.SettingChanging();
    for (int p = bShift ? 0 : nPad; p <= (bShift ? kPadCount - 1 : nPad); ++p) {
        if (bSynced)
            WriteSynced(p, bOn);
        else
            WriteLooping(p, bOn);
    }
    return true;
}

// A synced pad loops: turning synced on turns looping on as well.
void CPadSettings::WriteSynced(int nPad, BOOL bOn) {
    IVudivuVizezud* c = m_state.Control();
    c->SetPadSynced(nPad, bOn);
    m_controls.SetToggle(Id(IDC_PAD_SYNCED, nPad), bOn);
    if (!bOn) return;
    c->SetPadLooping(nPad, TRUE);
    m_controls.SetToggle(Id(IDC_PAD_LOOPING, nPad), TRUE);
}

// A pad that does not loop cannot be synced: looping off turns synced off.
void CPadSettings::WriteLooping(int nPad, BOOL bOn) {
    IVudivuVizezud* c = m_state.Control();
    c->SetPadLooping(nPad, bOn);
    m_controls.SetToggle(Id(IDC_PAD_LOOPING, nPad), bOn);
    if (bOn) return;
    c->SetPadSynced(nPad, FALSE);
    m_controls.SetToggle(Id(IDC_PAD_SYNCED, nPad), FALSE);
}

// Tails sets the tail flag of every grain of the pad, which the Pad Editor
// draws: it is redrawn.
bool CPadSettings::WriteCheck(UINT nID, BOOL bOn, bool bAllPads) {
    IVudivuVizezud* c = m_state.Control();
    m_state.SettingChanging();
    const int pad = m_state.m_nCurrentPad;
    for (int p = bAllPads ? 0 : pad; p <= (bAllPads ? kPadCount - 1 : pad); ++p) {
        if (nID == IDC_TAILS)
            c->SetPadTails(p, bOn);
        else if (nID == IDC_LATCH)
            c->SetPadLatch(p, bOn);
        else
            c->SetPadPitchMarkers(p, bOn);
    }
    m_controls.SetToggle(nID, bOn);
    if (nID == IDC_TAILS) m_state.Redraw(kPadEditorRect);
    return true;
}

// A knob's drag or wheel turns take one undo step; a report of the value
// the pad already has changes nothing.
bool CPadSettings::OnKnob(UINT nID, int nPos) {
    IVudivuVizezud* c = m_state.Control();
    const int nVolumePad = PadOf(nID, IDC_PAD_VOLUME), nPanPad = PadOf(nID, IDC_PAD_PAN);
    if (c == nullptr || (nVolumePad < 0 && nPanPad < 0)) return false;
    const int pad = std::max(nVolumePad, nPanPad);
    MakeCurrent(pad);
    if (nVolumePad >= 0) {
        const float fGain = CValueText::GainFromKnob(nPos);
        float fOld = -1.0f;
        c->GetPadVolume(pad, &fOld);
        if (fOld != fGain) m_state.SettingChanging(nID), c->SetPadVolume(pad, fGain);
        ShowVolume(pad, fGain);
    } else {
        const float fPan = CValueText::PanFromKnob(nPos);
        float fOld = -1.0f;
        c->GetPadPan(pad, &fOld);
        if (fOld != fPan) m_state.SettingChanging(nID), c->SetPadPan(pad, fPan);
        ShowPan(pad, fPan);
    }
    return true;
}

void CPadSettings::ShowVolume(int nPad, float fGain) const {
    if (CBitmapKnobCtrl* k = m_controls.Knob(Id(IDC_PAD_VOLUME, nPad)))
        k->SetPosition(fGain * 0.5f);
    if (CWnd* s = m_controls.Get(IDC_VOLUME_TEXT)) s->SetWindowText(CValueText::Gain(fGain));
}

void CPadSettings::ShowPan(int nPad, float fPan) const {
    if (CBitmapKnobCtrl* k = m_controls.Knob(Id(IDC_PAD_PAN, nPad))) k->SetPosition(fPan);
    if (CWnd* s = m_controls.Get(IDC_PAN_TEXT)) s->SetWindowText(CValueText::Pan(fPan));
}

// What a pad without a key-map entry answers: the whole keyboard around C5.
PadKeyRange CPadSettings::ReadKeyRange(int nPad) const {
    PadKeyRange range{nPad, 0, 127, 60, 0, 127};
    if (IVudivuVizezud* c = m_state.Control()) c->GetPadKeyRange(&range);
    return range;
}

// Keys are note names, velocities numbers. A low end above the high end
// takes the high end with it, and the reverse; the unity key moves neither.
// A text that names nothing changes nothing and the edits show the range again.
bool CPadSettings::CommitEdit(UINT nID) {
    IVudivuVizezud* c = m_state.Control();
    const CWnd* e = m_controls.Get(nID);
    if (c == nullptr || e == nullptr || nID < IDC_KEY_HIGH || nID > IDC_VEL_HIGH) return false;
    const PadKeyRange old = ReadKeyRange(m_state.m_nCurrentPad);
    PadKeyRange r = old;
    const std::wstring text = e->GetWindowText();
    LONG n = 0;
    switch (nID) {
    case IDC_KEY_LOW:
        if (CNoteNames::Read(text, old.nLowKey, &n))
            r.nLowKey = Key(n), r.nHighKey = std::max(r.nHighKey, r.nLowKey);
        break;
    case IDC_KEY_HIGH:
        if (CNoteNames::Read(text, old.nHighKey, &n))
            r.nHighKey = Key(n), r.nLowKey = std::min(r.nLowKey, r.nHighKey);
        break;
    case IDC_KEY_UNITY:
        if (CNoteNames::Read(text, old.nRootKey, &n)) r.nRootKey = Key(n);
        break;
    case IDC_VEL_LOW:
        if (CValueText::ReadNumber(text, &n))
            r.nLowVelocity = Key(n), r.nHighVelocity = std::max(r.nHighVelocity, r.nLowVelocity);
        break;
    default:
        if (CValueText::ReadNumber(text, &n))
            r.nHighVelocity = Key(n), r.nLowVelocity = std::min(r.nLowVelocity, r.nHighVelocity);
        break;
    }
    if (!(r == old)) {
        m_state.SettingChanging();
        c->SetPadKeyRange(&r);
        m_state.Redraw(kBandRect);
    }
    if (m_state.m_onKeyRangeChanged) m_state.m_onKeyRangeChanged(ReadKeyRange(r.nPad));
    return true;
}

// The box's text must be an entry of its list; anything else changes nothing
// and the box shows its entry again.
bool CPadSettings::CommitCombo(UINT nID) {
    IVudivuVizezud* c = m_state.Control();
    auto* box = dynamic_cast<CComboBox*>(m_controls.Get(nID));
    if (c == nullptr || box == nullptr) return false;
    const LONG pad = m_state.m_nCurrentPad;
    LONG nOld = 0;
    switch (nID) {
    case IDC_PAD_OUTPUT: c->GetPadOutput(pad, &nOld); break;
    case IDC_PAD_MIDI_IN: c->GetPadMidiChannel(pad, &nOld), ++nOld; break;
    case IDC_PAD_ROOT: c->GetPadRoot(pad, &nOld), ++nOld; break;
    case IDC_SNAP: nOld = m_state.m_nSnap; break;
    default: return false;
    }
    const int i = box->FindStringExact(-1, box->GetWindowText());
    if (i == CB_ERR || i == nOld) {
        box->SetCurSel(nOld >= 0 && nOld < box->GetCount() ? static_cast<int>(nOld) : 0);
        return true;
    }
    if (nID == IDC_SNAP) {
        m_state.m_nSnap = i;
        m_state.Redraw(kPadEditorRect);
    } else {
        m_state.SettingChanging();
        if (nID == IDC_PAD_OUTPUT)
            c->SetPadOutput(pad, i);
        else if (nID == IDC_PAD_MIDI_IN)
            c->SetPadMidiChannel(pad, i - 1);
        else
            c->SetPadRoot(pad, i - 1);
    }
    box->SetCurSel(i);
    return true;
}

void CPadSettings::ToggleLooping(int nPad) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return;
    BOOL bLooping = FALSE;
    c->GetPadLooping(nPad, &bLooping);
    m_state.SettingChanging();
    WriteLooping(nPad, bLooping ? FALSE : TRUE);
    m_state.ProjectChanged();
}

void CPadSettings::ToggleSynced(int nPad) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return;
    BOOL bSynced = FALSE;
    c->GetPadSynced(nPad, &bSynced);
    m_state.SettingChanging();
    WriteSynced(nPad, bSynced ? FALSE : TRUE);
    m_state.ProjectChanged();
}

// Removals are deferred, so the grain indices hold until the commit. The
// switches go off even on a pad without grains.
void CPadSettings::ClearPad(int nPad) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return;
    m_state.ClearSelections();
    m_state.SettingChanging();
    LONG nCount = 0;
    c->GetPadGrainCount(kKindPad, nPad, &nCount);
    for (LONG i = 0; i < nCount; ++i) c->RemoveGrain(nPad, i, TRUE);
    c->SetPadSynced(nPad, FALSE);
    c->SetPadLooping(nPad, FALSE);
    c->SetPadMute(nPad, FALSE);
    c->SetPadSolo(nPad, FALSE);
    c->CommitGrainEdits();
    m_state.ProjectChanged();
}
