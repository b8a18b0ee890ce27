// Processor identification for the kernels: the vendor and the instruction-set
// extensions, detected once on first use into process-wide flags.
#pragma once

struct CpuFeatures {
    char szVendor[13] = {}; // "GenuineIntel", "AuthenticAMD", ...; empty without CPUID
    bool bSSE = false;
    bool bSSE2 = false;
    bool bSSE3 = false;
    bool bSSSE3 = false;
    bool bSSE41 = false;
    bool bSSE42 = false;
    bool bAVX = false;     // processor bits and the OS saves the YMM state (XGETBV)
    bool bAVX2 = false;    // CPUID 7.0 EBX bit 5, and bAVX
    bool bAVX512F = false; // CPUID 7.0 EBX bit 16, and the OS saves the opmask and ZMM state
    bool b3DNow = false;   // "AuthenticAMD" only: CPUID 0x80000001 EDX bit 31
    bool bMMXExt = false;  // "AuthenticAMD" only: CPUID 0x80000001 EDX bit 22
};

// The features of this processor. Any thread; the first call detects them
// (thread-safe, allocation-free), later calls only read. Takes no lock of the
// engine.
const CpuFeatures& GetCpuFeatures();
