// A font by face name and pixel height, resolved through fontconfig (so "Arial"
// becomes an Arial-metric face) and drawn by cairo. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <string>

typedef struct _cairo_font_face cairo_font_face_t;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

class CFont {
public:
    CFont() = default;
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // nHeight is the cell height in pixels (ascent + descent).
    bool CreateFont(int nHeight, const wchar_t* pszFace, int nWeight = FW_NORMAL);
    bool IsCreated() const { return m_pFace != nullptr; }

    int Height() const { return m_nHeight; }
    double EmSize() const { return m_dEm; }
    double Ascent() const { return m_dAscent; }
    // The family fontconfig chose for the requested face.
    const std::string& ResolvedFamily() const { return m_strFamily; }
    cairo_font_face_t* Face() const { return m_pFace; }

private:
    cairo_font_face_t* m_pFace = nullptr;
    std::string m_strFamily;
    int m_nHeight = 0;
    double m_dEm = 0.0;
    double m_dAscent = 0.0;
};
