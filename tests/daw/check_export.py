#!/usr/bin/env python3
"""Checks an export of tests/daw/session.lua's notes: silence before each note,
sound within 20 ms after it, and silence after the last note's release.

Usage: check_export.py OUT.wav
The notes (120 BPM, one beat 0.5 s) start at beats 1, 3, 5, 8, 18 and 20; each
follows a silent stretch (the earlier notes are gated one-shots or loops that
have ended), and everything has ended by beat 22 plus the 20 ms release.
"""
import struct
import sys
import wave

ONSET_BEATS = [1, 3, 5, 8, 18, 20]
END_BEAT = 22
SECONDS_PER_BEAT = 0.5
SILENT = 10 ** (-70 / 20)   # -70 dBFS
SOUNDING = 10 ** (-30 / 20)  # -30 dBFS


def read(path):
    with wave.open(path, "rb") as w:
        rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
        raw = w.readframes(w.getnframes())
    scale = float(1 << (8 * width - 1))
    if width == 3:
        values = [int.from_bytes(raw[i:i + 3], "little", signed=True) for i in range(0, len(raw), 3)]
    elif width == 2:
        values = list(struct.unpack("<%dh" % (len(raw) // 2), raw))
    else:
        values = list(struct.unpack("<%di" % (len(raw) // 4), raw))
    # The louder channel of each frame.
    frames = [max(abs(values[f * channels + c]) for c in range(channels)) / scale
              for f in range(len(values) // channels)]
    return rate, frames


def peak(frames, a, b):
    a, b = max(a, 0), min(b, len(frames))
    return max(frames[a:b], default=0.0)


def main():
    rate, frames = read(sys.argv[1])
    problems = []
    for beat in ONSET_BEATS:
        at = int(round(beat * SECONDS_PER_BEAT * rate))
        before = peak(frames, at - int(0.1 * rate), at)
        after = peak(frames, at, at + int(0.02 * rate))
        first = next((f for f in range(at, min(at + rate, len(frames))) if frames[f] > 0), None)
        print(f"beat {beat:2}: before {before:.6f}, after {after:.4f}, first sound at "
              f"{'none' if first is None else f'+{first - at} frames'}")
        if before > SILENT:
            problems.append(f"beat {beat}: not silent before the note ({before:.6f})")
        if after < SOUNDING:
            problems.append(f"beat {beat}: no sound within 20 ms ({after:.6f})")
    tail_from = int(round((END_BEAT * SECONDS_PER_BEAT + 0.05) * rate))
    tail = peak(frames, tail_from, len(frames))
    print(f"after the last release: peak {tail:.6f} over {len(frames) - tail_from} frames")
    if len(frames) <= tail_from:
        problems.append("the export ends before the last release")
    elif tail > SILENT:
        problems.append(f"sound after the last release ({tail:.6f})")
    for p in problems:
        print("check_export: " + p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
