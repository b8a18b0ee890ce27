// What a project holds, read back through the instrument's control interface
// after loading it: the Loop Bin, the pads with their settings and grains, and
// the key map, written as readable text or as JSON.
#pragma once
#include <string>
#include <vector>

class IVudivuVizezud;

class CProjectInfo {
public:
    // Reads everything from an instrument that has the project loaded.
    // Throws CCliError naming strPath when a query fails.
    void Read(IVudivuVizezud* pControl, const std::string& strPath);

    std::string Text() const;
    std::string Json() const;

private:
    struct Grain {
        long long nStartTicks, nEndTicks;
        long nEntry, nSlice, nTranspose;
        float fVolume, fPan;
    };
    struct Pad {
        long nLowKey, nHighKey, nRootKey, nLowVelocity, nHighVelocity;
        long long nLengthTicks;
        int bSynced, bLooping, bLatch, bMute, bSolo;
        long nOutput;
        float fVolume, fPan;
        std::vector<Grain> grains;
    };
    struct Entry {
        std::string strName, strPath;
        long nSlices;
    };

    std::string m_strPath;
    std::vector<Entry> m_entries;
    std::vector<Pad> m_pads;
};
