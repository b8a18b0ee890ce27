// The standard controls and modal services the page uses: edit, combo box,
// message box, popup menu and file dialog (answered by the dialog script),
// and the reading of dropped URI lists.
#include "Recorder.h"
#include "UiFixture.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Font.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/TextField.h"
#include "platform/ui/UriList.h"

using StandardControls = UiTest;

namespace {
int Notifications(const CRecorder& r, UINT id, int code) {
    int n = 0;
    for (const auto& m : r.log)
        n += m.msg == WM_COMMAND && LOWORD(m.wParam) == id && HIWORD(m.wParam) == code;
    return n;
}
} // namespace

TEST_F(StandardControls, EditTypesSelectsAndDeletes) {
    CRecorder page;
    page.CreateTopLevel(L"page", {200, 100});
    CFont font;
    font.CreateFont(12, L"Arial");
    CEdit edit;
    edit.Create(&page, RectXYWH(10, 10, 80, 14), 1141);
    edit.SetFont(&font);
    edit.SetWindowText(L"64");
    Screen().Click({12, 15}); // focus selects all, the click puts the caret at the start
    Screen().Type(L"1");
    EXPECT_EQ(edit.GetWindowText(), L"164");
    Screen().Press(VK_END);
    Screen().Press(VK_LEFT, 0, MK_SHIFT);
    Screen().Press(VK_LEFT, 0, MK_SHIFT);
    Screen().Type(L"2");
    EXPECT_EQ(edit.GetWindowText(), L"12");
    Screen().Press(VK_BACK, 8);
    Screen().Press(VK_HOME);
    Screen().Press(VK_DELETE);
    EXPECT_EQ(edit.GetWindowText(), L"");
    Screen().Press(VK_BACK, 8); // nothing left to delete
    EXPECT_EQ(Notifications(page, 1141, EN_CHANGE), 4);
    CEdit other;
    other.Create(&page, RectXYWH(10, 40, 80, 14), 1142);
    other.SetFocus();
    EXPECT_EQ(Notifications(page, 1141, EN_KILLFOCUS), 1);
}

TEST_F(StandardControls, ComboSelectsFromItsListAndFindsExactEntries) {
    CRecorder page;
    page.CreateTopLevel(L"page", {200, 200});
    CFont font;
    font.CreateFont(12, L"Arial");
    CComboBox combo;
    combo.Create(&page, RectXYWH(10, 10, 60, 14), 1171);
    combo.SetFont(&font);
    for (const wchar_t* s : {L"None", L"A", L"A#", L"B"}) combo.AddString(s);
    EXPECT_EQ(combo.FindStringExact(-1, L"A#"), 2);
    EXPECT_EQ(combo.FindStringExact(-1, L"a#"), 2);
    EXPECT_EQ(combo.FindStringExact(-1, L"A "), CB_ERR);
    EXPECT_EQ(combo.FindStringExact(2, L"A"), 1); // wraps round
    EXPECT_EQ(combo.SetCurSel(7), CB_ERR);
    EXPECT_EQ(combo.GetWindowText(), L"");

    Screen().Click({65, 15}); // the arrow drops the list
    ASSERT_TRUE(combo.GetDroppedState());
    Screen().Click({20, 24 + 3 * 14 + 7}); // the fourth row: "B"
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(combo.GetCurSel(), 3);
    EXPECT_EQ(combo.GetWindowText(), L"B");
    EXPECT_EQ(Notifications(page, 1171, CBN_SELCHANGE), 1);
    EXPECT_EQ(Notifications(page, 1171, CBN_CLOSEUP), 1);
    Screen().Advance(1000);
    Screen().Click({65, 15});
    Screen().Click({150, 150}); // elsewhere: closes, selects nothing
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(combo.GetCurSel(), 3);
    EXPECT_EQ(Notifications(page, 1171, CBN_CLOSEUP), 2);
    combo.SetFocus();
    Screen().Press(VK_UP);
    EXPECT_EQ(combo.GetWindowText(), L"A#");
}

TEST_F(StandardControls, TabMovesTheFocusBetweenTheParentsTabStopsInCreationOrder) {
    CRecorder page;
    page.CreateTopLevel(L"page", {200, 200});
    CEdit first, hidden, disabled, last;
    CComboBox combo;
    CRecorder plain; // no tab stop
    first.Create(&page, RectXYWH(10, 10, 80, 14), 1);
    plain.Create(&page, RectXYWH(10, 30, 80, 14), 2);
    hidden.Create(&page, RectXYWH(10, 50, 80, 14), 3, false);
    combo.Create(&page, RectXYWH(10, 70, 80, 14), 4);
    disabled.Create(&page, RectXYWH(10, 90, 80, 14), 5);
    disabled.EnableWindow(false);
    last.Create(&page, RectXYWH(10, 110, 80, 14), 6);
    EXPECT_TRUE(first.IsTabStop() && combo.IsTabStop());
    EXPECT_FALSE(plain.IsTabStop() || page.IsTabStop());
    EXPECT_EQ(page.GetNextDlgTabItem(nullptr), &first);
    EXPECT_EQ(page.GetNextDlgTabItem(nullptr, true), &last);
    EXPECT_EQ(page.GetNextDlgTabItem(&plain), &combo);

    first.SetFocus();
    first.SetWindowText(L"12");
    Screen().Press(VK_TAB); // past the plain, hidden and disabled children
    EXPECT_EQ(CWnd::GetFocus(), &combo);
    EXPECT_EQ(Notifications(page, 1, EN_KILLFOCUS), 1);
    EXPECT_EQ(first.GetWindowText(), L"12"); // Tab types nothing
    Screen().Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &last);
    EXPECT_EQ(Notifications(page, 4, CBN_KILLFOCUS), 1);
    Screen().Press(VK_TAB); // round to the first
    EXPECT_EQ(CWnd::GetFocus(), &first);
    Screen().Press(VK_TAB, 0, MK_SHIFT);
    EXPECT_EQ(CWnd::GetFocus(), &last);
    Screen().Press(VK_TAB, 0, MK_SHIFT);
    EXPECT_EQ(CWnd::GetFocus(), &combo);
    // A tab stop taken back is passed over; the only one left keeps the focus.
    last.SetTabStop(false);
    combo.SetTabStop(false);
    Screen().Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &first);
    Screen().Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &first);
    EXPECT_EQ(Notifications(page, 1, EN_KILLFOCUS), 2);
}

TEST_F(StandardControls, ModalServicesTakeScriptedAnswersAndRecordWhatWasAsked) {
    CRecorder page;
    page.CreateTopLevel(L"page", {300, 200});
    CDialogScript& script = CWindowManager::Instance().Script();
    script.Push(IDYES);
    EXPECT_EQ(MessageBox(&page, L"Clear?", L"Pandrel", MB_YESNO), IDYES);
    // Without a person or an answer, Yes/No takes the answer that changes nothing.
    EXPECT_EQ(MessageBox(&page, L"Delete?", L"Pandrel", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(&page, L"Saved.", L"Pandrel", MB_OK), IDOK);

    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 32770, L"Open Audio File");
    menu.AppendMenu(MF_STRING, 32771, L"Looping");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, 32772, L"Synced Playback");
    EXPECT_EQ(menu.CheckMenuItem(32771, MF_CHECKED), 0);
    EXPECT_EQ(menu.CheckMenuItem(1, MF_CHECKED), -1);
    script.Push(32771);
    EXPECT_TRUE(menu.TrackPopupMenu(0, 120, 60, &page));
    CWindowManager::Instance().Pump();
    ASSERT_NE(page.Last(WM_COMMAND), nullptr);
    EXPECT_EQ(LOWORD(page.Last(WM_COMMAND)->wParam), 32771);
    script.Push(0);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 120, 60, &page), 0u);

    CFileDialog open(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, L"Wave Files (*.wav)|*.wav||",
                     &page);
    script.Push(IDOK, L"/loops/Drum Loop.wav");
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.GetPathName(), L"/loops/Drum Loop.wav");
    EXPECT_EQ(open.GetFileName(), L"Drum Loop.wav");
    EXPECT_EQ(open.DoModal(), IDCANCEL);

    const std::vector<std::wstring> asked{L"Clear?",
                                          L"Delete?",
                                          L"Saved.",
                                          L"Open Audio File|\u2713Looping|Synced Playback",
                                          L"Open Audio File|\u2713Looping|Synced Playback",
                                          L"Wave Files (*.wav)|*.wav||",
                                          L"Wave Files (*.wav)|*.wav||"};
    EXPECT_EQ(script.Asked(), asked);
}

TEST(FileDialogFilter, PairsDescriptionsWithPatternsAndMatchesExtensions) {
    auto f = CFileDialog::ParseFilter(L"Pnd Files (*.pnd)|*.pnd||");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].first, L"Pnd Files (*.pnd)");
    EXPECT_EQ(f[0].second, L"*.pnd");
    EXPECT_EQ(CFileDialog::ParseFilter(L"A|*.a|B|*.b||ignored|*.c").size(), 2u);
    EXPECT_TRUE(CFileDialog::ParseFilter(L"").empty());
    EXPECT_TRUE(CFileDialog::Matches(L"LOOP.WAV", L"*.wav"));
    EXPECT_TRUE(CFileDialog::Matches(L"a.aif", L"*.wav;*.aif"));
    EXPECT_FALSE(CFileDialog::Matches(L"wav", L"*.wav"));
    EXPECT_FALSE(CFileDialog::Matches(L"x.wave", L"*.wav"));
}

TEST(UriList, KeepsLocalFilesDecodedAndSkipsTheRest) {
    std::string list = "# from a file manager\r\n"
                       "file:///home/me/Drum%20Loop.wav\r\n"
                       "file://localhost/tmp/b%C3%A4ss.wav\r\n"
                       "file://otherhost/tmp/x.wav\r\n"
                       "http://example.invalid/y.wav\r\n"
                       "file:///bad%2\r\n"
                       "file:///nul%00.wav\r\n"
                       "file:/short/form.wav";
    auto files = ParseUriList(list);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0], L"/home/me/Drum Loop.wav");
    EXPECT_EQ(files[1], L"/tmp/b\u00e4ss.wav");
    EXPECT_EQ(files[2], L"/short/form.wav");
    EXPECT_TRUE(ParseUriList("").empty());
}

TEST(TextField, EditsAtTheEdgesAndReplacesSelections) {
    CTextField f;
    f.SetText(L"C#5");
    EXPECT_EQ(f.Caret(), 3u);
    EXPECT_FALSE(f.KeyDown(VK_DELETE, false, false)); // nothing after the caret
    f.KeyDown(VK_HOME, false, false);
    EXPECT_FALSE(f.Char(8)); // nothing before it
    f.KeyDown(VK_RIGHT, true, false);
    f.KeyDown(VK_RIGHT, true, false);
    EXPECT_EQ(f.SelStart(), 0u);
    EXPECT_EQ(f.SelEnd(), 2u);
    EXPECT_TRUE(f.Char(L'D')); // typing replaces the selection
    EXPECT_EQ(f.Text(), L"D5");
    f.KeyDown(VK_LEFT, true, false); // a selection backwards from the caret
    EXPECT_TRUE(f.KeyDown(VK_DELETE, false, false));
    EXPECT_EQ(f.Text(), L"5");
    f.KeyDown('A', false, true);
    EXPECT_EQ(f.SelEnd() - f.SelStart(), 1u);
    f.KeyDown(VK_LEFT, false, false); // collapses to the start, without moving further
    EXPECT_EQ(f.Caret(), 0u);
    EXPECT_FALSE(f.Char(L'\r'));
    EXPECT_FALSE(f.Char(27));
    f.SetSel(9, 40); // beyond the text: clamped
    EXPECT_EQ(f.SelEnd(), 1u);
    EXPECT_EQ(f.Text(), L"5");
}

TEST(TextField, KeepsTheCaretInViewOfANarrowField) {
    CFont font;
    font.CreateFont(12, L"Arial");
    CTextField f;
    f.SetText(L"-75.000000000000000");
    CBitmap bmp;
    bmp.Create(30, 12);
    {
        CDC dc(bmp);
        dc.SelectObject(&font);
        dc.SetBkColor(RGB(0, 0, 0));
        f.Paint(dc, {0, 0, 30, 12}, true, RGB(255, 255, 255), RGB(0, 0, 0));
    }
    // The caret, at the end of the text, is drawn inside the field: a column
    // lit from the top of the cell to its bottom, where digits leave no ink.
    bool caret = false;
    for (int x = 0; x < 30; ++x)
        caret |=
            bmp.GetPixel(x, 0) == RGB(255, 255, 255) && bmp.GetPixel(x, 11) == RGB(255, 255, 255);
    EXPECT_TRUE(caret);
}
