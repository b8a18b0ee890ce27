// The persistence base of a filter object: frames the object's state in a
// host stream with its version number written as text (12 UTF-16LE code
// units, "%011d "), and hands the rest to four hooks the object overrides.
// Called on the host's main thread; the hooks take whatever lock they need.
#pragma once
#include "platform/com/Persist.h"

// Bytes of the version text.
constexpr ULONG kVersionTextBytes = 24;

class CPersistStream : public IPersistStream {
public:
    HRESULT IsDirty() override;
    HRESULT Load(IStream* pStm) override;
    HRESULT Save(IStream* pStm, BOOL fClearDirty) override;
    HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) override;

    virtual LONG GetStateVersion() { return 0; }
    virtual LONG GetStateSizeMax() { return 0; }
    virtual HRESULT WriteState(IStream*) { return S_OK; }
    virtual HRESULT ReadState(IStream*) { return S_OK; }

    LONG GetFileVersion() const { return m_nFileVersion; }
    void SetDirty(BOOL bDirty) { m_bDirty = bDirty; }

    // The version text of nVersion, as the 24 bytes Save writes.
    static void FormatVersionText(LONG nVersion, unsigned char out[kVersionTextBytes]);
    // Reads a version text one code unit at a time: an optional "-", decimal
    // digits, then a space, tab, CR, LF or 0 (consumed). Any other code unit,
    // or a stream that ends first, is VFW_E_INVALID_FILE_FORMAT; a failing
    // read is returned as it is.
    static HRESULT ReadVersionText(IStream* pStm, LONG* pnVersion);

protected:
    ~CPersistStream() = default;

private:
    LONG m_nFileVersion = 0;
    BOOL m_bDirty = 0;
};
