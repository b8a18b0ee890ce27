#include "apps/cli/WaveformPicture.h"
#include "apps/hostkit/AtomicFile.h"
#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <memory>

namespace {
constexpr double kMargin = 10.0;
const double kLaneColours[][3] = {{0.90, 0.45, 0.20}, {0.25, 0.60, 0.90}, {0.35, 0.75, 0.35},
                                  {0.80, 0.35, 0.70}, {0.90, 0.75, 0.20}, {0.50, 0.50, 0.90}};

cairo_status_t WriteToFile(void* pClosure, const unsigned char* pData, unsigned int nLength) {
    return static_cast<CAtomicFile*>(pClosure)->Write(pData, nLength) ? CAIRO_STATUS_SUCCESS
                                                                      : CAIRO_STATUS_WRITE_ERROR;
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* p) const { cairo_surface_destroy(p); }
};
struct ContextDeleter {
    void operator()(cairo_t* p) const { cairo_destroy(p); }
};
} // namespace

CWaveformPicture::CWaveformPicture(const float* pSamples, uint32_t nFrames, int nChannels)
    : m_pSamples(pSamples), m_nFrames(nFrames), m_nChannels(std::max(nChannels, 1)) {}

// Where things go: lanes at the top, the waveform below them.
struct CWaveformPicture::Layout {
    int nLanes;
    double dPlotWidth;
    double dFrames;
    double yWave; // top of the waveform
    double X(double dFrame) const { return kMargin + dPlotWidth * dFrame / dFrames; }
};

// Pad lanes: one per region, the region's span filled and labelled.
void CWaveformPicture::DrawLanes(cairo_t* c, const Layout& at) const {
    cairo_select_font_face(c, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(c, 13.0);
    for (int i = 0; i < at.nLanes; ++i) {
        const Region& r = m_regions[static_cast<size_t>(i)];
        const double* rgb = kLaneColours[i % 6];
        const double y = kMargin + i * kLaneHeight;
        const double x0 = at.X(r.nStart);
        const double x1 = at.X(std::max(r.nEnd, r.nStart));
        cairo_set_source_rgba(c, rgb[0], rgb[1], rgb[2], 0.85);
        cairo_rectangle(c, x0, y + 2, std::max(x1 - x0, 2.0), kLaneHeight - 4);
        cairo_fill(c);
        // Light text stays readable both on the bar and past its end.
        cairo_set_source_rgb(c, 0.97, 0.97, 0.97);
        cairo_move_to(c, x0 + 5, y + kLaneHeight - 9);
        cairo_show_text(c, r.strLabel.c_str());
        // The region's span shaded faintly across the waveform too.
        cairo_set_source_rgba(c, rgb[0], rgb[1], rgb[2], 0.07);
        cairo_rectangle(c, x0, at.yWave, x1 - x0, kWaveHeight);
        cairo_fill(c);
    }
}

// The waveform: per column, the min and max of the channels' mean.
void CWaveformPicture::DrawWave(cairo_t* c, const Layout& at) const {
    const double yMid = at.yWave + kWaveHeight / 2.0;
    const double dHalf = kWaveHeight / 2.0 - 4.0;
    cairo_set_source_rgb(c, 0.80, 0.85, 0.90);
    cairo_set_line_width(c, 1.0);
    const int nColumns = static_cast<int>(at.dPlotWidth);
    for (int col = 0; col < nColumns && m_nFrames > 0; ++col) {
        const uint32_t f0 =
            static_cast<uint32_t>(static_cast<uint64_t>(m_nFrames) * col / nColumns);
        const uint32_t f1 = std::max(
            f0 + 1, static_cast<uint32_t>(static_cast<uint64_t>(m_nFrames) * (col + 1) / nColumns));
        float fMin = 0.0f;
        float fMax = 0.0f;
        for (uint32_t f = f0; f < f1 && f < m_nFrames; ++f) {
            float v = 0.0f;
            for (int ch = 0; ch < m_nChannels; ++ch)
                v += m_pSamples[static_cast<size_t>(f) * m_nChannels + ch];
            v /= static_cast<float>(m_nChannels);
            fMin = std::min(fMin, v);
            fMax = std::max(fMax, v);
        }
        const double x = kMargin + col + 0.5;
        cairo_move_to(c, x, yMid - std::clamp(fMax, -1.0f, 1.0f) * dHalf);
        cairo_line_to(c, x, yMid - std::clamp(fMin, -1.0f, 1.0f) * dHalf + 1.0);
    }
    cairo_stroke(c);
}

void CWaveformPicture::DrawSlices(cairo_t* c, const Layout& at) const {
    cairo_set_source_rgba(c, 1.0, 1.0, 1.0, 0.35);
    for (uint32_t s : m_slices) {
        const double x = std::floor(at.X(s)) + 0.5;
        cairo_move_to(c, x, at.yWave);
        cairo_line_to(c, x, at.yWave + kWaveHeight);
    }
    cairo_stroke(c);
}

bool CWaveformPicture::Write(const std::string& strPath, std::string* pstrError) const {
    const int nLanes = static_cast<int>(m_regions.size());
    const int nHeight = static_cast<int>(2 * kMargin) + nLanes * kLaneHeight + kWaveHeight;
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, nHeight));
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    cairo_t* c = cr.get();
    const Layout at{nLanes, kWidth - 2 * kMargin, std::max<double>(m_nFrames, 1.0),
                    kMargin + nLanes * kLaneHeight};
    cairo_set_source_rgb(c, 0.11, 0.12, 0.14);
    cairo_paint(c);
    DrawLanes(c, at);
    DrawWave(c, at);
    DrawSlices(c, at);

    cairo_surface_flush(surface.get());
    if (cairo_status(c) != CAIRO_STATUS_SUCCESS) {
        *pstrError = std::string("cannot draw: ") + cairo_status_to_string(cairo_status(c));
        return false;
    }
    CAtomicFile file;
    if (!file.Open(strPath)) {
        *pstrError = file.Error();
        return false;
    }
    const cairo_status_t st = cairo_surface_write_to_png_stream(surface.get(), &WriteToFile, &file);
    if (st != CAIRO_STATUS_SUCCESS) {
        *pstrError = file.Error().empty() ? cairo_status_to_string(st) : file.Error();
        return false;
    }
    if (!file.Commit()) {
        *pstrError = file.Error();
        return false;
    }
    return true;
}
