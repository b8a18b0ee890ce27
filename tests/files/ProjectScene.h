// A project with something in every field, built through the control
// interface, and byte-level access to the chunks of a written form.
#pragma once
#include "ControlTestSupport.h"

namespace fixture {
// Where the scene's plain file lives: a folder whose path length makes the
// entry's `lbtr` body odd (77 bytes + the name twice + the folder path), so
// that the pad byte is exercised.
inline std::string ScenePlainPath(const TempDir& dir) {
    const std::string base = dir.File("s");
    const std::string folder = base.size() % 2 == 0 ? base : base + "s";
    std::filesystem::create_directories(folder);
    return folder + "/Grüße.wav";
}

// Two entries (a sliced stereo loop, a plain mono file) laid on pads with
// edited settings, key ranges and the grain-audition switch on.
inline void BuildScene(TestControl& c, const TempDir& dir, uint32_t rate = 44100) {
    IVudivuVizezud& api = c;
    WriteFile(dir.File("loop.wav"), SlicedLoop(8000, 4, rate));
    WriteFile(ScenePlainPath(dir), PlainWave(3001, rate));
    Load(c, dir.File("loop.wav"));
    Load(c, ScenePlainPath(dir));
    api.AssignFileToPad(0, 0);
    api.AddGrain(1, 0, 1, 0);
    api.AddGrain(0, 2, 1, 3 * kTicksPerBeat);
    api.CopyGrain(0, 3, 7, 5 * kTicksPerBeat, nullptr);
    api.SetGrainPitch(0, 1, 5);
    api.SetGrainGain(0, 2, 0.75f);
    api.SetGrainPan(1, 1, 0.125f);
    api.SetPadTails(1, 1);
    api.SetPadMute(7, 1);
    api.SetPadSolo(0, 1);
    api.SetPadOutput(1, 4);
    api.SetPadMidiChannel(7, 9);
    api.SetPadVolume(0, 1.25f);
    api.SetPadPan(7, 0.25f);
    api.SetPadRoot(1, 64);
    api.SetPadPitchMarkers(1, 1);
    api.SetPadLatch(7, 0);
    api.SetPadLooping(7, 1);
    api.SetClickAudition(1);
    PadKeyRange r{3, 40, 50, 45, 10, 100};
    api.SetPadKeyRange(&r);
}

// Body offset of the nth chunk `id` among the form's chunks (nested WAVE
// forms count as chunks "RIFF"), or 0.
inline size_t FindChunk(const riff::Bytes& b, const char* id, int nth = 0) {
    size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t size =
            b[at + 4] | (b[at + 5] << 8) | (b[at + 6] << 16) | (uint32_t(b[at + 7]) << 24);
        if (std::memcmp(&b[at], id, 4) == 0 && nth-- == 0) return at + 8;
        at += 8 + size + (size & 1);
    }
    return 0;
}
inline void Patch32(riff::Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Patch64(riff::Bytes& b, size_t at, uint64_t v) {
    for (int i = 0; i < 8; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void ExpectSameProject(TestControl& a, TestControl& b) {
    ASSERT_EQ(a.BinCount(), b.BinCount());
    for (int i = 0; i < a.BinCount(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        ExpectSameEntry(*a.BinEntry(i), *b.BinEntry(i));
    }
    for (int i = 0; i < kPadCount; ++i) {
        SCOPED_TRACE("pad " + std::to_string(i));
        ExpectSameTrack(*a.Pad(i), *b.Pad(i));
    }
    ASSERT_EQ(a.KeyMap().GetCount(), b.KeyMap().GetCount());
    for (int i = 0; i < kPadCount; ++i) {
        TrackKeyInfoImp x, y;
        ASSERT_EQ(a.KeyMap().GetEntry(i, &x), b.KeyMap().GetEntry(i, &y));
        EXPECT_EQ(x.nLowKey, y.nLowKey);
        EXPECT_EQ(x.nHighKey, y.nHighKey);
        EXPECT_EQ(x.nRootKey, y.nRootKey);
        EXPECT_EQ(x.nLowVelocity, y.nLowVelocity);
        EXPECT_EQ(x.nHighVelocity, y.nHighVelocity);
        EXPECT_EQ(y.pTrack, b.Pad(i));
    }
    EXPECT_EQ(a.GetGrainAudition(), b.GetGrainAudition());
}
} // namespace fixture
