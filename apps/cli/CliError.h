// The one failure a command reports: the file concerned and the cause, shown
// as one line, "pandrel: FILE: CAUSE", with a non-zero exit status.
#pragma once
#include "platform/com/HResult.h"
#include <stdexcept>
#include <string>

class CCliError : public std::runtime_error {
public:
    static constexpr int kExitFailure = 1;
    static constexpr int kExitUsage = 2;

    CCliError(std::string strFile, const std::string& strCause, int nExit = kExitFailure)
        : std::runtime_error(strCause), m_strFile(std::move(strFile)), m_nExit(nExit) {}

    // A failed HRESULT, with its code and text.
    static CCliError FromHResult(std::string strFile, const std::string& strWhat, HRESULT hr) {
        return CCliError(std::move(strFile), HResultLine(strWhat, hr));
    }
    // A mistake on the command line; the text says how to get help.
    static CCliError Usage(const std::string& strCommand, const std::string& strCause) {
        return CCliError("", strCause + " (see 'pandrel " + strCommand + " --help')", kExitUsage);
    }

    const std::string& File() const { return m_strFile; }
    int ExitStatus() const { return m_nExit; }
    std::string Line() const {
        return "pandrel: " + (m_strFile.empty() ? "" : m_strFile + ": ") + what();
    }

private:
    std::string m_strFile;
    int m_nExit;
};
