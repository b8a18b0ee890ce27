// The instrument as the host kit opens it from pandrel.so, for building
// projects through the control interface and saving them as state bytes.
#pragma once
#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/InstrumentModule.h"
#include <cstdint>
#include <string>
#include <vector>

class IPersistStream;

class CCompareInstrument {
public:
    // Loads the library and opens the instrument at dwRate. Check Ok().
    CCompareInstrument(const std::string& strLibrary, DWORD dwRate);
    bool Ok() const { return m_bOk; }
    const std::string& Error() const { return m_strError; }
    IVudivuVizezud* Control() const { return m_host.Control(); }

    // Loads a wave file into the Loop Bin; its entry, or -1.
    LONG LoadLoop(const std::string& strPath);
    // The busy groove: entry on all 16 pads, synced and looping, gated, each
    // on its own output and key (36 + pad), pads 8-15 transposed +3 semitones.
    HRESULT BuildBusyGroove(LONG nEntry);
    // The instrument's IPersistStream with one reference, or null.
    IPersistStream* Persist() const;
    // The saved state, as the LV2 plug-in stores it; empty on failure.
    std::vector<uint8_t> SaveBytes() const;

private:
    CInstrumentModule m_module;
    CInstrumentHost m_host;
    bool m_bOk = false;
    std::string m_strError;
};

// Reads the whole of a memory stream from its start into a vector.
std::vector<uint8_t> StreamBytes(class IStream* pStream);
