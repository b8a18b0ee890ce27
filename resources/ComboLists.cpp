#include "resources/ComboLists.h"
#include "interfaces/PandrelConstants.h"
#include <string>

namespace {
std::vector<std::wstring> Numbered(const wchar_t* first, const wchar_t* prefix) {
    std::vector<std::wstring> v{first};
    for (int i = 1; i <= kPadCount; ++i) v.push_back(prefix + std::to_wstring(i));
    return v;
}
} // namespace

const std::vector<std::wstring>& CComboLists::For(UINT nCtrlID) {
    static const std::vector<std::wstring> output = Numbered(L"Mix Only", L"Chan ");
    static const std::vector<std::wstring> midiIn = Numbered(L"Omni", L"Ch. ");
    static const std::vector<std::wstring> root = {L"None", L"A", L"A#", L"B",  L"C", L"C#", L"D",
                                                   L"D#",   L"E", L"F",  L"F#", L"G", L"G#"};
    static const std::vector<std::wstring> snap = {L"None", L"1 Per Beat", L"2",  L"3",
                                                   L"4",    L"8",          L"12", L"16"};
    static const std::vector<std::wstring> none;
    switch (nCtrlID) {
    case IDC_PAD_OUTPUT: return output;
    case IDC_PAD_MIDI_IN: return midiIn;
    case IDC_PAD_ROOT: return root;
    case IDC_SNAP: return snap;
    default: return none;
    }
}
