// Files the multi-threaded tests load while the instrument plays: the demo's
// sliced loop, a long plain wave, and a project saved from the demo's pads,
// all in a fresh temporary folder that goes with the object.
#pragma once
#include "apps/hostkit/InstrumentHost.h"
#include <cstdint>
#include <string>
#include <vector>

class IVudivuVizezud;

class CScratchContent {
public:
    // Writes the loop and a stereo wave of nLongSeconds at 44.1 kHz; false with the cause.
    bool Create(double dLongSeconds, std::string* pstrError);
    ~CScratchContent();

    // Lays the demo's pads out on the instrument (the loop in the Loop Bin).
    HRESULT BuildDemo(IVudivuVizezud* pControl, std::string* pstrWhat) const;
    // Saves the instrument's project as the scratch project file.
    HRESULT SaveProject(IVudivuVizezud* pControl) const;

    const std::string& LoopPath() const { return m_strLoop; }
    const std::string& LongPath() const { return m_strLong; }
    const std::string& ProjectPath() const { return m_strProject; }

private:
    std::string m_strDir, m_strLoop, m_strLong, m_strProject;
};

// The instrument's state as its IPersistStream saves it; empty on failure.
std::vector<uint8_t> SavedState(IVudivuVizezud* pControl);

// The demo's state, with a wave of dLongSeconds added to the Loop Bin when
// that is above 0 (a large state); empty on failure, with the cause.
std::vector<uint8_t> DemoState(double dLongSeconds, std::string* pstrError);

// A host's streaming set-up: 48 kHz stereo in 128-frame blocks.
inline CInstrumentHost::Options StreamingOptions(bool bChannelOutputs) {
    CInstrumentHost::Options options;
    options.dwRate = 48000;
    options.lBlockFrames = 128;
    options.bChannelOutputs = bChannelOutputs;
    return options;
}

// The built pandrel.so (or $PANDREL_TEST_MODULE), loaded once per process.
const CInstrumentModule& BuiltModule();
