// Writes the named seeds of the corpora: the reader's fixtures (acidwave) and
// small projects as a file, as a host stream and as the version text alone
// (projectfile, projectstream, versiontext). The corpora's other files are
// inputs the fuzzers found.
//   fuzz_write_seeds CORPUS-FOLDER      (the folder that holds acidwave/, ...)
#include "files/ControlTestSupport.h"
#include <cstdio>
#include <filesystem>
#include <string>

using namespace riff;

namespace {
bool g_bFailed = false;

void Write(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f != nullptr && std::fclose(f) != 0) g_bFailed = true;
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        g_bFailed = true;
    }
}

// UTF-16LE bytes of ASCII text, as the host stream stores its version text.
Bytes Utf16(const std::string& text) {
    Bytes out;
    for (char ch : text) out.insert(out.end(), {static_cast<uint8_t>(ch), 0});
    return out;
}

void WriteWaveSeeds(const std::string& dir) {
    auto write = [&dir](const char* name, const Bytes& bytes) { Write(dir + "/" + name, bytes); };
    write("plain.wav", Wave(48).Form());
    write("acid-beats.wav", Wave(64).Chunk("acid", AcidBody(2, 60, 4, 120.0f)).Form());
    write("acid-strc.wav",
          Wave(64)
              .Chunk("acid", AcidBody(6, 57, 2, 96.0f))
              .Chunk("strc", StrcBody(4, 3, {{0, 16, 1}, {2, 32, 1}, {1, 40, 1}, {0, 48, 0}}))
              .Form());
    write("strc-unit2.wav", Wave(40)
                                .Chunk("acid", AcidBody(0, 48, 8, 100.0f))
                                .Chunk("strc", StrcBody(0, 2, {}))
                                .Form());
    RiffBuilder info;
    info.Chunk("INAM", {'L', 'o', 'o', 'p', 0})
        .Chunk("IART", {'M', 'e'})
        .Chunk("ZZZZ", {'x'})
        .Chunk("ICMT", {'o', 'd', 'd'});
    write("info.wav", Wave(16).List("INFO", info).Chunk("acid", AcidBody(1, 0, 1, 90.0f)).Form());
    Fmt mono24;
    mono24.channels = 1;
    mono24.bits = 24;
    write("mono24.wav",
          RiffBuilder().Chunk("fmt ", FmtBody(mono24)).Chunk("data", Bytes(3 * 21, 0x40)).Form());
    Fmt flt;
    flt.tag = 3;
    flt.bits = 32;
    flt.extraSize = 0;
    write("float.wav",
          RiffBuilder().Chunk("fmt ", FmtBody(flt)).Chunk("data", Bytes(8 * 10, 0)).Form());
    Fmt ext;
    ext.tag = 0xFFFE;
    ext.bits = 24;
    ext.extraSize = 22;
    ext.extension = {24, 0,    3, 0,    0, 0, 1,    0, 0,    0,    0,
                     0,  0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    write("extensible.wav",
          RiffBuilder().Chunk("fmt ", FmtBody(ext)).Chunk("data", Bytes(6 * 9, 1)).Form());
    write("acid-first.wav", RiffBuilder()
                                .Chunk("acid", AcidBody(0, 60, 4, 120.0f))
                                .Chunk("fmt ", FmtBody(Fmt{}))
                                .Chunk("data", Pcm16(32, 2))
                                .Form());
    write("data-overclaim.wav",
          RiffBuilder().Chunk("fmt ", FmtBody(Fmt{})).Chunk("data", Pcm16(10, 2), 4000).Form());
    Fmt u8;
    u8.bits = 8;
    u8.channels = 1;
    write("u8-odd.wav", RiffBuilder()
                            .Chunk("fmt ", FmtBody(u8))
                            .Chunk("data", Bytes(13, 0x80))
                            .Chunk("acid", AcidBody(0, 62, 3, 80.0f), 30)
                            .Form());
}

void Check(HRESULT hr, const char* what) {
    if (hr == S_OK) return;
    std::fprintf(stderr, "%s failed: %x\n", what, static_cast<unsigned>(hr));
    g_bFailed = true;
}

void WriteProjectSeeds(const std::string& corpus) {
    FakeSynthContext ctx(44100);
    fixture::TempDir dir;
    TestControl c(&ctx);
    IVudivuVizezud& api = c;
    Check(api.SaveProject("e", (corpus + "projectfile/empty.pnd").c_str()), "saving empty.pnd");
    Write(dir.File("l.wav"), fixture::SlicedLoop(64, 4));
    Write(dir.File("p.wav"), fixture::PlainWave(20));
    for (const char* name : {"l.wav", "p.wav"}) {
        LONG index = -1, status = 0;
        Check(api.LoadFileToBin(nullptr, dir.File(name).c_str(), &index, &status), name);
    }
    api.AssignFileToPad(0, 0);
    api.AddGrain(1, 0, 1, kTicksPerBeat);
    api.CopyGrain(0, 2, 1, 0, nullptr);
    api.SetPadTails(1, 1);
    Check(api.SaveProject("s", (corpus + "projectfile/small.pnd").c_str()), "saving small.pnd");
    const Bytes form = fixture::ReadFile(corpus + "projectfile/small.pnd");
    const Bytes text = Utf16("00000000000 ");
    Bytes state = text;
    state.insert(state.end(), form.begin(), form.end());
    Write(corpus + "projectstream/small.state", state);
    Write(corpus + "projectfile/small-state", state);
    Write(corpus + "versiontext/zero", text);
    Write(corpus + "versiontext/negative", Utf16("-12\t"));
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string corpus = std::string(argv[1]) + "/";
    std::error_code ec;
    for (const char* d : {"acidwave", "projectfile", "projectstream", "versiontext"})
        std::filesystem::create_directories(corpus + d, ec);
    WriteWaveSeeds(corpus + "acidwave");
    WriteProjectSeeds(corpus);
    return g_bFailed ? 1 : 0;
}
