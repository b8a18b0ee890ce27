// The instrument object: media filter, soft-synth adapter, engine and control
// interface in one, with one identity, one reference count and one lock (the
// engine's). It owns the input pin "Input" and the output pins ("Mix Output",
// then the engine's "Chan 1".."Chan 16"), checks formats, changes state and
// manages pins for the engine. It can be aggregated: its public IUnknown then
// delegates to the outer object.
// Threads: state changes and pin changes come from the host's control thread
// (and from the engine under the lock), samples from the streaming thread,
// the soft-synth calls from the sequencer threads, the control interface from
// the user-interface thread. All of them hold the engine's lock; the pin
// lookups (FindOutputPin, GetOutputPinCount, GetOutputPinId) do not.
#pragma once
#include "files/ControlInterface.h"
#include "host/FilterInputPin.h"
#include "host/FilterOutputPin.h"
#include "host/SoftSynth.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/PersistStream.h"
#include "platform/media/BaseFilter.h"
#include "platform/mfx/MfxPinChange.h"
#include <memory>
#include <vector>

// Output pins the list holds without growing (the filter makes 17).
constexpr size_t kOutputPinReserve = 64;
constexpr size_t kMaxOutputPinName = 255;

class CFilter : public virtual CDXiSynthContext,
                public virtual CSoftSynth,
                public virtual CControlInterface,
                public CBaseFilter,
                public ISpecifyPropertyPages,
                public CPersistStream,
                public INonDelegatingUnknown {
public:
    // The class template's creation function: *phr tells whether the object
    // is usable (the factory deletes it otherwise).
    static INonDelegatingUnknown* CreateInstance(IUnknown* pUnkOuter, HRESULT* phr);
    CFilter(IUnknown* pUnkOuter, HRESULT* phr);
    ~CFilter() override;

    // IUnknown (delegating) and the object's own identity.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG NonDelegatingAddRef() override;
    ULONG NonDelegatingRelease() override;

    // IPersist (the base filter and persistence share it).
    HRESULT GetClassID(CLSID* pClsID) override;
    // IMediaFilter state changes (control thread; lock).
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME tStart) override;
    // ISpecifyPropertyPages: the one page, in a task-allocated block.
    HRESULT GetPages(CAUUID* pPages) override;
    // The soft synth's attach also takes the host's pin-change sink (lock).
    HRESULT Attach(IUnknown* pContext) override;
    HRESULT Detach() override;

    // CDXiSynthContext slots 0..5: pin management for the engine.
    HRESULT AddOutputPin(const wchar_t* pszName, DWORD* pdwId) override; // lock
    HRESULT RemoveOutputPin(DWORD dwId) override;                        // lock
    HRESULT RemoveAllOutputPins() override;                              // lock
    CFilterOutputPin* FindOutputPin(DWORD dwId) override;
    DWORD GetOutputPinCount() override { return m_dwOutputCount; }
    DWORD GetOutputPinId(DWORD dwIndex) override;
    IRenderOutput* GetRenderOutput(DWORD dwIndex) override;

    // The base filter's pins: 0 the input, then the outputs in creation order.
    int GetPinCount() override { return static_cast<int>(m_dwOutputCount) + 1; }
    CBasePin* GetPin(int n) override;

    // Persistence hooks: the engine's state; the engine takes the lock itself, briefly.
    HRESULT WriteState(IStream* pStm) override;
    HRESULT ReadState(IStream* pStm) override;

    // Format checks for the pins (any thread; the engine decides last).
    HRESULT CheckFormat(PIN_DIRECTION dir, const AM_MEDIA_TYPE* pmt);
    HRESULT CheckTransformTypes(const AM_MEDIA_TYPE* pIn, const AM_MEDIA_TYPE* pOut);
    CFilterInputPin* InputPin() const { return m_pInput.get(); }
    CCritSec* ObjectLock() { return static_cast<CDXi*>(this); }
    IBaseFilter* AsBaseFilter() { return static_cast<IBaseFilter*>(this); }
    // The stored engine formats, set by the pins under the lock.
    void StoreInputFormat(const AM_MEDIA_TYPE& mt);
    void StoreOutputFormat(const AM_MEDIA_TYPE& mt);
    // Renders the tail for an unconnected input on pause and run.
    void RunTailIfInputUnconnected();

private:
    // The sink's leave (phase 1) or notice (phase 2); E_FAIL when attached without one.
    HRESULT AskPinChange(DWORD dwCount);
    void TellPinChange(DWORD dwCount);
    // Unlinks the output at index i from the list and drops the list's reference.
    void UnlinkOutput(size_t i);

    // The public IUnknown when nobody aggregates us: the non-delegating one.
    class CInnerUnknown : public IUnknown {
    public:
        explicit CInnerUnknown(CFilter* p) : m_p(p) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override {
            return m_p->NonDelegatingQueryInterface(riid, ppv);
        }
        ULONG AddRef() override { return m_p->NonDelegatingAddRef(); }
        ULONG Release() override { return m_p->NonDelegatingRelease(); }

    private:
        CFilter* m_p;
    };

    CInnerUnknown m_inner{this};
    IUnknown* m_pUnkOwner;
    std::atomic<ULONG> m_cRef{0};
    std::unique_ptr<CFilterInputPin> m_pInput;
    std::vector<CFilterOutputPin*> m_outputs; // creation order, one reference each
    DWORD m_dwOutputCount = 0;
    IMfxPinChangeNotify* m_pPinSink = nullptr;
    bool m_bAppLocked = false;
};
