#include "engine/CpuFeatures.h"
#include <cpuid.h>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned kEcxSSE3 = 1u << 0;
constexpr unsigned kEcxSSSE3 = 1u << 9;
constexpr unsigned kEcxSSE41 = 1u << 19;
constexpr unsigned kEcxSSE42 = 1u << 20;
constexpr unsigned kEcxOSXSAVE = 1u << 27;
constexpr unsigned kEcxAVX = 1u << 28;
constexpr unsigned kEbx7AVX2 = 1u << 5;
constexpr unsigned kEbx7AVX512F = 1u << 16;
constexpr unsigned kEdxSSE = 1u << 25;
constexpr unsigned kEdxSSE2 = 1u << 26;
constexpr unsigned kExtEdxMMXExt = 1u << 22;
constexpr unsigned kExtEdx3DNow = 1u << 31;
constexpr uint64_t kXcrSseAvxState = 0x6;  // XMM and YMM state enabled by the OS
constexpr uint64_t kXcrAvx512State = 0xE0; // opmask, upper ZMM halves, ZMM16-31

// XGETBV by opcode: the build has no -mxsave, so the intrinsic is unavailable.
uint64_t ReadXcr0() {
    uint32_t lo = 0, hi = 0;
    __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<uint64_t>(hi) << 32) | lo;
}

CpuFeatures Detect() {
    CpuFeatures f;
    unsigned maxLeaf = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(0, &maxLeaf, &ebx, &ecx, &edx)) return f;
    std::memcpy(f.szVendor + 0, &ebx, 4);
    std::memcpy(f.szVendor + 4, &edx, 4);
    std::memcpy(f.szVendor + 8, &ecx, 4);
    f.szVendor[12] = '\0';

    unsigned eax = 0;
    if (maxLeaf >= 1 && __get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        f.bSSE = (edx & kEdxSSE) != 0;
        f.bSSE2 = (edx & kEdxSSE2) != 0;
        f.bSSE3 = (ecx & kEcxSSE3) != 0;
        f.bSSSE3 = (ecx & kEcxSSSE3) != 0;
        f.bSSE41 = (ecx & kEcxSSE41) != 0;
        f.bSSE42 = (ecx & kEcxSSE42) != 0;
        // XGETBV is only legal once the OS has set CR4.OSXSAVE.
        const bool osxsave = (ecx & kEcxOSXSAVE) != 0;
        f.bAVX =
            (ecx & kEcxAVX) != 0 && osxsave && (ReadXcr0() & kXcrSseAvxState) == kXcrSseAvxState;
    }
    // AVX2 uses the YMM state too: only with the OS support AVX needs.
    unsigned eax7 = 0;
    if (f.bAVX && maxLeaf >= 7 && __get_cpuid_count(7, 0, &eax7, &ebx, &ecx, &edx)) {
        f.bAVX2 = (ebx & kEbx7AVX2) != 0;
        f.bAVX512F = (ebx & kEbx7AVX512F) != 0 && (ReadXcr0() & kXcrAvx512State) == kXcrAvx512State;
    }
    if (std::strcmp(f.szVendor, "AuthenticAMD") == 0 &&
        __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx)) {
        f.b3DNow = (edx & kExtEdx3DNow) != 0;
        f.bMMXExt = (edx & kExtEdxMMXExt) != 0;
    }
    return f;
}

} // namespace

const CpuFeatures& GetCpuFeatures() {
    static const CpuFeatures s_features = Detect();
    return s_features;
}
