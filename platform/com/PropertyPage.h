// The property-page contract between a host and a page object: the host hands
// the page a site and the objects to edit, then activates it inside a native
// window of its own, shows, moves and deactivates it, and asks whether it is
// dirty or should apply. IPropertyPageDisplay adds what a host on this
// platform needs beyond that: the page's windows run on the module's own
// window layer, so the host lends the page time, may ask for a picture, and
// tells the page the scale factor of its display.
// Every operation is called on the host's user-interface thread.
#pragma once
#include "platform/com/Dispatch.h"
#include <cstdint>

// A native window: an X11 window id; 0 for none (the page makes its own).
using HWND = uintptr_t;
using LPCOLESTR = const WCHAR*;

struct SIZEL {
    LONG cx, cy;
};
// Left and top inclusive, right and bottom exclusive, in pixels.
struct RECTL {
    LONG left, top, right, bottom;
};
struct MSG; // a host message handed to TranslateAccelerator; never read here

// What the page tells its host about itself; the strings are CoTaskMemAlloc'ed
// and freed by the host.
struct PROPPAGEINFO {
    ULONG cb; // sizeof(PROPPAGEINFO)
    LPOLESTR pszTitle;
    SIZEL size;
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
};

// OnStatusChange flags.
constexpr DWORD PROPPAGESTATUS_DIRTY = 0x1;
constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x2;
constexpr DWORD PROPPAGESTATUS_CLEAN = 0x4;

// Show's commands.
constexpr UINT SW_HIDE = 0;
constexpr UINT SW_SHOW = 5;

// {B196B28C-BAB4-101A-B69C-00AA00341D07}
constexpr IID IID_IPropertyPageSite = {
    0xB196B28C, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
// {B196B28D-BAB4-101A-B69C-00AA00341D07}
constexpr IID IID_IPropertyPage = {
    0xB196B28D, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
// {024D3EA9-1649-4B2F-B5F7-56E0AA66A07A}
constexpr IID IID_IPropertyPageDisplay = {
    0x024D3EA9, 0x1649, 0x4B2F, {0xB5, 0xF7, 0x56, 0xE0, 0xAA, 0x66, 0xA0, 0x7A}};

// The host's side, handed to the page before it is activated.
class IPropertyPageSite : public IUnknown {
public:
    virtual HRESULT OnStatusChange(DWORD dwFlags) = 0;      // 3
    virtual HRESULT GetLocaleID(LCID* pLocaleID) = 0;       // 4
    virtual HRESULT GetPageContainer(IUnknown** ppUnk) = 0; // 5
    virtual HRESULT TranslateAccelerator(MSG* pMsg) = 0;    // 6

protected:
    ~IPropertyPageSite() = default;
};

class IPropertyPage : public IUnknown {
public:
    // The page keeps a reference to the site; null releases it.
    virtual HRESULT SetPageSite(IPropertyPageSite* pPageSite) = 0; // 3
    // Creates the page's window inside hWndParent (0: a window of its own) at
    // pRect. E_UNEXPECTED when already active; E_FAIL when no window can be made.
    virtual HRESULT Activate(HWND hWndParent, const RECTL* pRect, BOOL bModal) = 0; // 4
    // Destroys the window; the objects stay. S_OK also when not active.
    virtual HRESULT Deactivate() = 0;                         // 5
    virtual HRESULT GetPageInfo(PROPPAGEINFO* pPageInfo) = 0; // 6
    // The objects the page edits (0 objects releases them).
    virtual HRESULT SetObjects(ULONG cObjects, IUnknown** ppUnk) = 0; // 7
    virtual HRESULT Show(UINT nCmdShow) = 0;                          // 8
    virtual HRESULT Move(const RECTL* pRect) = 0;                     // 9
    // S_OK when dirty, S_FALSE when not.
    virtual HRESULT IsPageDirty() = 0;                   // 10
    virtual HRESULT Apply() = 0;                         // 11
    virtual HRESULT Help(LPCOLESTR pszHelpDir) = 0;      // 12
    virtual HRESULT TranslateAccelerator(MSG* pMsg) = 0; // 13

protected:
    ~IPropertyPage() = default;
};

class IPropertyPageDisplay : public IUnknown {
public:
    // Before Activate: the page draws into memory and shows nothing.
    // E_UNEXPECTED once active.
    virtual HRESULT UseOffscreen() = 0; // 3
    // Handles the page's pending input, timers and painting, waiting up to
    // nMaxWaitMs (-1: no limit) for input or the next timer. S_OK while the
    // page is shown; S_FALSE when the person asked to close its own window
    // (the host decides what follows) or when it is not active.
    virtual HRESULT Idle(LONG nMaxWaitMs) = 0; // 4
    // Paints what is pending and writes the page's picture as a PNG file.
    // E_POINTER: null path; E_UNEXPECTED: not active; E_FAIL: not written.
    virtual HRESULT SavePicture(const char* pszPath) = 0; // 5
    // The host's scale factor for the page's window (LV2: ui:scaleFactor):
    // the page keeps its size in page pixels (GetPageInfo) and its window,
    // back buffer and picture are that size x the factor, drawn sharp at it.
    // dScale is clamped to 1..3; 0 withdraws the host's factor, so that
    // PANDREL_UI_SCALE, else the X server's Xft.dpi / 96, else 1 decides.
    // Before Activate it applies to the window Activate makes; once active the
    // window is resized and painted again. E_INVALIDARG: negative or not a number.
    virtual HRESULT SetScale(double dScale) = 0; // 6
    // The factor the window is drawn at (E_POINTER: null; E_UNEXPECTED: not
    // active, since the display's factor is known only then).
    virtual HRESULT GetScale(double* pdScale) = 0; // 7
    // The project file (UTF-8) the host loaded before showing the page: its
    // Save dialog proposes that folder and name until the page opens, saves
    // or clears a project itself. Null or "" forgets it. Always S_OK.
    virtual HRESULT SetProjectPath(const char* pszPath) = 0; // 8

protected:
    ~IPropertyPageDisplay() = default;
};
