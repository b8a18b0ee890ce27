// A song's tempo map: tempo changes at MIDI ticks (960 per quarter note), and
// the conversions between MIDI ticks, milliseconds and samples that follow
// from it. The host context's tempo map and time converter answer from it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class CTempoMap {
public:
    static constexpr int kTicksPerQuarter = 960;
    static constexpr double kDefaultMicrosPerQuarter = 500000.0; // 120 BPM

    struct Change {
        int64_t nTick; // where the tempo begins
        double dMicrosPerQuarter;
        double dStartMs; // song time at nTick
    };

    // A constant 120 BPM until tempo changes are added.
    CTempoMap();

    // Sets the tempo from nTick on (dMicrosPerQuarter > 0; other values are
    // ignored). A change at a tick that already has one replaces it; changes
    // may come in any order.
    void SetTempo(int64_t nTick, double dMicrosPerQuarter);
    void SetTempoBpm(int64_t nTick, double dBpm);

    // A tempo change as a file gives it, before the map places it in time.
    struct TempoEvent {
        int64_t nTick;
        double dMicrosPerQuarter;
    };
    // The same as SetTempo for each event in turn (the last one at a tick
    // wins), in O(n log n): sorted once and recomputed once, so a file with
    // many tempo events loads quickly.
    void SetTempos(std::vector<TempoEvent> events);

    // Real-time changes, for a host that learns its tempo while playing. They
    // never allocate once Reserve has made room: the audio thread may call them.
    void Reserve(size_t nChanges) { m_changes.reserve(std::max<size_t>(nChanges, 2)); }
    // One constant tempo (dBpm > 0; other values are ignored).
    void ResetTempoBpm(double dBpm);
    // The tempo from nTick on is dBpm; later changes are dropped and earlier
    // song time is kept. When the reserved room is used up, the changes before
    // nTick are merged into one segment that ends at the same song time, so
    // conversions from nTick on stay exact.
    void ReplaceTempoFromBpm(int64_t nTick, double dBpm);

    double TicksToMs(double dTicks) const;
    double MsToTicks(double dMs) const;
    double TicksToSamples(double dTicks, double dRate) const {
        return TicksToMs(dTicks) * dRate / 1000.0;
    }
    double SamplesToTicks(double dSamples, double dRate) const {
        return MsToTicks(dSamples * 1000.0 / dRate);
    }

    // The change in effect at nTick (before the first change: the first one).
    const Change& ChangeAt(int64_t nTick) const;
    double BpmAt(int64_t nTick) const { return 60e6 / ChangeAt(nTick).dMicrosPerQuarter; }
    const std::vector<Change>& Changes() const { return m_changes; }

private:
    void Recompute();
    const Change& ChangeAtMs(double dMs) const;

    std::vector<Change> m_changes; // sorted by tick, the first at tick 0
};
