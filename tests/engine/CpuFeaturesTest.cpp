// Processor identification, checked against the compiler's own detection
// (__builtin_cpu_supports) and the kernel's /proc/cpuinfo.
#include "engine/CpuFeatures.h"
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

// The "flags" line of the first processor, padded with spaces; empty if unreadable.
std::string CpuInfoFlags() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("flags", 0) == 0) return " " + line.substr(line.find(':') + 1) + " ";
    return {};
}

TEST(CpuFeatures, DetectedOnce) {
    const CpuFeatures& a = GetCpuFeatures();
    EXPECT_EQ(&a, &GetCpuFeatures());
}

TEST(CpuFeatures, Vendor) {
    const CpuFeatures& f = GetCpuFeatures();
    EXPECT_EQ(std::strlen(f.szVendor), 12u);
    __builtin_cpu_init();
    if (__builtin_cpu_is("intel")) {
        EXPECT_STREQ(f.szVendor, "GenuineIntel");
    }
    if (__builtin_cpu_is("amd")) {
        EXPECT_STREQ(f.szVendor, "AuthenticAMD");
    }
}

TEST(CpuFeatures, FlagsMatchTheCompilersDetection) {
    const CpuFeatures& f = GetCpuFeatures();
    __builtin_cpu_init();
    EXPECT_TRUE(f.bSSE); // every x86-64 processor
    EXPECT_TRUE(f.bSSE2);
    EXPECT_EQ(f.bSSE, __builtin_cpu_supports("sse") != 0);
    EXPECT_EQ(f.bSSE2, __builtin_cpu_supports("sse2") != 0);
    EXPECT_EQ(f.bSSE3, __builtin_cpu_supports("sse3") != 0);
    EXPECT_EQ(f.bSSSE3, __builtin_cpu_supports("ssse3") != 0);
    EXPECT_EQ(f.bSSE41, __builtin_cpu_supports("sse4.1") != 0);
    EXPECT_EQ(f.bSSE42, __builtin_cpu_supports("sse4.2") != 0);
    // libgcc, too, counts AVX only when the OS saves the YMM state.
    EXPECT_EQ(f.bAVX, __builtin_cpu_supports("avx") != 0);
    EXPECT_EQ(f.bAVX2, __builtin_cpu_supports("avx2") != 0);
    EXPECT_EQ(f.bAVX512F, __builtin_cpu_supports("avx512f") != 0);
    EXPECT_TRUE(f.bAVX || !f.bAVX2) << "AVX2 without the YMM state";
    EXPECT_TRUE(f.bAVX || !f.bAVX512F) << "AVX-512F without the YMM state";
}

TEST(CpuFeatures, AmdExtendedBitsOnlyForAmd) {
    const CpuFeatures& f = GetCpuFeatures();
    if (std::strcmp(f.szVendor, "AuthenticAMD") != 0) {
        EXPECT_FALSE(f.b3DNow);
        EXPECT_FALSE(f.bMMXExt);
        return;
    }
    const std::string flags = CpuInfoFlags();
    if (flags.empty()) GTEST_SKIP() << "no /proc/cpuinfo";
    EXPECT_EQ(f.b3DNow, flags.find(" 3dnow ") != std::string::npos);
    EXPECT_EQ(f.bMMXExt, flags.find(" mmxext ") != std::string::npos);
}

} // namespace
