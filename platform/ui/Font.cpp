#include "platform/ui/Font.h"
#include "platform/ui/Text.h"
#include <cairo.h>
#include <fontconfig/fontconfig.h>

CFont::~CFont() {
    if (m_pFace) cairo_font_face_destroy(m_pFace);
}

bool CFont::CreateFont(int nHeight, const wchar_t* pszFace, int nWeight) {
    if (m_pFace) cairo_font_face_destroy(m_pFace);
    m_pFace = nullptr;
    if (nHeight <= 0 || !pszFace) return false;
    std::string face = Utf8ForCairo(pszFace);

    // Ask fontconfig which installed family stands in for the face, so the
    // metrics are those of a real match rather than cairo's fallback.
    m_strFamily = face;
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, nWeight >= FW_BOLD ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pat, &res)) {
        FcChar8* fam = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
            m_strFamily = reinterpret_cast<const char*>(fam);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);

    m_pFace = cairo_toy_font_face_create(m_strFamily.c_str(), CAIRO_FONT_SLANT_NORMAL,
                                         nWeight >= FW_BOLD ? CAIRO_FONT_WEIGHT_BOLD
                                                            : CAIRO_FONT_WEIGHT_NORMAL);
    // The pixel height is the cell height: scale the em so ascent + descent fit it.
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(s);
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF); // as the device contexts draw
    cairo_set_font_options(cr, fo);
    cairo_font_options_destroy(fo);
    cairo_set_font_face(cr, m_pFace);
    cairo_set_font_size(cr, 100.0);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    double cell = fe.ascent + fe.descent;
    if (cell <= 0) cell = 100.0;
    m_nHeight = nHeight;
    m_dEm = nHeight * 100.0 / cell;
    m_dAscent = fe.ascent * m_dEm / 100.0;
    return true;
}
