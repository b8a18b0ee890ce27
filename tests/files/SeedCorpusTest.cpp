// Writes the reader's fixtures as the fuzzer's seed corpus. Disabled: run with
//   PANDREL_SEED_DIR=fuzz/corpus/acidwave files_seed_corpus --gtest_also_run_disabled_tests
#include "RiffBuilder.h"
#include <cstdlib>
#include <gtest/gtest.h>

using namespace riff;

TEST(SeedCorpus, DISABLED_Write) {
    const char* dir = std::getenv("PANDREL_SEED_DIR");
    ASSERT_NE(dir, nullptr);
    auto write = [dir](const char* name, const Bytes& bytes) {
        FILE* f = std::fopen((std::string(dir) + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    };
    write("plain.wav", Wave(48).Form());
    write("acid-beats.wav", Wave(64).Chunk("acid", AcidBody(2, 60, 4, 120.0f)).Form());
    write("acid-strc.wav", Wave(64)
                               .Chunk("acid", AcidBody(6, 57, 2, 96.0f))
                               .Chunk("strc", StrcBody(4, 3, {{0, 16, 1}, {2, 32, 1}, {1, 40, 1}, {0, 48, 0}}))
                               .Form());
    write("strc-unit2.wav", Wave(40).Chunk("acid", AcidBody(0, 48, 8, 100.0f)).Chunk("strc", StrcBody(0, 2, {})).Form());
    RiffBuilder info;
    info.Chunk("INAM", {'L', 'o', 'o', 'p', 0}).Chunk("IART", {'M', 'e'}).Chunk("ZZZZ", {'x'}).Chunk("ICMT", {'o', 'd', 'd'});
    write("info.wav", Wave(16).List("INFO", info).Chunk("acid", AcidBody(1, 0, 1, 90.0f)).Form());
    Fmt mono24;
    mono24.channels = 1;
    mono24.bits = 24;
    write("mono24.wav", RiffBuilder().Chunk("fmt ", FmtBody(mono24)).Chunk("data", Bytes(3 * 21, 0x40)).Form());
    Fmt flt;
    flt.tag = 3;
    flt.bits = 32;
    flt.extraSize = 0;
    write("float.wav", RiffBuilder().Chunk("fmt ", FmtBody(flt)).Chunk("data", Bytes(8 * 10, 0)).Form());
    Fmt ext;
    ext.tag = 0xFFFE;
    ext.bits = 24;
    ext.extraSize = 22;
    ext.extension = {24, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    write("extensible.wav", RiffBuilder().Chunk("fmt ", FmtBody(ext)).Chunk("data", Bytes(6 * 9, 1)).Form());
    write("acid-first.wav", RiffBuilder()
                                 .Chunk("acid", AcidBody(0, 60, 4, 120.0f))
                                 .Chunk("fmt ", FmtBody(Fmt{}))
                                 .Chunk("data", Pcm16(32, 2))
                                 .Form());
    write("data-overclaim.wav", RiffBuilder().Chunk("fmt ", FmtBody(Fmt{})).Chunk("data", Pcm16(10, 2), 4000).Form());
    Fmt u8;
    u8.bits = 8;
    u8.channels = 1;
    write("u8-odd.wav", RiffBuilder().Chunk("fmt ", FmtBody(u8)).Chunk("data", Bytes(13, 0x80)).Chunk("acid", AcidBody(0, 62, 3, 80.0f), 30).Form());
}
