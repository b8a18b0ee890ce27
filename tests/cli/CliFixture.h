// The fixture of the command-line tests: runs the `pandrel` executable as a
// user would, in a folder of its own, and builds the small files it is fed.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

struct Result {
    int nStatus = -1;
    std::string strOut;
    std::string strErr;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pandrel-cli-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        // Under LeakSanitizer the command's drawing leaves fontconfig's and
        // cairo's process-wide caches; full stacks let the suppressions match.
        setenv("LSAN_OPTIONS",
               "suppressions=" PANDREL_SOURCE_DIR "/tests/lsan.supp:fast_unwind_on_malloc=0", 1);
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    // strPrefix comes before the program on the command line (a variable, a wrapper).
    Result Run(const std::string& args, const std::string& strPrefix = "") const {
        const std::string out = m_dir + "/.stdout";
        const std::string err = m_dir + "/.stderr";
        const std::string cmd = "cd '" + m_dir + "' && " + strPrefix + " '" PANDREL_CLI "' " +
                                args + " >'" + out + "' 2>'" + err + "'";
        Result r;
        const int rc = std::system(cmd.c_str());
        r.nStatus = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        r.strOut = Slurp(out);
        r.strErr = Slurp(err);
        std::remove(out.c_str());
        std::remove(err.c_str());
        return r;
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* d = opendir(m_dir.c_str())) {
            while (dirent* e = readdir(d))
                if (e->d_name[0] != '.') names.push_back(e->d_name);
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_dir + "/" + name, std::ios::binary) << bytes;
    }
    // The prefix that runs the command without the superuser's right to read
    // and write every file, so that permissions count; empty when the tests
    // run as an ordinary user already. The test folder becomes readable to all.
    std::string Unprivileged() const {
        if (geteuid() != 0) return "";
        chmod(m_dir.c_str(), 0755);
        return "setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
    bool Exists(const std::string& name) const {
        struct stat st {};
        return lstat((m_dir + "/" + name).c_str(), &st) == 0;
    }
    // One line on stderr, starting "pandrel: ".
    static void ExpectOneLineError(const Result& r, const std::string& strPart) {
        EXPECT_NE(r.nStatus, 0) << strPart << "\n" << r.strOut;
        EXPECT_EQ(r.strErr.rfind("pandrel: ", 0), 0u) << r.strErr;
        EXPECT_EQ(r.strErr.find('\n'), r.strErr.size() - 1) << r.strErr;
        EXPECT_NE(r.strErr.find(strPart), std::string::npos) << r.strErr;
    }

    std::string m_dir;
};

inline std::string Le32(uint32_t x) {
    return std::string{char(x), char(x >> 8), char(x >> 16), char(x >> 24)};
}
inline std::string Chunk(const std::string& id, const std::string& body) {
    return id + Le32(static_cast<uint32_t>(body.size())) + body +
           (body.size() % 2 ? std::string(1, '\0') : "");
}
// A 16-bit mono PCM file of 4 frames at 8000 Hz, with the given chunks after the data.
inline std::string Wave(const std::string& trailer) {
    const std::string fmt = std::string("\x01\x00\x01\x00", 4) + Le32(8000) + Le32(16000) +
                            std::string("\x02\x00\x10\x00", 4);
    const std::string body =
        "WAVE" + Chunk("fmt ", fmt) + Chunk("data", std::string(8, '\x10')) + trailer;
    return "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body;
}
inline std::string Le16(uint32_t x) { return std::string{char(x), char(x >> 8)}; }
// A sine of nFrames stereo frames at 44100 Hz with the peak given, as 16-bit
// PCM; nTag and nBits other than 1 and 16 only label the same bytes (enough
// for a file that is refused by its encoding).
inline std::string SineWave(uint32_t nFrames, double dPeak, const std::string& trailer = "",
                            uint16_t nTag = 1, uint16_t nBits = 16) {
    const uint32_t nRate = 44100;
    const std::string fmt = Le16(nTag) + Le16(2) + Le32(nRate) + Le32(nRate * 4) + Le16(4) +
                            Le16(nBits) + (nTag == 1 ? "" : Le16(0));
    std::string data;
    data.reserve(nFrames * 4);
    for (uint32_t i = 0; i < nFrames; ++i) {
        const auto v = static_cast<int16_t>(32767.0 * dPeak * std::sin(i * 0.0626));
        data += Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v));
    }
    const std::string body = "WAVE" + Chunk("fmt ", fmt) + Chunk("data", data) + trailer;
    return "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body;
}
// The loop metadata chunk: a loop (or a one-shot) with its root note, beats and tempo.
inline std::string AcidChunk(int nRootNote, uint32_t nBeats, bool bLoop = true,
                             float fTempo = 120.0f) {
    uint32_t tempoBits = 0;
    std::memcpy(&tempoBits, &fTempo, 4);
    const uint32_t flags = (bLoop ? 0u : 1u) | 2u; // root note valid
    return Chunk("acid", Le32(flags) + Le16(static_cast<uint16_t>(nRootNote)) + Le16(0) + Le32(0) +
                             Le32(nBeats) + Le16(4) + Le16(4) + Le32(tempoBits));
}
// A Standard MIDI File of one track, 96 ticks a beat; the track's events
// without the end of track.
inline std::string MidiFile(const std::string& events) {
    const std::string track = events + std::string("\0\xff\x2f\0", 4);
    const auto n = static_cast<uint32_t>(track.size());
    return std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk", 18) +
           std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n)} + track;
}
