#include "apps/gallery/GalleryPage.h"
#include "interfaces/PandrelConstants.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowManager.h"
#include "resources/ComboLists.h"
#include "resources/Cursors.h"
#include "resources/Palette.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include "resources/StringTable.h"
#include <cairo.h>
#include <string>

namespace {
void Blit(CDC& dc, UINT id, int x, int y) {
    if (const CBitmap* b = CSkin::Get(id)) dc.DrawBitmap(*b, x, y, b->Width(), b->Height(), 0, 0);
}
// Pad toggles: (id base, x offset, up, down); mute ids skip 1039.
struct PadToggle {
    UINT first;
    int dx;
    UINT up, down;
};
constexpr PadToggle kPadToggles[] = {{1073, 2, IDB_OPEN_UP, IDB_OPEN_DOWN},
                                     {1024, 19, IDB_MUTE_OFF, IDB_MUTE_ON},
                                     {1145, 36, IDB_SOLO_OFF, IDB_SOLO_ON},
                                     {1041, 53, IDB_SYNCED_OFF, IDB_SYNCED_ON},
                                     {1057, 70, IDB_LOOPING_OFF, IDB_LOOPING_ON}};
} // namespace

CGalleryPage::CGalleryPage() = default;
CGalleryPage::~CGalleryPage() {
    m_controls.clear();
    DestroyWindow();
}

CGalleryPage::Toggle& CGalleryPage::AddToggle(UINT id, RECT rc, UINT up, UINT down, int state) {
    auto t = std::make_unique<Toggle>();
    t->Create(this, rc, id);
    t->Load(up, down, 0, 0, FALSE, TRUE);
    t->m_nState = state;
    Toggle& ref = *t;
    m_controls.push_back(std::move(t));
    return ref;
}

CGalleryPage::Knob& CGalleryPage::AddKnob(UINT id, POINT at, float pos) {
    auto k = std::make_unique<Knob>();
    k->Create(this, RectXYWH(at.x, at.y, 17, 17), id);
    k->Initialize(IDB_KNOB, 17, 17, 0.5f, FALSE, nullptr);
    k->SetPosition(pos);
    Knob& ref = *k;
    m_controls.push_back(std::move(k));
    return ref;
}

void CGalleryPage::AddEdit(UINT id, RECT rc, const wchar_t* text) {
    auto e = std::make_unique<Edit>();
    e->Create(this, rc, id);
    e->SetFont(&m_font12);
    e->SetColors(kPalette[4], kPalette[1]);
    e->SetWindowText(text);
    m_controls.push_back(std::move(e));
}

void CGalleryPage::AddCombo(UINT id, POINT at, int sel) {
    auto c = std::make_unique<Combo>();
    c->Create(this, RectXYWH(at.x, at.y, 60, 14), id);
    c->SetFont(&m_font12);
    c->SetColors(kPalette[4], kPalette[1]);
    for (const auto& s : CComboLists::For(id)) c->AddString(s);
    c->SetCurSel(sel);
    m_controls.push_back(std::move(c));
}

CStatic& CGalleryPage::AddStatic(UINT id, RECT rc, const wchar_t* text) {
    auto s = std::make_unique<CStatic>();
    s->Create(this, rc, id);
    s->SetFont(&m_font12);
    s->SetColors(kPalette[1], kPalette[3]);
    s->SetWindowText(text);
    CStatic& ref = *s;
    m_controls.push_back(std::move(s));
    return ref;
}

bool CGalleryPage::Open(uintptr_t nativeParent) {
    if (!CreateTopLevel(CStringTable::Load(IDS_CAPTION) + L" skin gallery", {600, 553},
                        nativeParent))
        return false;
    std::wstring face = CStringTable::Load(IDS_FONT_FACE);
    m_font12.CreateFont(12, face.c_str());
    m_font14.CreateFont(14, face.c_str());
    m_nEditReturn = ::RegisterWindowMessage(L"vudivuvizezud_edit_return_key");
    m_nComboReturn = ::RegisterWindowMessage(L"vudivuvizezud_combo_return_key");

    // Top bar and Loop Bin keys, alternately up and down.
    AddToggle(1161, RectXYWH(10, 29, 15, 14), IDB_OPEN_UP, IDB_OPEN_DOWN, 0);
    AddToggle(1162, RectXYWH(31, 29, 15, 14), IDB_SAVE_UP, IDB_SAVE_DOWN, 1);
    auto clear = std::make_unique<Button>();
    clear->Create(this, RectXYWH(50, 27, 20, 19), 1165);
    clear->LoadBitmaps(IDB_CLEAR_UP, IDB_CLEAR_DOWN);
    m_controls.push_back(std::move(clear));
    AddToggle(1132, RectXYWH(71, 27, 20, 19), IDB_PLAY_OFF, IDB_PLAY_ON, 1);
    auto stop = std::make_unique<Button>();
    stop->Create(this, RectXYWH(92, 27, 20, 19), 1133);
    stop->LoadBitmaps(IDB_STOP);
    m_controls.push_back(std::move(stop));
    AddToggle(1092, RectXYWH(113, 27, 21, 19), IDB_AUDITION_OFF, IDB_AUDITION_ON, 1);
    AddToggle(1144, RectXYWH(98, 52, 15, 14), IDB_DELETE_OFF, IDB_DELETE_ON, 0);
    AddToggle(1126, RectXYWH(115, 52, 15, 14), IDB_OPEN_UP, IDB_OPEN_DOWN, 1);

    // Pad cells: every toggle both ways across the grid, knobs at several values.
    for (int p = 0; p < kPadCount; ++p) {
        int x = 138 + 89 * (p % 4), y = 43 + 57 * (p / 4);
        for (int k = 0; k < 5; ++k) {
            const PadToggle& t = kPadToggles[k];
            UINT id = (t.first == 1024 && p == 15) ? 1040 : t.first + p;
            AddToggle(id, RectXYWH(x + t.dx, y + 1, k == 0 ? 15 : 16, k == 0 ? 14 : 15), t.up,
                      t.down, ((p >> (k % 4)) + k) & 1);
        }
        AddKnob(1093 + p, {x + 47, y - 37}, static_cast<float>(p) / 15.0f);
        AddKnob(1109 + p, {x + 65, y - 17}, 1.0f - static_cast<float>(p) / 15.0f);
    }

    // Pad Inspector.
    AddCombo(IDC_PAD_OUTPUT, {534, 22}, 0);
    AddCombo(IDC_PAD_MIDI_IN, {534, 40}, 1);
    AddCombo(IDC_PAD_ROOT, {534, 58}, 4);
    AddEdit(1141, RectXYWH(554, 82, 34, 12), L"0");
    AddEdit(1142, RectXYWH(554, 99, 34, 12), L"127");
    AddEdit(1140, RectXYWH(554, 121, 34, 12), L"C5");
    AddEdit(1139, RectXYWH(554, 138, 34, 12), L"C0");
    AddEdit(1138, RectXYWH(554, 155, 34, 12), L"G10");
    AddToggle(1125, RectXYWH(500, 176, 9, 9), IDB_CHECK_OFF, IDB_CHECK_ON, 0);
    AddToggle(1166, RectXYWH(548, 176, 9, 9), IDB_CHECK_OFF, IDB_CHECK_ON, 1);
    AddToggle(1137, RectXYWH(500, 190, 9, 9), IDB_CHECK_OFF, IDB_CHECK_ON, 1);
    AddStatic(1172, RectXYWH(504, 216, 34, 12), L"-Inf");
    AddStatic(1173, RectXYWH(554, 216, 34, 12), L"C");

    // Slice Inspector and the Pad Editor's controls.
    AddKnob(1167, {15, 397}, 0.5f);
    AddEdit(1134, RectXYWH(43, 399, 30, 12), L"0");
    AddKnob(1168, {15, 435}, 0.5f);
    AddEdit(1135, RectXYWH(43, 438, 30, 12), L"0.0");
    AddKnob(1169, {15, 474}, 0.5f);
    AddEdit(1136, RectXYWH(43, 477, 30, 12), L"C");
    AddCombo(IDC_SNAP, {21, 515}, 6);
    const UINT zoom[4][2] = {{IDB_ZOOM_H_IN_UP, IDB_ZOOM_H_IN_DOWN},
                             {IDB_ZOOM_H_OUT_UP, IDB_ZOOM_H_OUT_DOWN},
                             {IDB_ZOOM_V_IN_UP, IDB_ZOOM_V_IN_DOWN},
                             {IDB_ZOOM_V_OUT_UP, IDB_ZOOM_V_OUT_DOWN}};
    const RECT zoomAt[4] = {RectXYWH(567, 535, 10, 12), RectXYWH(556, 535, 10, 12),
                            RectXYWH(583, 519, 12, 10), RectXYWH(583, 508, 12, 10)};
    for (int i = 0; i < 4; ++i) {
        auto z = std::make_unique<Zoom>();
        z->Create(this, zoomAt[i], 1127 + i);
        z->LoadBitmaps(zoom[i][0], zoom[i][1]);
        m_controls.push_back(std::move(z));
    }
    m_pStatus =
        &AddStatic(1, RectXYWH(110, 508, 300, 14), L"Click, drag and type: every control is live.");
    m_pStatus->SetColors(kPalette[6], kPalette[1]);
    m_pStatus->SetAlignment(DT_LEFT);
    Invalidate(true);
    return true;
}

void CGalleryPage::OnPaint(CDC& dc) {
    Blit(dc, IDB_BACKGROUND, 0, 0);
    Blit(dc, IDB_PADGRID, 135, 2);
    for (int p = 0; p < 16; ++p) {
        int x = 138 + 89 * (p % 4), y = 43 + 57 * (p / 4);
        Blit(dc, p % 3 == 0 ? PadLitBitmap(p) : PadUnlitBitmap(p), x, y - 38);
    }
    // The current pad's frame, as the page outlines it.
    CPen frame(PS_SOLID, 2, kPalette[8]);
    CBrush none;
    dc.SelectObject(&frame);
    dc.SelectObject(&none);
    dc.Rectangle(137, 4, 137 + 90, 4 + 58);
    Blit(dc, m_bKeyMapTab ? IDB_BAND_KEYMAP : IDB_BAND_SLICES, 1, 232);
    PaintSwatches(dc);
}

// Inside the Pad Editor: every key in both states, both check boxes, the two
// states of pad 1 and knob frames 0, 31 and 63, with the drag cursor.
void CGalleryPage::PaintSwatches(CDC& dc) {
    const UINT pairs[][2] = {{IDB_OPEN_UP, IDB_OPEN_DOWN},
                             {IDB_SAVE_UP, IDB_SAVE_DOWN},
                             {IDB_CLEAR_UP, IDB_CLEAR_DOWN},
                             {IDB_PLAY_OFF, IDB_PLAY_ON},
                             {IDB_STOP, IDB_STOP},
                             {IDB_AUDITION_OFF, IDB_AUDITION_ON},
                             {IDB_DELETE_OFF, IDB_DELETE_ON},
                             {IDB_MUTE_OFF, IDB_MUTE_ON},
                             {IDB_SOLO_OFF, IDB_SOLO_ON},
                             {IDB_SYNCED_OFF, IDB_SYNCED_ON},
                             {IDB_LOOPING_OFF, IDB_LOOPING_ON},
                             {IDB_CHECK_OFF, IDB_CHECK_ON},
                             {IDB_ZOOM_H_IN_UP, IDB_ZOOM_H_IN_DOWN},
                             {IDB_ZOOM_H_OUT_UP, IDB_ZOOM_H_OUT_DOWN},
                             {IDB_ZOOM_V_IN_UP, IDB_ZOOM_V_IN_DOWN},
                             {IDB_ZOOM_V_OUT_UP, IDB_ZOOM_V_OUT_DOWN}};
    dc.SelectObject(&m_font12);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kPalette[3]);
    dc.TextOut(110, 354, L"Skin pieces, up and down:");
    int x = 110;
    for (const auto& pr : pairs) {
        const CBitmap* up = CSkin::Get(pr[0]);
        Blit(dc, pr[0], x, 372);
        Blit(dc, pr[1], x, 394);
        x += up->Width() + 6;
    }
    Blit(dc, PadUnlitBitmap(0), 110, 420);
    Blit(dc, PadLitBitmap(0), 160, 420);
    const CBitmap* strip = CSkin::Get(IDB_KNOB);
    for (int i = 0; i < 3; ++i)
        dc.DrawBitmap(*strip, 214 + 24 * i, 430, 17, 17, (i * 31 + (i == 2)) * 17, 0);
    dc.TextOut(214, 452, L"0    50  100");
    if (const CCursor* c = CCursors::Load(L"DRAGCOPY")) {
        // Over the well, as the pointer shows it: its clear pixels let the well through.
        cairo_t* cr = dc.Cairo();
        cairo_save(cr);
        cairo_set_source_surface(cr, c->Image().Surface(), 300, 428);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    dc.TextOut(326, 432, L"DRAGCOPY");
}

void CGalleryPage::OnLButtonDown(UINT, POINT pt) {
    // The middle band's tabs switch its picture, as the page's do.
    bool keys = RECT{6, 234, 27, 286}.Contains(pt), slices = RECT{6, 286, 27, 338}.Contains(pt);
    if ((keys || slices) && keys != m_bKeyMapTab) {
        m_bKeyMapTab = keys;
        RECT band{1, 232, 597, 339};
        InvalidateRect(&band);
    }
}

void CGalleryPage::OnVScroll(UINT nCode, UINT nPos, CWnd* pCtrl) {
    if (nCode != SB_THUMBTRACK || !pCtrl) return;
    static_cast<CBitmapKnobCtrl*>(pCtrl)->SetPosition(static_cast<float>(nPos) / 100.0f);
    m_pStatus->SetWindowText(L"Knob " + std::to_wstring(pCtrl->GetDlgCtrlID()) + L": " +
                             std::to_wstring(nPos));
}

void CGalleryPage::OnRButtonDown(UINT, POINT pt) {
    if (!RECT{139, 6, 496, 238}.Contains(pt)) return;
    // The pad menu, with its check marks, as the page shows it.
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 32770, L"Open Audio File");
    menu.AppendMenu(MF_STRING | MF_CHECKED, 32771, L"Looping");
    menu.AppendMenu(MF_STRING, 32772, L"Synced Playback");
    menu.AppendMenu(MF_STRING, 32773, L"Clear Pad");
    POINT at = ClientToScreen(pt);
    UINT cmd = menu.TrackPopupMenu(TPM_RETURNCMD, at.x, at.y, this);
    m_pStatus->SetWindowText(L"Menu: " + (cmd ? std::to_wstring(cmd) : std::wstring(L"dismissed")));
}

// The top bar's keys open the layer's dialogs, so they can be tried here.
bool CGalleryPage::RunDialog(UINT id) {
    std::wstring caption = CStringTable::Load(IDS_CAPTION);
    if (id == 1165 || id == 1144) {
        UINT text = id == 1165 ? IDS_CLEAR_PROJECT : IDS_DELETE_FILE;
        int answer =
            MessageBox(this, CStringTable::Load(text), caption, MB_YESNO | MB_ICONQUESTION);
        m_pStatus->SetWindowText(answer == IDYES ? L"Answered Yes" : L"Answered No");
    } else if (id == 1161 || id == 1162 || id == 1126) {
        const wchar_t* filter =
            id == 1126 ? L"Wave Files (*.wav)|*.wav||" : L"Pnd Files (*.pnd)|*.pnd||";
        CFileDialog dlg(id != 1162, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                        filter, this);
        bool ok = dlg.DoModal() == IDOK;
        m_pStatus->SetWindowText(ok ? L"Chose " + dlg.GetPathName() : L"Cancelled");
    } else {
        return false;
    }
    // The key pops back, as the page's do after their dialogs.
    if (auto* t = dynamic_cast<CBitmapToggleCtrl*>(GetDlgItem(id)))
        t->m_nState = 0, t->Invalidate();
    return true;
}

BOOL CGalleryPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    CWnd* ctrl = reinterpret_cast<CWnd*>(lParam);
    int code = HIWORD(wParam);
    if (code == BN_CLICKED && RunDialog(LOWORD(wParam))) return TRUE;
    if (code == BN_CLICKED && ctrl) {
        std::wstring text = L"Control " + std::to_wstring(LOWORD(wParam));
        if (auto* t = dynamic_cast<CBitmapToggleCtrl*>(ctrl))
            text += L": state " + std::to_wstring(t->m_nState);
        else
            text += L": pressed";
        m_pStatus->SetWindowText(text);
    }
    return TRUE;
}

LRESULT CGalleryPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == m_nEditReturn || msg == m_nComboReturn) {
        CWnd* item = GetDlgItem(static_cast<UINT>(wParam));
        m_pStatus->SetWindowText(L"Return in " + std::to_wstring(wParam) + L": " +
                                 (item ? item->GetWindowText() : L""));
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
