#include "editor/SliceSettings.h"
#include "editor/EditorState.h"
#include "editor/PageControls.h"
#include "editor/ValueText.h"
#include <algorithm>
#include <string>

bool CSliceSettings::OneGrain(LONG* pnPad, LONG* pnGrain) const {
    if (m_state.Control() == nullptr || m_state.m_grains.Count() != 1) return false;
    *pnPad = m_state.m_grains[0].nRow;
    *pnGrain = m_state.m_grains[0].nIndex;
    return true;
}

void CSliceSettings::ShowText(UINT nID, const std::wstring& text) const {
    if (CWnd* e = m_controls.Get(nID)) e->SetWindowText(text);
}

void CSliceSettings::Refresh() const {
    LONG nPitch = 0;
    float fGain = 1.0f, fPan = 0.5f;
    IVudivuVizezud* c = m_state.Control();
    if (c != nullptr && !m_state.m_grains.IsEmpty()) {
        const EventSelectionInfo& g = m_state.m_grains[0];
        c->GetGrainPitch(g.nRow, g.nIndex, &nPitch);
        c->GetGrainGain(g.nRow, g.nIndex, &fGain);
        c->GetGrainPan(g.nRow, g.nIndex, &fPan);
    }
    if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_PITCH_KNOB))
        k->SetPosition(static_cast<float>(std::clamp<LONG>(nPitch, -24, 24) + 24) / 48.0f);
    if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_GAIN_KNOB)) k->SetPosition(fGain * 0.5f);
    if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_PAN_KNOB)) k->SetPosition(fPan);
    const bool one = m_state.m_grains.Count() == 1;
    ShowText(IDC_PITCH_EDIT, one ? std::to_wstring(nPitch) : L"0");
    ShowText(IDC_GAIN_EDIT, one ? CValueText::Gain(fGain) : L"0");
    ShowText(IDC_PAN_EDIT, one ? CValueText::Pan(fPan) : L"0");
}

// With none or several grains selected a knob shows where it was turned,
// but nothing is written and the edit keeps "0". Only a new value takes an
// undo step and marks the project changed.
void CSliceSettings::SetPitch(LONG nSemitones, UINT nGesture) {
    nSemitones = std::clamp<LONG>(nSemitones, -24, 24);
    if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_PITCH_KNOB))
        k->SetPosition(static_cast<float>(nSemitones + 24) / 48.0f);
    LONG pad = 0, grain = 0, nOld = 0;
    if (!OneGrain(&pad, &grain)) return ShowText(IDC_PITCH_EDIT, L"0");
    IVudivuVizezud* c = m_state.Control();
    if (FAILED(c->GetGrainPitch(pad, grain, &nOld)) || nOld != nSemitones) {
        m_state.SettingChanging(nGesture);
        m_state.Redraw(kPadEditorRect);
    }
    c->SetGrainPitch(pad, grain, nSemitones);
    ShowText(IDC_PITCH_EDIT, std::to_wstring(nSemitones));
}

void CSliceSettings::SetGain(float fGain, UINT nGesture) {
    fGain = std::clamp(fGain, 0.0f, 2.0f);
    if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_GAIN_KNOB)) k->SetPosition(fGain * 0.5f);
    LONG pad = 0, grain = 0;
    float fOld = 0.0f;
    if (!OneGrain(&pad, &grain)) return ShowText(IDC_GAIN_EDIT, L"0");
    IVudivuVizezud* c = m_state.Control();
    if (FAILED(c->GetGrainGain(pad, grain, &fOld)) || fOld != fGain)
        m_state.SettingChanging(nGesture);
    c->SetGrainGain(pad, grain, fGain);
    ShowText(IDC_GAIN_EDIT, CValueText::Gain(fGain));
}

void CSliceSettings::SetPan(float fPan, UINT nGesture) {
    fPan = std::clamp(fPan, 0.0f, 1.0f);
    if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_PAN_KNOB)) k->SetPosition(fPan);
    LONG pad = 0, grain = 0;
    float fOld = 0.0f;
    if (!OneGrain(&pad, &grain)) return ShowText(IDC_PAN_EDIT, L"0");
    IVudivuVizezud* c = m_state.Control();
    if (FAILED(c->GetGrainPan(pad, grain, &fOld)) || fOld != fPan)
        m_state.SettingChanging(nGesture);
    c->SetGrainPan(pad, grain, fPan);
    ShowText(IDC_PAN_EDIT, CValueText::Pan(fPan));
}

bool CSliceSettings::OnKnob(UINT nID, int nPos) {
    switch (nID) {
    case IDC_PITCH_KNOB: SetPitch(CValueText::PitchFromKnob(nPos), nID); return true;
    case IDC_GAIN_KNOB: SetGain(CValueText::GainFromKnob(nPos), nID); return true;
    case IDC_PAN_KNOB: SetPan(CValueText::PanFromKnob(nPos), nID); return true;
    default: return false;
    }
}

bool CSliceSettings::CommitEdit(UINT nID) {
    const CWnd* e = m_controls.Get(nID);
    if (e == nullptr || (nID != IDC_PITCH_EDIT && nID != IDC_GAIN_EDIT && nID != IDC_PAN_EDIT))
        return false;
    const std::wstring text = e->GetWindowText();
    LONG n = 0;
    float f = 0.0f;
    if (nID == IDC_PITCH_EDIT && CValueText::ReadNumber(text, &n))
        SetPitch(n);
    else if (nID == IDC_GAIN_EDIT && CValueText::ReadGain(text, &f))
        SetGain(f);
    else if (nID == IDC_PAN_EDIT && CValueText::ReadPan(text, &f))
        SetPan(f);
    else
        Refresh();
    return true;
}
