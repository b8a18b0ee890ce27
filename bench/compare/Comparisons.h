// The measurements of the comparison, each adding its rows to the table. Every
// figure is the best of several repetitions in CPU time of this thread, with
// both sides measured in the same run; nothing inside a timed part reads or
// writes a file.
#pragma once
#include "bench/compare/CompareLoop.h"
#include "bench/compare/CompareTable.h"
#include <string>

// Stretching the loop to 1.25x its length, plain and +3 semitones.
void CompareStretch(const CCompareLoop& loop, CCompareTable& table);
// The engine's side of it alone, printed: a target for a profiler.
void ProfileStretch(const CCompareLoop& loop);
// Rate conversion 44.1 -> 48 kHz.
void CompareResample(const CCompareLoop& loop, CCompareTable& table);
// Loading the loop file into a 48 kHz engine from memory.
void CompareLoad(const CCompareLoop& loop, CCompareTable& table);
// The stereo accumulate with gains in L1-sized runs.
void CompareKernels(CCompareTable& table);
// Voices against DSP load; pszPlotData receives "voices load%" lines.
void ComparePolyphony(CCompareTable& table, const char* pszPlotData);
// The whole instrument through its LV2 bundle against two LV2 samplers.
void CompareLv2(const std::string& strBundle, CCompareTable& table);
// Pandrel's idle blocks alone, printed: a target for a profiler.
void ProfileLv2Idle(const std::string& strBundle);
// Pandrel's side of the project load alone, for a profiler.
void ProfilePersistLoad(const CCompareLoop& loop, const std::string& strLibrary);
// Saving and loading a 16-entry project against a plain copy of its bytes.
void ComparePersistence(const CCompareLoop& loop, const std::string& strLibrary,
                        CCompareTable& table);
