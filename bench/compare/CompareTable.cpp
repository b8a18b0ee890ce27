#include "bench/compare/CompareTable.h"
#include <cstdarg>
#include <cstdio>

std::string Format(const char* pszFormat, ...) {
    char buf[512];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(buf, sizeof buf, pszFormat, args);
    va_end(args);
    return buf;
}

std::string CCompareTable::Markdown() const {
    std::string s =
        "| measurement | Pandrel | peer | ratio | goal | met |\n|---|---|---|---|---|---|\n";
    for (const CompareRow& r : m_rows) {
        const std::string ratio = r.dRatio > 0.0 ? Format("%.2fx", r.dRatio) : "";
        s += "| " + r.strWhat + " | " + r.strPandrel + " | " + r.strPeer + " | " + ratio + " | " +
             r.strGoal + " | " +
             (r.strGoal.empty() ? ""
              : r.bMet          ? "yes"
                                : "**no**") +
             " |\n";
    }
    return s;
}
