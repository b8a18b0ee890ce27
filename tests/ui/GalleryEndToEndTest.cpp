// The gallery on a real X display (Xvfb), clicked and dragged with xdotool,
// checked in screenshots taken with xwd. Skips when those tools are missing.
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
bool OnPath(const std::string& tool) {
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "";
    size_t pos = 0;
    while (pos <= p.size()) {
        size_t colon = p.find(':', pos);
        std::string dir =
            p.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
        if (colon == std::string::npos) break;
        pos = colon + 1;
    }
    return false;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& display, int keepFd = -1) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepFd) close(fd);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status;
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
}

// A screenshot read from xwd's format: a big-endian header, then pixels.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb; // 0x00RRGGBB
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

bool ReadXwd(const std::string& path, Shot& shot) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    if (d.size() < 100) return false;
    auto u32 = [&](size_t i) {
        return uint32_t(d[i * 4]) << 24 | uint32_t(d[i * 4 + 1]) << 16 |
               uint32_t(d[i * 4 + 2]) << 8 | d[i * 4 + 3];
    };
    uint32_t headerSize = u32(0), width = u32(4), height = u32(5), byteOrder = u32(7),
             bpp = u32(11), bytesPerLine = u32(12), redMask = u32(14), greenMask = u32(15),
             blueMask = u32(16), ncolors = u32(19);
    if (bpp != 32) return false;
    size_t offset = headerSize + ncolors * 12;
    if (d.size() < offset + size_t(bytesPerLine) * height) return false;
    auto channel = [](uint32_t px, uint32_t mask) {
        int shift = 0;
        while (mask && !(mask & 1)) mask >>= 1, ++shift;
        return (px >> shift) & 0xFF;
    };
    shot.width = static_cast<int>(width);
    shot.height = static_cast<int>(height);
    shot.rgb.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = &d[offset + size_t(y) * bytesPerLine + x * 4];
            uint32_t px = byteOrder == 0 ? (p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24)
                                         : (uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]);
            shot.rgb[size_t(y) * width + x] =
                channel(px, redMask) << 16 | channel(px, greenMask) << 8 | channel(px, blueMask);
        }
    return true;
}

// Does the screen at (x, y) show the picture's region at (sx, 0)?
bool Shows(const Shot& s, int x, int y, UINT id, int sx, int w, int h) {
    const CBitmap* b = CSkin::Get(id);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            COLORREF c = b->GetPixel(sx + i, j);
            uint32_t want = uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
            if (s.At(x + i, y + j) != want) return false;
        }
    return true;
}

class GalleryOnX : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "xwd"})
            if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        m_xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "640x600x24",
                        "-nolisten", "tcp"},
                       "", fds[1]);
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        m_display = ":" + number;
        m_gallery = Spawn({PANDREL_GALLERY_EXE}, m_display);
        for (int i = 0; i < 200 && !Run("xdotool search --name 'skin gallery' >/dev/null 2>&1");
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    void TearDown() override {
        Stop(m_gallery);
        Stop(m_xvfb);
        std::remove(Path().c_str());
    }
    bool Run(const std::string& cmd) {
        return std::system(("DISPLAY=" + m_display + " " + cmd).c_str()) == 0;
    }
    std::string Path() const {
        return ::testing::TempDir() + "pandrel-gallery-" + std::to_string(getpid()) + ".xwd";
    }
    Shot Screenshot() {
        Shot s;
        EXPECT_TRUE(Run("xwd -root -silent > '" + Path() + "'"));
        EXPECT_TRUE(ReadXwd(Path(), s));
        return s;
    }
    static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    // A screenshot once the test holds, or the last one after 10 s.
    template <class F> Shot ScreenshotWhen(F ok) {
        Shot s;
        for (int i = 0; i < 100; ++i, Pause(100))
            if (s = Screenshot(), ok(s)) break;
        return s;
    }
    int PointerY() {
        FILE* f = popen(("DISPLAY=" + m_display + " xdotool getmouselocation").c_str(), "r");
        if (!f) return -1;
        int x = -1, y = -1;
        if (std::fscanf(f, "x:%d y:%d", &x, &y) != 2) y = -1;
        pclose(f);
        return y;
    }

    pid_t m_xvfb = 0, m_gallery = 0;
    std::string m_display;
};
} // namespace

TEST_F(GalleryOnX, AClickSwitchesAToggleAndADragTurnsAKnob) {
    // Pad 1's mute toggle at (157, 44) starts switched on; its volume knob at
    // (185, 6) starts at 0.
    Shot before =
        ScreenshotWhen([](const Shot& s) { return Shows(s, 157, 44, IDB_MUTE_ON, 0, 16, 15); });
    ASSERT_GE(before.width, 600);
    EXPECT_TRUE(Shows(before, 157, 44, IDB_MUTE_ON, 0, 16, 15));
    EXPECT_TRUE(Shows(before, 185, 6, IDB_KNOB, 0, 17, 17));

    ASSERT_TRUE(Run("xdotool mousemove 165 51 click 1"));
    // Four drags of 10 pixels upward: the knob puts the pointer back after each.
    ASSERT_TRUE(Run("xdotool mousemove 193 14 mousedown 1"));
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(Run("xdotool mousemove 193 4"));
        // Wait for the knob to put the pointer back before the next step.
        for (int k = 0; k < 250 && PointerY() != 14; ++k) Pause(20);
        ASSERT_EQ(PointerY(), 14);
    }
    ASSERT_TRUE(Run("xdotool mouseup 1"));

    Shot after =
        ScreenshotWhen([](const Shot& s) { return Shows(s, 185, 6, IDB_KNOB, 25 * 17, 17, 17); });
    EXPECT_TRUE(Shows(after, 157, 44, IDB_MUTE_OFF, 0, 16, 15));
    EXPECT_TRUE(Shows(after, 185, 6, IDB_KNOB, 25 * 17, 17, 17)); // value 40: frame 25
}
