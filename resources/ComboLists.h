// The entries the page's combo boxes are filled with when the page opens.
// Any thread (the lists are constant).
#pragma once
#include "platform/com/Types.h"
#include <string>
#include <vector>

constexpr UINT IDC_PAD_OUTPUT = 1143;
constexpr UINT IDC_PAD_MIDI_IN = 1170;
constexpr UINT IDC_PAD_ROOT = 1171;
constexpr UINT IDC_SNAP = 1174;

class CComboLists {
public:
    // The list of combo nCtrlID, empty for any other id.
    static const std::vector<std::wstring>& For(UINT nCtrlID);
};
