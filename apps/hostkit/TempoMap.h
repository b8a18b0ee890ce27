// A song's tempo map: tempo changes at MIDI ticks (960 per quarter note), and
// the conversions between MIDI ticks, milliseconds and samples that follow
// from it. The host context's tempo map and time converter answer from it.
#pragma once
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
