// Drives the control interface as a busy editor and a careless host would, one
// random operation at a time from a fixed seed: Loop Bin loads and deletions,
// project loads and clears, undo and redo, grain edits and every pad setter.
// Results are not judged here (many operations fail on what is there by
// then); what counts is that each returns and leaves a consistent instrument.
#pragma once
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"
#include <cstdint>
#include <random>
#include <string>

class CControlHammer {
public:
    struct Files {
        std::string strLoop, strLong, strProject;
    };
    CControlHammer(IVudivuVizezud* pControl, Files files, uint32_t nSeed)
        : m_pControl(pControl), m_files(std::move(files)), m_random(nSeed) {}

    // One operation; returns its result.
    HRESULT Step();
    // Reads every pad's grains and every entry's slices, freeing the copies;
    // false when a summary is inconsistent.
    bool ReadBack();

private:
    LONG Pick(LONG n) {
        return n <= 0 ? 0 : static_cast<LONG>(m_random() % static_cast<uint32_t>(n));
    }
    LONG Pad() { return Pick(kPadCount); }
    LONG Entry();
    LONG Grain(LONG nPad);
    HRESULT EditGrain();
    HRESULT SetPad();

    IVudivuVizezud* m_pControl;
    Files m_files;
    std::mt19937 m_random;
};
