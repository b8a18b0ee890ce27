#include "platform/ui/UiScale.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

double ClampUiScale(double s) {
    if (std::isnan(s)) return kMinUiScale;
    return std::clamp(s, kMinUiScale, kMaxUiScale);
}

double ParseUiScale(const char* pszText) {
    if (pszText == nullptr || *pszText == '\0') return 0.0;
    char* end = nullptr;
    const double s = std::strtod(pszText, &end);
    while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
    if (end == pszText || (end != nullptr && *end != '\0') || !std::isfinite(s) || s <= 0.0)
        return 0.0;
    return s;
}

double ScaleFromXResources(const char* pszResources) {
    if (pszResources == nullptr) return 0.0;
    static constexpr char kName[] = "Xft.dpi:";
    for (const char* line = pszResources; *line != '\0';) {
        const char* end = std::strchr(line, '\n');
        if (end == nullptr) end = line + std::strlen(line);
        if (std::strncmp(line, kName, sizeof kName - 1) == 0) {
            const double dpi = std::strtod(line + sizeof kName - 1, nullptr);
            return std::isfinite(dpi) && dpi > 0.0 ? dpi / 96.0 : 0.0;
        }
        line = *end == '\n' ? end + 1 : end;
    }
    return 0.0;
}

double ResolveUiScale(double dHost, const char* pszEnvironment, double dDisplay) {
    if (dHost > 0.0) return ClampUiScale(dHost);
    if (const double env = ParseUiScale(pszEnvironment); env > 0.0) return ClampUiScale(env);
    if (dDisplay > 0.0) return ClampUiScale(dDisplay);
    return 1.0;
}

double ResolveUiScale(double dHost, double dDisplay) {
    return ResolveUiScale(dHost, std::getenv(kUiScaleVariable), dDisplay);
}

int ScaledPixels(int n, double scale) {
    // A hair of tolerance keeps 600 x 1.1 at 660.
    return static_cast<int>(std::ceil(n * scale - 1e-6));
}
