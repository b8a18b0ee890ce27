// A PNG picture of a loop's waveform with its slice boundaries and, in lanes
// above it, the regions that pads play (drawn with cairo).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;

class CWaveformPicture {
public:
    struct Region {
        uint32_t nStart; // frames
        uint32_t nEnd;
        std::string strLabel;
    };

    CWaveformPicture(const float* pSamples, uint32_t nFrames, int nChannels);
    void SetSlices(std::vector<uint32_t> slices) { m_slices = std::move(slices); }
    void AddRegion(Region region) { m_regions.push_back(std::move(region)); }

    // Draws and writes the picture. False with the cause in *pstrError.
    bool Write(const std::string& strPath, std::string* pstrError) const;

    static constexpr int kWidth = 1200;
    static constexpr int kLaneHeight = 26;
    static constexpr int kWaveHeight = 260;

private:
    struct Layout;
    void DrawLanes(cairo_t* c, const Layout& at) const;
    void DrawWave(cairo_t* c, const Layout& at) const;
    void DrawSlices(cairo_t* c, const Layout& at) const;

    const float* m_pSamples;
    uint32_t m_nFrames;
    int m_nChannels;
    std::vector<uint32_t> m_slices;
    std::vector<Region> m_regions;
};
