// `pandrel edit`: the editor page of an instrument loaded from the library, in
// a window of its own, or drawn offscreen into a PNG after a full refresh.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/EditAudio.h"
#include "apps/cli/FileProblem.h"
#include "apps/cli/HostSession.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/ComPtr.h"
#include "platform/com/PropertyPage.h"
#include <memory>

namespace {
// The page of the library's page class, shown for the instrument's control interface.
class CEditPage {
public:
    // dScale: the page's scale factor, 0 to let PANDREL_UI_SCALE or the display choose.
    CEditPage(const CInstrumentModule& module, IVudivuVizezud* pControl, bool bOffscreen,
              double dScale = 0.0) {
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
        m_pDisplay->SetScale(dScale);
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
    const double dScale = args.Number("--scale", 0.0, 1.0, 3.0);
    if (!strSnapshot.empty())
        if (const std::string strWhy = WriteProblem(strSnapshot); !strWhy.empty())
            throw CCliError(strSnapshot, "cannot write the picture: " + strWhy);
    const double dBpm = args.Number("--bpm", 120.0, 1.0, 1000.0);
    CHostSession session(args);
    // In a window the instrument plays live; offscreen it only draws.
    std::unique_ptr<CEditAudio> pAudio;
    IVudivuVizezud* pControl = nullptr;
    if (strSnapshot.empty()) {
        pAudio = std::make_unique<CEditAudio>(session.Module(), dBpm);
        pControl = pAudio->Control();
        if (!strProject.empty()) CHostSession::LoadProject(pControl, strProject);
    } else {
        session.Open(CInstrumentHost::Options{}, CTempoMap());
        if (!strProject.empty()) session.LoadProject(strProject);
        pControl = session.Host().Control();
    }

    if (!strSnapshot.empty()) {
        CEditPage page(session.Module(), pControl, true, dScale);
        page.Display().Idle(0);
        if (HRESULT hr = page.Display().SavePicture(strSnapshot.c_str()); FAILED(hr))
            throw CCliError::FromHResult(strSnapshot, "cannot write the picture", hr);
        WriteStdout("wrote " + strSnapshot + "\n");
        return 0;
    }
    CEditPage page(session.Module(), pControl, false, dScale);
    page.Display().SetProjectPath(strProject.c_str()); // the page's Save dialog proposes it
    pAudio->Start();
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
        "usage: pandrel edit [PROJECT.pnd] [--snapshot OUT.png] [--scale F] [--bpm BPM]\n\n"
        "Shows the instrument's editor page in a window, with PROJECT.pnd loaded\n"
        "(else an empty project). Closing the window with unsaved changes asks\n"
        "whether to save them.\n\n"
        "When a JACK server runs, the instrument plays through it as client\n"
        "\"pandrel\": MIDI in midi_in, the mix on mix_L/mix_R (connected to the\n"
        "first two playback ports), Chan n on chanN_L/chanN_R. It follows JACK's\n"
        "transport (rolling, position, tempo) when a timebase master runs, else it\n"
        "plays its own transport from the start at --bpm. Without a server the\n"
        "project is edited without sound.\n\n"
        "  --snapshot OUT.png  draw the page offscreen after a full refresh, write\n"
        "                      it as a PNG and exit\n"
        "  --bpm BPM           the tempo without a JACK timebase master (default 120)\n"
        "  --scale F           draw the page F times its size, sharp (1 to 3, e.g. 1.5\n"
        "                      or 2; the picture too); default: PANDREL_UI_SCALE, else\n"
        "                      the X server's Xft.dpi / 96, else 1\n"
        "  --module LIB        the instrument library (default: pandrel.so beside the command)\n",
        {"--snapshot", "--scale", "--bpm", "--module"},
        {},
        &RunEdit};
    return entry;
}
