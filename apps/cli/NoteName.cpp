#include "apps/cli/NoteName.h"
#include <cctype>

namespace {
const char* const kNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr int kMaxKey = 127;

// One or more digits and nothing else, at most nMax.
bool ParseNumber(const std::string& strText, size_t nAt, int nMax, int* pn) {
    if (nAt >= strText.size() || strText.size() - nAt > 3) return false;
    int n = 0;
    for (size_t i = nAt; i < strText.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(strText[i]))) return false;
        n = n * 10 + (strText[i] - '0');
    }
    if (n > nMax) return false;
    *pn = n;
    return true;
}
} // namespace

std::string NoteName(int nKey) {
    if (nKey < 0 || nKey > kMaxKey) return std::to_string(nKey);
    return std::string(kNames[nKey % 12]) + std::to_string(nKey / 12);
}

std::string NoteLabel(int nKey) {
    if (nKey < 0 || nKey > kMaxKey) return std::to_string(nKey);
    return std::to_string(nKey) + " (" + NoteName(nKey) + ")";
}

bool ParseNote(const std::string& strText, int* pnKey) {
    if (strText.empty()) return false;
    if (std::isdigit(static_cast<unsigned char>(strText[0])))
        return ParseNumber(strText, 0, kMaxKey, pnKey);
    const char cLetter = static_cast<char>(std::toupper(static_cast<unsigned char>(strText[0])));
    const bool bSharp = strText.size() > 1 && strText[1] == '#';
    const std::string strName = std::string(1, cLetter) + (bSharp ? "#" : "");
    int nPitch = -1;
    for (int i = 0; i < 12; ++i)
        if (strName == kNames[i]) nPitch = i;
    int nOctave = 0;
    if (nPitch < 0 || !ParseNumber(strText, bSharp ? 2 : 1, 10, &nOctave)) return false;
    if (nOctave * 12 + nPitch > kMaxKey) return false;
    *pnKey = nOctave * 12 + nPitch;
    return true;
}
