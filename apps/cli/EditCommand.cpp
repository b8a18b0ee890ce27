// `pandrel edit`: the editor page of an instrument loaded from the library, in
// a window of its own, or drawn offscreen into a PNG after a full refresh.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/FileProblem.h"
#include "apps/cli/HostSession.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/ComPtr.h"
#include "platform/com/PropertyPage.h"
#include <cstdio>

namespace {
// The page of the library's page class, shown for the instrument's control interface.
class CEditPage {
public:
    CEditPage(const CInstrumentModule& module, IVudivuVizezud* pControl, bool bOffscreen) {
        HRESULT hr = S_OK;
        ComPtr<IClassFactory> factory;
        factory.Attach(module.Factory(CLSID_PandrelPropertyPage, &hr));
        void* pv = nullptr;
        if (factory) hr = factory->CreateInstance(nullptr, IID_IPropertyPage, &pv);
        if (!factory || FAILED(hr))
            throw CCliError::FromHResult(module.Path(), "cannot create the editor page", hr);
        m_pPage.Attach(static_cast<IPropertyPage*>(pv));
        m_pDisplay = Query<IPropertyPageDisplay>(m_pPage, IID_IPropertyPageDisplay);
        if (!m_pDisplay)
            throw CCliError(module.Path(), "the editor page cannot be shown by this command");
        if (bOffscreen) m_pDisplay->UseOffscreen();
        IUnknown* objects[] = {pControl};
        m_pPage->SetObjects(1, objects);
        const RECTL rc{0, 0, 600, 553};
        if (FAILED(hr = m_pPage->Activate(0, &rc, FALSE)))
            throw CCliError::FromHResult("",
                                         bOffscreen ? "cannot draw the editor page"
                                                    : "cannot open the window (is DISPLAY set?)",
                                         hr);
    }
    ~CEditPage() {
        m_pPage->Deactivate();
        m_pPage->SetObjects(0, nullptr);
    }
    CEditPage(const CEditPage&) = delete;
    CEditPage& operator=(const CEditPage&) = delete;

    IPropertyPageDisplay& Display() { return *m_pDisplay; }
    IPropertyPage& Page() { return *m_pPage; }

private:
    ComPtr<IPropertyPage> m_pPage;
    ComPtr<IPropertyPageDisplay> m_pDisplay;
};

int RunEdit(const CCommandArgs& args) {
    args.ExpectPositional(0, 1, "at most one project file");
    const std::string strProject = args.Positional().empty() ? "" : args.Positional()[0];
    const std::string strSnapshot = args.Value("--snapshot");
    if (!strSnapshot.empty())
        if (const std::string strWhy = WriteProblem(strSnapshot); !strWhy.empty())
            throw CCliError(strSnapshot, "cannot write the picture: " + strWhy);
    CHostSession session(args);
    session.Open(CInstrumentHost::Options{}, CTempoMap());
    if (!strProject.empty()) session.LoadProject(strProject);
    IVudivuVizezud* pControl = session.Host().Control();

    if (!strSnapshot.empty()) {
        CEditPage page(session.Module(), pControl, true);
        page.Display().Idle(0);
        if (HRESULT hr = page.Display().SavePicture(strSnapshot.c_str()); FAILED(hr))
            throw CCliError::FromHResult(strSnapshot, "cannot write the picture", hr);
        WriteStdout("wrote " + strSnapshot + "\n");
        return 0;
    }
    CEditPage page(session.Module(), pControl, false);
    std::fputs("pandrel: edit: no audio connection; the project is edited without sound\n", stderr);
    // The page waits for input itself; it answers S_FALSE once its window is closed.
    while (page.Display().Idle(-1) == S_OK) {
    }
    return 0;
}
} // namespace

const CommandEntry& EditCommand() {
    static const CommandEntry entry{
        "edit",
        "open the editor page on a project",
        "usage: pandrel edit [PROJECT.pnd] [--snapshot OUT.png]\n\n"
        "Shows the instrument's editor page in a window, with PROJECT.pnd loaded\n"
        "(else an empty project). Closing the window with unsaved changes asks\n"
        "whether to save them.\n\n"
        "  --snapshot OUT.png  draw the page offscreen after a full refresh, write\n"
        "                      it as a PNG and exit\n"
        "  --module LIB        the instrument library (default: pandrel.so beside the command)\n",
        {"--snapshot", "--module"},
        {},
        &RunEdit};
    return entry;
}
