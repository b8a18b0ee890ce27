// The painters behind CSkin, one per kind of bitmap. UI thread.
#pragma once
#include "platform/com/Types.h"
#include "platform/ui/Bitmap.h"

void PaintPageBackground(CBitmap& bmp);
void PaintBand(CBitmap& bmp, bool bKeyMapTab);
void PaintPadGrid(CBitmap& bmp);
void PaintPad(CBitmap& bmp, int nPad, bool bLit);
void PaintKnobStrip(CBitmap& bmp);
void PaintCheckBox(CBitmap& bmp, bool bChecked);
// A key with the glyph of bitmap id, lit for the pressed or switched-on state.
void PaintKey(CBitmap& bmp, UINT nID, bool bLit);

constexpr int kBandWidth = 596, kBandHeight = 107; // drawn at (1, 232)
