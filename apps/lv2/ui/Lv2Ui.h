// The plug-in's X11 user interface: the instrument's editor page, created
// through the bundle's pandrel.so as a host creates it, inside the host's
// parent window, attached to the instrument of the plug-in instance the host
// gives through instance access. It draws the page at the host's scale factor
// (else at the page's own default), asks the host for the window's size, and
// runs the page's input, timers and painting from the host's idle calls, with
// no thread of its own. Host's UI thread.
#pragma once
#include "apps/hostkit/InstrumentModule.h"
#include "platform/com/ComPtr.h"
#include "platform/com/PropertyPage.h"
#include <lv2/core/lv2.h>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

class CLv2Ui {
public:
    CLv2Ui() = default;
    ~CLv2Ui(); // destroys the page's window and releases the instrument
    CLv2Ui(const CLv2Ui&) = delete;
    CLv2Ui& operator=(const CLv2Ui&) = delete;

    // Creates and shows the page; *pWidget gets the page's X window. False
    // with the cause. PANDREL_LV2_UI_DEBUG=1 logs the host's features and options.
    bool Open(const char* pszBundle, const LV2_Feature* const* features, uintptr_t* pWidget,
              std::string* pstrError);
    // The host's idle call: the page's pending input, due timers and painting,
    // without waiting. 0 while the page is open, 1 once it cannot go on.
    int Idle();
    // The host's scale factor (ui:scaleFactor), 0 when it gave none.
    double HostScale() const { return m_dHostScale; }

private:
    struct Features;
    bool ReadFeatures(const LV2_Feature* const* features, Features* pOut, std::string* pstrError);
    // The instrument's control interface for the page, through the plug-in's
    // editor access (its extension data, through data access or its descriptor).
    IUnknown* OpenControl(const Features& f, const std::string& strBundle, std::string* pstrError);
    // The page's native window: the child of parent that Activate added.
    unsigned long FindPageWindow(unsigned long parent, const std::vector<unsigned long>& before);

    CInstrumentModule m_module; // released last: the page and control are its objects
    void* m_hPlugin = nullptr;  // the plug-in's shared object, when reached by its descriptor
    ComPtr<IUnknown> m_pControl;
    ComPtr<IPropertyPage> m_pPage;
    ComPtr<IPropertyPageDisplay> m_pDisplay;
    Display* m_pX = nullptr; // a connection of our own, to find the page's window
    double m_dHostScale = 0.0;
};
