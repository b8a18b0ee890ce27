#include "editor/PageHelp.h"
#include "host/RegKeyBase.h"
#include "platform/kernel/ModulePath.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include <algorithm>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace {
CPageHelp::Opener& Slot() {
    static CPageHelp::Opener opener;
    return opener;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
} // namespace

std::string CPageHelp::DesignHelpPath() {
    CPluginRegKey key("Software\\Vantrel Music Software\\Shared DXi", nullptr, FALSE,
                      kRegRootLocalMachine);
    std::string dir;
    key.GetString("InstallDirectory", "", &dir);
    return dir + "\\Pandrel\\" + "Pandrel.chm";
}

std::vector<std::string> CPageHelp::ManualCandidates() {
    std::vector<std::string> out;
    char folder[kMaxModulePath] = {};
    if (GetModulePath(reinterpret_cast<const void*>(&CPageHelp::Show), folder, nullptr)) {
        const std::string dir = folder;
        out.push_back(dir + "/manual/index.html");
        out.push_back(dir + "/../share/doc/pandrel/manual/index.html");
    }
#ifdef PANDREL_SOURCE_MANUAL
    out.push_back(PANDREL_SOURCE_MANUAL);
#endif
    return out;
}

bool CPageHelp::Show(CWnd* pOwner) {
    // The design's path uses the backslash of its platform; here it is a folder separator.
    std::string design = DesignHelpPath();
    std::replace(design.begin(), design.end(), '\\', '/');
    std::vector<std::string> candidates{design};
    for (const std::string& m : ManualCandidates()) candidates.push_back(m);
    for (const std::string& path : candidates) {
        if (!IsFile(path)) continue;
        const bool opened = Slot() ? Slot()(path) : OpenWithDesktop(path);
        if (opened) return true;
        break;
    }
    MessageBox(pOwner, CStringTable::Load(IDS_HELP_MISSING), CStringTable::Load(IDS_CAPTION),
               MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CPageHelp::SetOpener(Opener opener) { Slot() = std::move(opener); }

// A shell starts the opener in the background and ends at once, so the page
// neither waits for the viewer nor leaves a child behind to reap.
bool CPageHelp::OpenWithDesktop(const std::string& strPath) {
    const char* script = "command -v xdg-open >/dev/null 2>&1 || exit 127; "
                         "xdg-open \"$1\" >/dev/null 2>&1 </dev/null &";
    const char* argv[] = {"sh", "-c", script, "sh", strPath.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
