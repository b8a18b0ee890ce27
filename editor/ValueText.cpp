#include "editor/ValueText.h"
#include <cmath>
#include <cstdio>

std::wstring CValueText::Gain(float fGain) {
    if (!(fGain > 0.0f)) return L"-Inf";
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", 20.0 * std::log10(static_cast<double>(fGain)));
    return text;
}

std::wstring CValueText::Pan(float fPan) {
    if (fPan == 0.5f) return L"C";
    const double v = static_cast<double>(fPan) * 200.0 - 100.0;
    wchar_t text[32];
    std::swprintf(text, 32, v < 0.0 ? L"%.0fL" : L"%.0fR", std::fabs(v));
    return text;
}
