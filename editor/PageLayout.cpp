#include "editor/PageLayout.h"
#include "interfaces/PandrelConstants.h"
#include "resources/ResourceIds.h"

namespace {
using K = PageCtrlKind;
constexpr int kNoPad = -1;

PageCtrlInfo Ctrl(UINT id, K kind, LONG x, LONG y, LONG w, LONG h, UINT up = 0, UINT down = 0) {
    return {id, kind, RectXYWH(x, y, w, h), up, down, kNoPad};
}
} // namespace

const std::vector<PageCtrlInfo>& CPageLayout::Controls() {
    static const std::vector<PageCtrlInfo> table = {
        Ctrl(IDC_OPEN_PROJECT, K::Toggle, 10, 29, 15, 14, IDB_OPEN_UP, IDB_OPEN_DOWN),
        Ctrl(IDC_SAVE_PROJECT, K::Toggle, 31, 29, 15, 14, IDB_SAVE_UP, IDB_SAVE_DOWN),
        Ctrl(IDC_CLEAR_PROJECT, K::Button, 50, 27, 20, 19, IDB_CLEAR_UP, IDB_CLEAR_DOWN),
        Ctrl(IDC_PLAY, K::Toggle, 71, 27, 20, 19, IDB_PLAY_OFF, IDB_PLAY_ON),
        Ctrl(IDC_STOP, K::Button, 92, 27, 20, 19, IDB_STOP),
        Ctrl(IDC_AUDITION, K::Toggle, 113, 27, 21, 19, IDB_AUDITION_OFF, IDB_AUDITION_ON),
        Ctrl(IDC_DELETE_FILE, K::Toggle, 98, 52, 15, 14, IDB_DELETE_OFF, IDB_DELETE_ON),
        Ctrl(IDC_LOAD_FILES, K::Toggle, 115, 52, 15, 14, IDB_OPEN_UP, IDB_OPEN_DOWN),
        Ctrl(1143, K::Combo, 534, 22, 60, 14),
        Ctrl(1170, K::Combo, 534, 40, 60, 14),
        Ctrl(1171, K::Combo, 534, 58, 60, 14),
        Ctrl(1141, K::Edit, 554, 82, 34, 12),
        Ctrl(1142, K::Edit, 554, 99, 34, 12),
        Ctrl(1140, K::Edit, 554, 121, 34, 12),
        Ctrl(1139, K::Edit, 554, 138, 34, 12),
        Ctrl(1138, K::Edit, 554, 155, 34, 12),
        Ctrl(IDC_TAILS, K::Toggle, 500, 176, 9, 9, IDB_CHECK_OFF, IDB_CHECK_ON),
        Ctrl(IDC_LATCH, K::Toggle, 548, 176, 9, 9, IDB_CHECK_OFF, IDB_CHECK_ON),
        Ctrl(IDC_PITCH_MARKERS, K::Toggle, 500, 190, 9, 9, IDB_CHECK_OFF, IDB_CHECK_ON),
        Ctrl(IDC_VOLUME_TEXT, K::Static, 504, 216, 34, 12),
        Ctrl(IDC_PAN_TEXT, K::Static, 554, 216, 34, 12),
        Ctrl(IDC_PITCH_KNOB, K::Knob, 15, 397, 17, 17, IDB_KNOB),
        Ctrl(IDC_PITCH_EDIT, K::Edit, 43, 399, 30, 12),
        Ctrl(IDC_GAIN_KNOB, K::Knob, 15, 435, 17, 17, IDB_KNOB),
        Ctrl(IDC_GAIN_EDIT, K::Edit, 43, 438, 30, 12),
        Ctrl(IDC_PAN_KNOB, K::Knob, 15, 474, 17, 17, IDB_KNOB),
        Ctrl(IDC_PAN_EDIT, K::Edit, 43, 477, 30, 12),
        Ctrl(1174, K::Combo, 21, 515, 60, 14),
        Ctrl(1127, K::Zoom, 567, 535, 10, 12, IDB_ZOOM_H_IN_UP, IDB_ZOOM_H_IN_DOWN),
        Ctrl(1128, K::Zoom, 556, 535, 10, 12, IDB_ZOOM_H_OUT_UP, IDB_ZOOM_H_OUT_DOWN),
        Ctrl(1129, K::Zoom, 583, 519, 12, 10, IDB_ZOOM_V_IN_UP, IDB_ZOOM_V_IN_DOWN),
        Ctrl(1130, K::Zoom, 583, 508, 12, 10, IDB_ZOOM_V_OUT_UP, IDB_ZOOM_V_OUT_DOWN),
    };
    return table;
}

const std::vector<PageCtrlInfo>& CPageLayout::PadCells() {
    static const std::vector<PageCtrlInfo> table = [] {
        std::vector<PageCtrlInfo> t;
        for (int p = 0; p < kPadCount; ++p) {
            const POINT o = PadCellOrigin(p);
            const UINT n = static_cast<UINT>(p);
            t.push_back({IDC_PAD_OPEN + n, K::Toggle, RectXYWH(o.x + 2, o.y + 1, 15, 14),
                         IDB_OPEN_UP, IDB_OPEN_DOWN, p});
            t.push_back({PadMuteId(p), K::Toggle, RectXYWH(o.x + 19, o.y + 1, 16, 15), IDB_MUTE_OFF,
                         IDB_MUTE_ON, p});
            t.push_back({IDC_PAD_SOLO + n, K::Toggle, RectXYWH(o.x + 36, o.y + 1, 16, 15),
                         IDB_SOLO_OFF, IDB_SOLO_ON, p});
            t.push_back({IDC_PAD_SYNCED + n, K::Toggle, RectXYWH(o.x + 53, o.y + 1, 16, 15),
                         IDB_SYNCED_OFF, IDB_SYNCED_ON, p});
            t.push_back({IDC_PAD_LOOPING + n, K::Toggle, RectXYWH(o.x + 70, o.y + 1, 16, 15),
                         IDB_LOOPING_OFF, IDB_LOOPING_ON, p});
            t.push_back({IDC_PAD_VOLUME + n, K::Knob, RectXYWH(o.x + 47, o.y - 37, 17, 17),
                         IDB_KNOB, 0, p});
            t.push_back(
                {IDC_PAD_PAN + n, K::Knob, RectXYWH(o.x + 65, o.y - 17, 17, 17), IDB_KNOB, 0, p});
        }
        return t;
    }();
    return table;
}
