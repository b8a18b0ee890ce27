// The editor page, "Pandrel Properties": a COM object of the library's page
// class that a host shows in a window of its own. It attaches to the first
// object handed to it that answers IVudivuVizezud and reads and writes the
// engine only through that interface; changes made elsewhere come back by
// polling TakeRefreshRequest every 200 ms. The fixed 600 x 553 skinned panel
// holds the child controls and four regions the page draws itself. Every
// operation runs on the host's user-interface thread.
#pragma once
#include "editor/EditorState.h"
#include "editor/PageControls.h"
#include "editor/PlugInFilterCallback.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/PropertyPage.h"
#include "platform/ui/DropTarget.h"
#include "platform/ui/Wnd.h"
#include <atomic>
#include <memory>
#include <vector>

class CLoopBinList;
class CMiddleBand;
class CPadEditor;
class CPadGrid;
class CPadSettings;
class CPageRegion;
class CSliceSettings;

class CVudivuVizezudPropPage : public CWnd,
                               public CBaseObject,
                               public INonDelegatingUnknown,
                               public IPropertyPage,
                               public IPropertyPageDisplay,
                               public CPlugInFilterCallback,
                               public IDropTarget {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshMs = 200;
    static constexpr UINT_PTR kDropMessageTimer = 2; // shows a drop's messages after it

    // The page class's creation function; the page cannot be aggregated.
    static INonDelegatingUnknown* CreateInstance(IUnknown* pUnkOuter, HRESULT* phr);

    // IUnknown, through the non-delegating one (there is no outer object).
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG NonDelegatingAddRef() override { return ++m_cRef; }
    ULONG NonDelegatingRelease() override;
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return NonDelegatingQueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return NonDelegatingAddRef(); }
    ULONG Release() override { return NonDelegatingRelease(); }

    // IPropertyPage.
    HRESULT SetPageSite(IPropertyPageSite* pPageSite) override;
    HRESULT Activate(HWND hWndParent, const RECTL* pRect, BOOL bModal) override;
    HRESULT Deactivate() override;
    HRESULT GetPageInfo(PROPPAGEINFO* pPageInfo) override;
    HRESULT SetObjects(ULONG cObjects, IUnknown** ppUnk) override;
    HRESULT Show(UINT nCmdShow) override;
    HRESULT Move(const RECTL* pRect) override;
    // S_OK when the project was changed here since it was opened, saved or cleared.
    HRESULT IsPageDirty() override { return m_state.m_bDirty ? S_OK : S_FALSE; }
    HRESULT Apply() override { return S_OK; }
    HRESULT Help(LPCOLESTR pszHelpDir) override;
    HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }

    // IPropertyPageDisplay.
    HRESULT UseOffscreen() override;
    HRESULT Idle(LONG nMaxWaitMs) override;
    HRESULT SavePicture(const char* pszPath) override;
    HRESULT SetScale(double dScale) override;
    HRESULT GetScale(double* pdScale) override;
    HRESULT SetProjectPath(const char* pszPath) override;

    // The child controls' messages (toggles, knobs and bitmap buttons).
    BOOL FilterMessage(CWnd* pCtrl, UINT msg, WPARAM wParam, LPARAM lParam,
                       LRESULT* pResult) override;

    // IDropTarget: files from the desktop.
    HRESULT DragEnter(const CDropData& data, DWORD dwKeyState, POINT pt, DWORD* pdwEffect) override;
    HRESULT DragOver(DWORD dwKeyState, POINT pt, DWORD* pdwEffect) override;
    HRESULT DragLeave() override { return S_OK; }
    HRESULT Drop(const CDropData& data, DWORD dwKeyState, POINT pt, DWORD* pdwEffect) override;

    // What the page shows, for its host's tools and tests.
    const CEditorState& State() const { return m_state; }
    CEditorState& State() { return m_state; }
    CWnd* Control(UINT nID) const { return m_controls.Get(nID); }
    CPadEditor& PadEditor() const { return *m_pPadEditor; }
    CMiddleBand& Band() const { return *m_pBand; }
    // Re-reads everything from the engine and redraws every region.
    void RefreshAll();
    // Makes the pad current, redrawing what shows the old and the new one.
    void SelectPad(int nPad);
    // Open Audio File for the current pad (its open toggle, the pad menu):
    // the file dialog, then the file loaded onto the pad. True when loaded.
    bool OpenPadAudioFile();

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnLButtonUp(UINT nFlags, POINT pt) override;
    void OnLButtonDblClk(UINT nFlags, POINT pt) override;
    void OnRButtonDown(UINT nFlags, POINT pt) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt) override;
    BOOL OnMouseHWheel(UINT nFlags, short zDelta, POINT pt) override;
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    void OnTimer(UINT_PTR nID) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnVScroll(UINT nCode, UINT nPos, CWnd* pCtrl) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;
    void OnDestroy() override;

private:
    CVudivuVizezudPropPage();
    ~CVudivuVizezudPropPage() override;

    bool OnInitDialog();
    void Attached();
    CPageRegion* RegionAt(POINT pt) const;
    bool HandleKey(UINT nChar);
    void OnClearProject();
    void OnPlay();
    void OnStop();
    void OnAudition();
    // What the file dialog is for: audio files into the Loop Bin or onto the
    // current pad, or a project to open or save.
    enum class FileMode { BinWave, PadWave, OpenProject, SaveProject };
    bool OnFileDialog(FileMode mode);
    bool OnProjectFile(bool bSave);
    bool OnPadCommand(UINT nID, int nCode);
    void OnDeleteFile();
    void ShowDropMessages();
    void StepGrain(int nStep);
    void StepPad(int nStep);
    void SelectGrain(int nPad, LONG nGrain);
    void DeleteGrains();
    void UndoRedo(bool bRedo);
    void NudgePitch(int nDelta);
    void ShowHelp();
    void ReadPadSettings();
    void RefreshPadInspector();
    void ShowKeyRange(const PadKeyRange& range);
    void RefreshSliceInspector();
    void SetSlicePitch(LONG nSemitones);
    bool IsDragging() const;
    bool CancelDrag();
    void EndBinDrag();

    std::atomic<ULONG> m_cRef{0};
    ComPtr<IPropertyPageSite> m_pSite;
    CEditorState m_state;
    CPageControls m_controls;
    std::unique_ptr<CLoopBinList> m_pLoopBin;
    std::unique_ptr<CPadGrid> m_pPadGrid;
    std::unique_ptr<CMiddleBand> m_pBand;
    std::unique_ptr<CPadEditor> m_pPadEditor;
    std::unique_ptr<CPadSettings> m_pPadSettings;
    std::unique_ptr<CSliceSettings> m_pSliceSettings;
    std::vector<CPageRegion*> m_regions; // in paint order
    CPageRegion* m_pPressed = nullptr;   // the region a press went to, until the release
    int m_nPaintSuspended = 0;           // raised while a drop is handled
    std::vector<UINT> m_dropMessages;    // what the last drop has to tell
    double m_dHostScale = 0.0;           // the host's factor, 0 for none
    // The project file last opened or saved here (or named by the host), which
    // the Save dialog proposes; after a clear only its folder, ending in '/'.
    std::wstring m_strProjectPath;
    bool m_bOffscreen = false;
    bool m_bOwnBackend = false;
    bool m_bCloseAsked = false;
    bool m_bDropAccepted = false;
};
