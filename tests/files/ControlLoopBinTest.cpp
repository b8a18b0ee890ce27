// The Loop Bin: loading finds existing paths and stops at a full bin, an entry
// laid on a pad brings its slices, and deleting or inserting an entry
// renumbers the grains cut from the others.
#include "ControlTestSupport.h"
#include <cstdio>
#include <cstring>

using namespace fixture;

TEST_F(Control, LoadingFilesFindsExistingPathsAndStopsAtSixteen) {
    const std::string path = dir.File("loop.wav");
    WriteFile(path, SlicedLoop());
    EXPECT_EQ(Load(c, path), 0);
    LONG count = 0;
    api.GetFileCount(&count);
    EXPECT_EQ(count, 1);
    // The same path again is found, not read: the file may be gone by now.
    std::remove(path.c_str());
    LONG index = 5, status = 9;
    EXPECT_EQ(api.LoadFileToBin("loop.wav", path.c_str(), &index, &status), S_OK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(api.LoadFileToBin("x.wav", dir.File("missing.wav").c_str(), &index, &status),
              E_INVALIDARG);
    for (int i = 1; i < 16; ++i) {
        const std::string p = dir.File("f" + std::to_string(i) + ".wav");
        WriteFile(p, PlainWave(100 + i));
        EXPECT_EQ(Load(c, p), i);
    }
    const std::string extra = dir.File("extra.wav");
    WriteFile(extra, PlainWave(50));
    index = -1;
    EXPECT_EQ(api.LoadFileToBin("extra.wav", extra.c_str(), &index, &status), S_FALSE);
    EXPECT_EQ(status, kLoadStatusBinFull);
    api.GetFileCount(&count);
    EXPECT_EQ(count, 16);
    char name[260];
    api.GetFileName(15, 0, name);
    EXPECT_STREQ(name, "f15.wav");
    api.GetFileName(15, 1, name);
    EXPECT_EQ(name, dir.File("f15.wav"));
    std::strcpy(name, "untouched");
    EXPECT_EQ(api.GetFileName(16, 0, name), S_OK);
    EXPECT_STREQ(name, "untouched");
}

TEST_F(Control, FileToPadLaysTheSlicesOnThePad) {
    const std::string path = dir.File("loop.wav");
    WriteFile(path, SlicedLoop(4000, 4));
    LONG index = -1, status = 0;
    EXPECT_EQ(api.LoadFileToPad(16, "loop.wav", path.c_str(), &index, &status), E_INVALIDARG);
    EXPECT_EQ(api.LoadFileToPad(2, "loop.wav", path.c_str(), &index, &status), S_OK);
    LONG grains = 0;
    api.GetPadGrainCount(kKindPad, 2, &grains);
    EXPECT_EQ(grains, 4);
    BOOL b = 0;
    api.GetPadLooping(2, &b);
    EXPECT_TRUE(b);
    LONGLONG len = 0, entryLen = 0;
    api.GetPadLength(kKindPad, 2, &len);
    api.GetPadLength(kKindLoopBin, 0, &entryLen);
    EXPECT_EQ(len, 4 * kTicksPerBeat);
    EXPECT_EQ(len, entryLen);
    EXPECT_EQ(api.GetPadLength(kKindLoopBin, 1, &len), E_INVALIDARG);
    EXPECT_EQ(api.GetPadLength(2, 0, &len), E_INVALIDARG);
    LONGLONG end = 0;
    api.GetPadContentEnd(2, &end);
    EXPECT_EQ(end, 4 * kTicksPerBeat);
}

TEST_F(Control, DeletingAnEntryRemovesItsGrainsAndRenumbersTheRest) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    WriteFile(dir.File("b.wav"), SlicedLoop(2000, 2));
    Load(c, dir.File("a.wav"));
    Load(c, dir.File("b.wav"));
    api.AddGrain(0, 0, 0, 0);
    api.AddGrain(1, 1, 0, kTicksPerBeat);
    api.AddGrain(0, 2, 0, 2 * kTicksPerBeat);
    EXPECT_EQ(api.DeleteFile(5), S_FALSE);
    EXPECT_EQ(api.DeleteFile(0), S_OK);
    ASSERT_EQ(c.Pad(0)->GetSize(), 1);
    LONG entry = -1, slice = -1;
    api.GetGrainSource(0, 0, &entry, &slice);
    EXPECT_EQ(entry, 0);
    EXPECT_EQ(slice, 1);
    EXPECT_EQ(c.BinEntry(0)->GetAt(0)->m_nSourceIndex, 0);
    EXPECT_EQ(api.GetGrainSource(0, 1, &entry, &slice), E_INVALIDARG);
}

TEST_F(Control, InsertingAnEntryKeepsPadsOnTheirFiles) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    WriteFile(dir.File("b.wav"), SlicedLoop(2000, 2));
    Load(c, dir.File("a.wav"));
    api.AddGrain(0, 1, 3, 0);
    const CWaveMem* wave = c.BinEntry(0)->m_pWave;
    LONG index = 0, status = 0; // insert before entry 0
    EXPECT_EQ(api.LoadFileToBin("b.wav", dir.File("b.wav").c_str(), &index, &status), S_OK);
    EXPECT_EQ(index, 0);
    const CGrooveEvent* g = c.Pad(3)->GetAt(0);
    EXPECT_EQ(g->m_nSourceIndex, 1);
    EXPECT_EQ(c.BinEntry(1)->m_pWave, wave);
    EXPECT_EQ(c.BinEntry(1)->GetAt(0)->m_nSourceIndex, 1);
    EXPECT_EQ(c.BinEntry(0)->GetAt(0)->m_nSourceIndex, 0);
}
