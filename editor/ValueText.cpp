#include "editor/ValueText.h"
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

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

float CValueText::GainFromKnob(int nPos) {
    return std::clamp(static_cast<float>(nPos) * 0.01f * 2.0f, 0.0f, 2.0f);
}

float CValueText::PanFromKnob(int nPos) {
    return std::clamp(static_cast<float>(nPos) * 0.01f, 0.0f, 1.0f);
}

LONG CValueText::PitchFromKnob(int nPos) {
    const double semitones = std::floor(nPos * 0.01 * 48.0 + 0.5) - 24.0;
    return static_cast<LONG>(std::clamp(semitones, -24.0, 24.0));
}

// Numbers far beyond every range are held at a million, so no cast overflows.
bool CValueText::ReadNumber(const std::wstring& text, LONG* pn) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    errno = 0;
    const long long n = std::wcstoll(begin, &end, 10);
    if (end == begin) return false;
    *pn = static_cast<LONG>(std::clamp(n, -1000000LL, 1000000LL));
    return true;
}

bool CValueText::ReadGain(const std::wstring& text, float* pfGain) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    const double dB = std::wcstod(begin, &end);
    if (end == begin || std::isnan(dB)) return false;
    const double gain = dB < -75.0 ? 0.0 : std::pow(10.0, std::min(dB, 100.0) * 0.05);
    *pfGain = static_cast<float>(std::clamp(gain, 0.0, 2.0));
    return true;
}

bool CValueText::ReadPan(const std::wstring& text, float* pfPan) {
    std::wstring s = text;
    while (!s.empty() && std::iswspace(static_cast<wint_t>(s.back()))) s.pop_back();
    LONG n = 0;
    const wchar_t last = s.empty() ? L'\0' : static_cast<wchar_t>(std::towupper(s.back()));
    if (last == L'C') {
        n = 0;
    } else if (last == L'L' || last == L'R') {
        s.pop_back();
        if (!ReadNumber(s, &n)) return false;
        if (last == L'L') n = -n;
    } else if (!ReadNumber(s, &n)) {
        return false;
    }
    *pfPan = std::clamp(static_cast<float>(n + 100) * 0.005f, 0.0f, 1.0f);
    return true;
}
