// The page's help: the design's help file (the install folder read from the
// registry value "InstallDirectory" under HKEY_LOCAL_MACHINE
// "Software\Vantrel Music Software\Shared DXi", then "\Pandrel\Pandrel.chm"),
// else the HTML manual installed beside the instrument, opened with the
// desktop's opener; a message box when neither can be shown. UI thread.
#pragma once
#include <functional>
#include <string>
#include <vector>

class CWnd;

class CPageHelp {
public:
    // Opens a file with the desktop's viewer; false when that cannot be started.
    using Opener = std::function<bool(const std::string& strPath)>;

    // The help file as the design builds it (backslashes and all).
    static std::string DesignHelpPath();
    // The places the manual's index is looked for, most specific first.
    static std::vector<std::string> ManualCandidates();
    // Shows the help for the page in pOwner: the first existing file opened,
    // else a message box. True when a file was opened.
    static bool Show(CWnd* pOwner);
    // Replaces the opener (tests); an empty one restores xdg-open.
    static void SetOpener(Opener opener);

private:
    static bool OpenWithDesktop(const std::string& strPath);
};
