// Shared pieces of the control interface tests: a concrete engine object
// (IUnknown answered here, as the filter will), wave fixtures on disk,
// comparisons of pads and entries field by field, and the tests' fixture.
#pragma once
#include "RiffBuilder.h"
#include "engine/FakeSynthContext.h"
#include "files/ControlInterface.h"
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class TestControl : public CControlInterface {
public:
    explicit TestControl(CDXiSynthContext* pContext) : CDXi(pContext), CControlInterface(pContext) {
        SetOutputFormatRecord(MakeFloatFormat(2, pContext->GetSampleRate()));
    }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IVudivuVizezud) {
            *ppv = static_cast<IVudivuVizezud*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    using CVudivuVizezud::m_apUndo;
    using CVudivuVizezud::m_bAnySolo;
    using CVudivuVizezud::m_loopBin;
    using CVudivuVizezud::m_pads;
};

namespace fixture {
// A folder of its own per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        static int n = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("pandrel-control-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (auto& e : std::filesystem::directory_iterator(m_path))
            out.push_back(e.path().filename().string());
        return out;
    }

private:
    std::filesystem::path m_path;
};

inline void WriteFile(const std::string& path, const riff::Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline riff::Bytes ReadFile(const std::string& path) {
    riff::Bytes out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return out;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return out;
}

// A 4-beat loop of `frames` 16-bit stereo frames at `rate`, cut into
// `slices` equal slices by markers.
inline riff::Bytes SlicedLoop(uint32_t frames = 4000, int slices = 4, uint32_t rate = 44100) {
    std::vector<riff::Marker> markers;
    for (int i = 0; i < slices; ++i)
        markers.push_back({0, static_cast<uint32_t>(frames / slices * i), 1});
    return riff::Wave(frames, 2, rate)
        .Chunk("acid", riff::AcidBody(0, 60, 4, 120.0f))
        .Chunk("strc", riff::StrcBody(static_cast<uint32_t>(markers.size()), 2, markers))
        .Form();
}
// A plain (unsliced) mono wave.
inline riff::Bytes PlainWave(uint32_t frames = 2205, uint32_t rate = 44100) {
    return riff::Wave(frames, 1, rate).Form();
}

// Loads a file into the Loop Bin at the end; returns the entry's index.
inline LONG Load(TestControl& c, const std::string& path) {
    LONG index = -1, status = 0;
    EXPECT_EQ(c.LoadFileToBin(nullptr, path.c_str(), &index, &status), S_OK);
    return index;
}

// A fresh engine object and a folder of its own for each test.
struct Control : ::testing::Test {
    FakeSynthContext ctx{44100};
    TestControl c{&ctx};
    IVudivuVizezud& api = c;
    TempDir dir;
};
} // namespace fixture

// Every field a project stores, compared between two tracks.
inline void ExpectSameTrack(const CGrooveTrack& a, const CGrooveTrack& b) {
    EXPECT_EQ(a.m_nLenSamples, b.m_nLenSamples);
    EXPECT_EQ(a.m_nLenTicks, b.m_nLenTicks);
    EXPECT_DOUBLE_EQ(a.m_dTempo, b.m_dTempo);
    EXPECT_EQ(a.m_bLooping, b.m_bLooping);
    EXPECT_EQ(a.m_bSyncedPlayback, b.m_bSyncedPlayback);
    EXPECT_EQ(a.m_bMute, b.m_bMute);
    EXPECT_EQ(a.m_bSolo, b.m_bSolo);
    EXPECT_EQ(a.m_bLatch, b.m_bLatch);
    EXPECT_EQ(a.m_bTail, b.m_bTail);
    EXPECT_EQ(a.m_bFollowKey, b.m_bFollowKey);
    EXPECT_EQ(a.m_nKey, b.m_nKey);
    EXPECT_EQ(a.m_nOutput, b.m_nOutput);
    EXPECT_EQ(a.m_nMidiChannel, b.m_nMidiChannel);
    EXPECT_EQ(a.m_fVolume, b.m_fVolume);
    EXPECT_EQ(a.m_fPan, b.m_fPan);
    EXPECT_EQ(a.m_strName, b.m_strName);
    EXPECT_EQ(a.m_strPath, b.m_strPath);
    ASSERT_EQ(a.GetSize(), b.GetSize());
    for (int i = 0; i < a.GetSize(); ++i) {
        const CGrooveEvent &x = *a.GetAt(i), &y = *b.GetAt(i);
        SCOPED_TRACE("grain " + std::to_string(i));
        EXPECT_EQ(x.m_nSourceIndex, y.m_nSourceIndex);
        EXPECT_EQ(x.m_nSliceIndex, y.m_nSliceIndex);
        EXPECT_EQ(x.m_nStartTicks, y.m_nStartTicks);
        EXPECT_EQ(x.m_nStartSamples, y.m_nStartSamples);
        EXPECT_EQ(x.m_nLenTicks, y.m_nLenTicks);
        EXPECT_EQ(x.m_nLenSamples, y.m_nLenSamples);
        EXPECT_EQ(x.m_nTailSamples, y.m_nTailSamples);
        EXPECT_EQ(x.m_bSynced, y.m_bSynced);
        EXPECT_EQ(x.m_dRate, y.m_dRate);
        EXPECT_EQ(x.m_nTranspose, y.m_nTranspose);
        EXPECT_EQ(x.m_dVolume, y.m_dVolume);
        EXPECT_EQ(x.m_dPan, y.m_dPan);
        EXPECT_EQ(x.m_bUseTail, y.m_bUseTail);
        EXPECT_EQ(x.m_nSrcStart, y.m_nSrcStart);
        EXPECT_EQ(x.m_nPeakFirst, y.m_nPeakFirst);
        EXPECT_EQ(x.m_nPeakCount, y.m_nPeakCount);
        ASSERT_NE(x.m_pWave, nullptr);
        ASSERT_NE(y.m_pWave, nullptr);
        EXPECT_EQ(x.m_pWave->m_nFrames, y.m_pWave->m_nFrames);
        EXPECT_EQ(std::memcmp(&x.m_wfx, &y.m_wfx, sizeof(WAVEFORMATEX)), 0);
        if (x.m_pTail != nullptr && y.m_pTail != nullptr) {
            ASSERT_EQ(x.m_pTail->m_nDataBytes, y.m_pTail->m_nDataBytes);
            EXPECT_EQ(std::memcmp(x.m_pTail->m_pData, y.m_pTail->m_pData, x.m_pTail->m_nDataBytes),
                      0);
        } else {
            EXPECT_EQ(x.m_pTail == nullptr, y.m_pTail == nullptr);
        }
    }
}

// Entries also carry their sample data.
inline void ExpectSameEntry(const CGrooveTrack& a, const CGrooveTrack& b) {
    ExpectSameTrack(a, b);
    ASSERT_NE(a.m_pWave, nullptr);
    ASSERT_NE(b.m_pWave, nullptr);
    ASSERT_EQ(a.m_pWave->m_nDataBytes, b.m_pWave->m_nDataBytes);
    EXPECT_EQ(std::memcmp(a.m_pWave->m_pData, b.m_pWave->m_pData, a.m_pWave->m_nDataBytes), 0);
    EXPECT_EQ(std::memcmp(&a.m_pWave->m_wfx, &b.m_pWave->m_wfx, sizeof(WAVEFORMATEX)), 0);
}
