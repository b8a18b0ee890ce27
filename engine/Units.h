// Units of the engine's time lines.
#pragma once
#include "platform/com/Types.h"
#include <cmath>

// One beat (a quarter note): 960 MIDI ticks in 16.16 fixed point.
constexpr LONGLONG kTicksPerBeat = 62914560; // 0x3C00000
// The end of an open window.
constexpr LONGLONG kInfiniteTime = 0x7FFFFFFF0000LL;

// Unit codes of the grain and pad accessors.
constexpr int kUnitMidiTicks = 0; // read-only: whole MIDI ticks (tick value >> 16)
constexpr int kUnitTicks = 1;
constexpr int kUnitSamples = 3;

// round(x) = floor(x + 0.5), as everywhere in the engine.
inline LONGLONG RoundHalfUp(double x) { return static_cast<LONGLONG>(std::floor(x + 0.5)); }
