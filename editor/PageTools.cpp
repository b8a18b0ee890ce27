#include "editor/PageTools.h"
#include "resources/Palette.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include <string>

COLORREF CPageTools::Colour(int i) { return kPalette[Index(i)]; }

bool CPageTools::Create() {
    for (int i = 0; i < kColours; ++i) {
        m_pens[i].CreatePen(PS_SOLID, 1, kPalette[i]);
        m_brushes[i].CreateSolidBrush(kPalette[i]);
    }
    m_dotted.CreatePen(PS_DOT, 1, kPalette[2]);
    const std::wstring face = CStringTable::Load(IDS_FONT_FACE);
    return m_font12.CreateFont(12, face.c_str()) && m_font14.CreateFont(14, face.c_str());
}
