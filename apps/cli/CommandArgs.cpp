#include "apps/cli/CommandArgs.h"
#include "apps/cli/CliError.h"
#include <cerrno>
#include <cmath>
#include <cstdlib>

CCommandArgs::CCommandArgs(const std::string& strCommand, const std::vector<std::string>& args,
                           const std::set<std::string>& valueOptions,
                           const std::set<std::string>& flags)
    : m_strCommand(strCommand) {
    bool bOptionsEnd = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (bOptionsEnd || a.size() < 2 || a[0] != '-') {
            m_positional.push_back(a);
            continue;
        }
        if (a == "--") {
            bOptionsEnd = true;
            continue;
        }
        // "--name=value" is taken as "--name value".
        std::string name = a;
        std::string value;
        bool bInline = false;
        if (const size_t eq = a.find('='); a.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            bInline = true;
        }
        if (name == "--help" || name == "-h") {
            m_flags.insert("--help");
        } else if (flags.count(name) != 0 && !bInline) {
            m_flags.insert(name);
        } else if (valueOptions.count(name) != 0) {
            if (!bInline) {
                if (i + 1 >= args.size())
                    throw CCliError::Usage(strCommand, "option " + name + " needs a value");
                value = args[++i];
            }
            m_values[name] = value;
        } else {
            throw CCliError::Usage(strCommand, "unknown option " + name);
        }
    }
}

bool CCommandArgs::Has(const std::string& strName) const {
    return m_flags.count(strName) != 0 || m_values.count(strName) != 0;
}

std::string CCommandArgs::Value(const std::string& strName, const std::string& strDefault) const {
    auto it = m_values.find(strName);
    return it == m_values.end() ? strDefault : it->second;
}

double CCommandArgs::Number(const std::string& strName, double dDefault, double dMin,
                            double dMax) const {
    auto it = m_values.find(strName);
    if (it == m_values.end()) return dDefault;
    const char* psz = it->second.c_str();
    char* pEnd = nullptr;
    errno = 0;
    const double d = std::strtod(psz, &pEnd);
    if (pEnd == psz || *pEnd != '\0' || errno != 0 || !std::isfinite(d) || d < dMin || d > dMax) {
        char range[96];
        std::snprintf(range, sizeof(range), "a number from %g to %g", dMin, dMax);
        throw CCliError::Usage(m_strCommand,
                               strName + " must be " + range + ", not '" + it->second + "'");
    }
    return d;
}

void CCommandArgs::ExpectPositional(size_t nMin, size_t nMax, const std::string& strWhat) const {
    if (m_positional.size() < nMin) throw CCliError::Usage(m_strCommand, "missing " + strWhat);
    if (m_positional.size() > nMax)
        throw CCliError::Usage(m_strCommand, "unexpected argument '" + m_positional[nMax] + "'");
}
