// Where the page's child controls sit: the layout table of the top bar, the
// Loop Bin keys, the Pad Inspector, the Slice Inspector and the Pad Editor's
// controls, and the controls of the 16 pad cells. Constant; any thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <vector>

enum class PageCtrlKind { Toggle, Button, Zoom, Knob, Edit, Combo, Static };

struct PageCtrlInfo {
    UINT nID;
    PageCtrlKind kind;
    RECT rc;    // page client pixels
    UINT nUp;   // bitmap when off or up (knobs: the filmstrip); 0 for none
    UINT nDown; // bitmap when on or pressed; 0 for none
    int nPad;   // the pad of a pad-cell control, else -1
};

// Control ids the page itself handles.
constexpr UINT IDC_OPEN_PROJECT = 1161;
constexpr UINT IDC_SAVE_PROJECT = 1162;
constexpr UINT IDC_CLEAR_PROJECT = 1165;
constexpr UINT IDC_PLAY = 1132;
constexpr UINT IDC_STOP = 1133;
constexpr UINT IDC_AUDITION = 1092;
constexpr UINT IDC_DELETE_FILE = 1144;
constexpr UINT IDC_LOAD_FILES = 1126;
constexpr UINT IDC_TAILS = 1125;
constexpr UINT IDC_LATCH = 1166;
constexpr UINT IDC_PITCH_MARKERS = 1137;
constexpr UINT IDC_PITCH_KNOB = 1167;
constexpr UINT IDC_GAIN_KNOB = 1168;
constexpr UINT IDC_PAN_KNOB = 1169;
constexpr UINT IDC_PITCH_EDIT = 1134;
constexpr UINT IDC_GAIN_EDIT = 1135;
constexpr UINT IDC_PAN_EDIT = 1136;
constexpr UINT IDC_VOLUME_TEXT = 1172;
constexpr UINT IDC_PAN_TEXT = 1173;
constexpr UINT ID_HELP_CONTENTS = 32768;

// Pad-cell control ids: pad p's control is the base + p (mute: 1040 for pad 16).
constexpr UINT IDC_PAD_OPEN = 1073;
constexpr UINT IDC_PAD_MUTE = 1024;
constexpr UINT IDC_PAD_SOLO = 1145;
constexpr UINT IDC_PAD_SYNCED = 1041;
constexpr UINT IDC_PAD_LOOPING = 1057;
constexpr UINT IDC_PAD_VOLUME = 1093;
constexpr UINT IDC_PAD_PAN = 1109;
constexpr UINT PadMuteId(int nPad) { return nPad == 15 ? 1040u : IDC_PAD_MUTE + UINT(nPad); }

class CPageLayout {
public:
    // The layout table: top bar, Loop Bin keys, inspectors, Pad Editor controls.
    static const std::vector<PageCtrlInfo>& Controls();
    // The five toggles and two knobs of each of the 16 pad cells.
    static const std::vector<PageCtrlInfo>& PadCells();
    // The top-left corner (x, y) of pad p's cell row: its image is (x, y - 38)-(x + 44, y).
    static POINT PadCellOrigin(int nPad) { return {138 + 89 * (nPad % 4), 43 + 57 * (nPad / 4)}; }
};

// The page and its page-drawn regions, in page pixels.
constexpr SIZE kPageSize{600, 553};
constexpr RECT kLoopBinRect{14, 69, 119, 218};
constexpr RECT kPadGridRect{139, 6, 496, 238};
constexpr RECT kBandRect{1, 232, 597, 339};
constexpr RECT kBandViewRect{37, 248, 581, 327};
constexpr RECT kKeyMapTabRect{6, 234, 27, 286};
constexpr RECT kSliceTabRect{6, 286, 27, 338};
constexpr RECT kPadEditorRect{101, 348, 583, 528};
