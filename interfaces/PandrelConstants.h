// The numbers every side of the instrument agrees on: the time unit, the pad,
// Loop Bin and output counts, the accessor unit codes and the load statuses.
// Header-only so a host written from the interfaces alone can use them.
#pragma once
#include "platform/com/Types.h"

// One beat (a quarter note): 960 MIDI ticks in 16.16 fixed point.
constexpr LONG kMidiTicksPerBeat = 960;
constexpr LONGLONG kTicksPerBeat = static_cast<LONGLONG>(kMidiTicksPerBeat) << 16; // 62914560
// The end of an open window.
constexpr LONGLONG kInfiniteTime = 0x7FFFFFFF0000LL;

constexpr int kPadCount = 16;
constexpr int kLoopBinCapacity = 16;
// Output pins: "Mix Output", then "Chan 1".."Chan 16", one per pad.
constexpr int kOutputCount = 1 + kPadCount;

// Unit codes of the grain and pad accessors.
constexpr int kUnitMidiTicks = 0; // read-only: whole MIDI ticks (tick value >> 16)
constexpr int kUnitTicks = 1;
constexpr int kUnitSamples = 3;

// Status of a load into the Loop Bin (*pnStatus with an S_FALSE result).
constexpr LONG kLoadStatusBinFull = 1;
constexpr LONG kLoadStatusFormatChanged = 2;

static_assert(kTicksPerBeat == 62914560, "one beat is 960 MIDI ticks in 16.16 fixed point");
static_assert(kOutputCount == 17, "the mix plus one output per pad");
