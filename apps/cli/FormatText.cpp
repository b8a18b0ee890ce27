#include "apps/cli/FormatText.h"
#include <cstdarg>
#include <cstdio>

std::string FormatText(const char* pszFormat, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, pszFormat);
    std::vsnprintf(buf, sizeof(buf), pszFormat, ap);
    va_end(ap);
    return buf;
}
