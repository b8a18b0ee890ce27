#include "resources/Skin.h"
#include "resources/ResourceIds.h"
#include "resources/SkinPainters.h"
#include <utility>

SIZE CSkin::SizeOf(UINT id) {
    switch (id) {
    case IDB_BACKGROUND: return {600, 553};
    case IDB_PADGRID: return {360, 232};
    case IDB_BAND_KEYMAP:
    case IDB_BAND_SLICES: return {kBandWidth, kBandHeight};
    case IDB_KNOB: return {17 * 64, 17};
    case IDB_OPEN_UP:
    case IDB_OPEN_DOWN:
    case IDB_SAVE_UP:
    case IDB_SAVE_DOWN:
    case IDB_DELETE_ON:
    case IDB_DELETE_OFF: return {15, 14};
    case IDB_CLEAR_UP:
    case IDB_CLEAR_DOWN:
    case IDB_PLAY_ON:
    case IDB_PLAY_OFF:
    case IDB_STOP: return {20, 19};
    case IDB_AUDITION_OFF:
    case IDB_AUDITION_ON: return {21, 19};
    case IDB_MUTE_OFF:
    case IDB_MUTE_ON:
    case IDB_SOLO_OFF:
    case IDB_SOLO_ON:
    case IDB_SYNCED_OFF:
    case IDB_SYNCED_ON:
    case IDB_LOOPING_OFF:
    case IDB_LOOPING_ON: return {16, 15};
    case IDB_CHECK_OFF:
    case IDB_CHECK_ON: return {9, 9};
    case IDB_ZOOM_H_IN_UP:
    case IDB_ZOOM_H_IN_DOWN:
    case IDB_ZOOM_H_OUT_UP:
    case IDB_ZOOM_H_OUT_DOWN: return {10, 12};
    case IDB_ZOOM_V_IN_UP:
    case IDB_ZOOM_V_IN_DOWN:
    case IDB_ZOOM_V_OUT_UP:
    case IDB_ZOOM_V_OUT_DOWN: return {12, 10};
    default:
        if (id >= IDB_PAD_FIRST && id <= IDB_PAD_LAST) return {44, 38};
        return {0, 0};
    }
}

namespace {
// The lit state of a key bitmap: the second of each pair, except where the
// page's pairs list the lit image first (play 272, delete 279).
bool IsLitKey(UINT id) {
    switch (id) {
    case IDB_MUTE_ON:
    case IDB_SOLO_ON:
    case IDB_SYNCED_ON:
    case IDB_LOOPING_ON:
    case IDB_OPEN_DOWN:
    case IDB_SAVE_DOWN:
    case IDB_CLEAR_DOWN:
    case IDB_PLAY_ON:
    case IDB_AUDITION_ON:
    case IDB_DELETE_ON:
    case IDB_ZOOM_H_IN_DOWN:
    case IDB_ZOOM_H_OUT_DOWN:
    case IDB_ZOOM_V_IN_DOWN:
    case IDB_ZOOM_V_OUT_DOWN: return true;
    default: return false;
    }
}
} // namespace

const CBitmap* CSkin::Get(UINT id, double scale) {
    static std::map<std::pair<UINT, double>, CBitmap> cache;
    if (!(scale > 0.0)) scale = 1.0;
    const auto key = std::make_pair(id, scale);
    auto it = cache.find(key);
    if (it != cache.end()) return &it->second;
    SIZE sz = SizeOf(id);
    if (sz.cx == 0) return nullptr;
    CBitmap bmp;
    if (!bmp.Create(sz.cx, sz.cy, scale)) return nullptr;
    bmp.SetResourceId(id);
    if (id == IDB_BACKGROUND)
        PaintPageBackground(bmp);
    else if (id == IDB_PADGRID)
        PaintPadGrid(bmp);
    else if (id == IDB_BAND_KEYMAP || id == IDB_BAND_SLICES)
        PaintBand(bmp, id == IDB_BAND_KEYMAP);
    else if (id == IDB_KNOB)
        PaintKnobStrip(bmp);
    else if (id == IDB_CHECK_OFF || id == IDB_CHECK_ON)
        PaintCheckBox(bmp, id == IDB_CHECK_ON);
    else if (id >= IDB_PAD_FIRST && id <= IDB_PAD_LAST)
        PaintPad(bmp, static_cast<int>(id - IDB_PAD_FIRST) / 2, (id - IDB_PAD_FIRST) % 2 == 0);
    else
        PaintKey(bmp, id, IsLitKey(id));
    return &cache.emplace(key, std::move(bmp)).first->second;
}
