// Resource ids of the editor: skin bitmaps, strings, cursors.
#pragma once
#include "platform/com/Types.h"

// Skin bitmaps.
constexpr UINT IDB_BACKGROUND = 201; // page, 600 x 553
constexpr UINT IDB_MUTE_OFF = 205, IDB_MUTE_ON = 206;
constexpr UINT IDB_SYNCED_OFF = 208, IDB_SYNCED_ON = 209;
constexpr UINT IDB_LOOPING_OFF = 210, IDB_LOOPING_ON = 211;
constexpr UINT IDB_OPEN_UP = 212, IDB_OPEN_DOWN = 213;
constexpr UINT IDB_AUDITION_OFF = 218, IDB_AUDITION_ON = 219;
constexpr UINT IDB_BAND_KEYMAP = 227; // middle band, key-map tab chosen
constexpr UINT IDB_BAND_SLICES = 228; // middle band, slice tab chosen
constexpr UINT IDB_ZOOM_H_IN_UP = 229, IDB_ZOOM_H_IN_DOWN = 230;
constexpr UINT IDB_ZOOM_H_OUT_UP = 231, IDB_ZOOM_H_OUT_DOWN = 232;
constexpr UINT IDB_ZOOM_V_IN_UP = 233, IDB_ZOOM_V_IN_DOWN = 234;
constexpr UINT IDB_ZOOM_V_OUT_UP = 235, IDB_ZOOM_V_OUT_DOWN = 236;
constexpr UINT IDB_KNOB = 237;      // 64 frames of 17 x 17 side by side
constexpr UINT IDB_PAD_FIRST = 240; // lit 240 + 2p, unlit 241 + 2p
constexpr UINT IDB_PAD_LAST = 271;
constexpr UINT IDB_PLAY_ON = 272, IDB_PLAY_OFF = 273;
constexpr UINT IDB_STOP = 274;
constexpr UINT IDB_CHECK_OFF = 276, IDB_CHECK_ON = 277;
constexpr UINT IDB_DELETE_ON = 279, IDB_DELETE_OFF = 280;
constexpr UINT IDB_SOLO_OFF = 281, IDB_SOLO_ON = 282;
constexpr UINT IDB_SAVE_UP = 286, IDB_SAVE_DOWN = 287;
constexpr UINT IDB_CLEAR_UP = 288, IDB_CLEAR_DOWN = 289;
constexpr UINT IDB_PADGRID = 290; // 360 x 232, drawn at (135, 2)

constexpr UINT PadLitBitmap(int pad) { return IDB_PAD_FIRST + 2 * pad; }
constexpr UINT PadUnlitBitmap(int pad) { return IDB_PAD_FIRST + 1 + 2 * pad; }

// Strings.
constexpr UINT IDS_CAPTION = 1;
constexpr UINT IDS_FONT_FACE = 5;
constexpr UINT IDS_DELETE_FILE = 6;
constexpr UINT IDS_SELECT_FILE = 7;
constexpr UINT IDS_BIN_FULL = 8;
constexpr UINT IDS_LOAD_ERROR = 9;
constexpr UINT IDS_SAVE_ERROR = 10;
constexpr UINT IDS_PROJECT_LOAD_ERROR = 11;
constexpr UINT IDS_CLEAR_PROJECT = 12;
constexpr UINT IDS_PATCH_AUDIO = 13;
constexpr UINT IDS_HELP_MISSING = 14;
constexpr UINT IDS_SAVE_ON_CLOSE = 15;
