// Turns a file's frames and loop metadata into a Loop Bin entry: decode to
// float, convert to the output rate, build the overview, cut slices into grains
// with tail buffers, and derive the entry's lengths and tempo. Runs on the
// caller's thread, outside the engine lock (the entry is not shared yet).
#pragma once
#include "engine/GrooveTrack.h"
#include "interfaces/LoopSource.h"

constexpr LONG kOverviewBlocks = 544;
constexpr DWORD kMaxLoopBeats = 64;
constexpr double kMaxLoopSeconds = 128.0;
constexpr double kMaxPlainSeconds = 30.0;

// Loads src into pEntry at the rate of wfxOut. pszPath names the file (its
// last component becomes the entry's name). On failure the entry is left
// empty and the result is E_UNEXPECTED (beyond the limits, no grain),
// E_FAIL (a format the decoder cannot take) or E_OUTOFMEMORY.
HRESULT LoadLoopIntoEntry(CGrooveTrack* pEntry, const LoopSource& src, const WAVEFORMATEX& wfxOut,
                          LONG nEntryIndex, const wchar_t* pszPath);

// Decodes nFrames interleaved frames of format wfx (8-bit unsigned, 16-, 24-,
// 32-bit integer PCM; 32- or 64-bit float) into pWave, which is allocated
// here. Non-finite float samples become 0.
HRESULT DecodeFrames(const WAVEFORMATEX& wfx, const uint8_t* pData, DWORD nFrames, CWaveMem* pWave);

// Beats given to a plain file: the power of two nearest to its length at
// 120 BPM, at least one.
LONGLONG PlainFileBeats(double dSeconds);
