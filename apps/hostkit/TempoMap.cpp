#include "apps/hostkit/TempoMap.h"
#include <algorithm>
#include <cmath>

CTempoMap::CTempoMap() { m_changes.push_back({0, kDefaultMicrosPerQuarter, 0.0}); }

void CTempoMap::SetTempo(int64_t nTick, double dMicrosPerQuarter) {
    if (!(dMicrosPerQuarter > 0.0) || !std::isfinite(dMicrosPerQuarter)) return;
    nTick = std::max<int64_t>(nTick, 0);
    auto it = std::lower_bound(m_changes.begin(), m_changes.end(), nTick,
                               [](const Change& c, int64_t t) { return c.nTick < t; });
    if (it != m_changes.end() && it->nTick == nTick)
        it->dMicrosPerQuarter = dMicrosPerQuarter;
    else
        m_changes.insert(it, {nTick, dMicrosPerQuarter, 0.0});
    Recompute();
}

void CTempoMap::SetTempos(std::vector<TempoEvent> events) {
    std::erase_if(events, [](const TempoEvent& e) {
        return !(e.dMicrosPerQuarter > 0.0) || !std::isfinite(e.dMicrosPerQuarter);
    });
    if (events.empty()) return;
    // The changes already in the map come first, as if they had been set earlier.
    std::vector<TempoEvent> all;
    all.reserve(m_changes.size() + events.size());
    for (const Change& c : m_changes) all.push_back({c.nTick, c.dMicrosPerQuarter});
    for (const TempoEvent& e : events)
        all.push_back({std::max<int64_t>(e.nTick, 0), e.dMicrosPerQuarter});
    std::stable_sort(all.begin(), all.end(),
                     [](const TempoEvent& a, const TempoEvent& b) { return a.nTick < b.nTick; });
    m_changes.clear();
    for (size_t i = 0; i < all.size(); ++i) {
        if (i + 1 < all.size() && all[i + 1].nTick == all[i].nTick) continue; // a later one wins
        m_changes.push_back({all[i].nTick, all[i].dMicrosPerQuarter, 0.0});
    }
    Recompute();
}

void CTempoMap::SetTempoBpm(int64_t nTick, double dBpm) {
    if (dBpm > 0.0) SetTempo(nTick, 60e6 / dBpm);
}

void CTempoMap::ResetTempoBpm(double dBpm) {
    if (!(dBpm > 0.0) || !std::isfinite(dBpm)) return;
    m_changes.clear();
    m_changes.push_back({0, 60e6 / dBpm, 0.0});
}

void CTempoMap::ReplaceTempoFromBpm(int64_t nTick, double dBpm) {
    if (!(dBpm > 0.0) || !std::isfinite(dBpm)) return;
    nTick = std::max<int64_t>(nTick, 0);
    const double dMicros = 60e6 / dBpm;
    const double dStartMs = TicksToMs(static_cast<double>(nTick));
    auto it = std::lower_bound(m_changes.begin(), m_changes.end(), nTick,
                               [](const Change& c, int64_t t) { return c.nTick < t; });
    m_changes.erase(it, m_changes.end());
    if (m_changes.size() == m_changes.capacity() && m_changes.size() > 1) {
        // Full: one average tempo from 0 to nTick keeps nTick's song time.
        m_changes.front().dMicrosPerQuarter =
            dStartMs * 1000.0 * kTicksPerQuarter / static_cast<double>(nTick);
        m_changes.resize(1);
    }
    if (m_changes.empty())
        m_changes.push_back({0, dMicros, 0.0});
    else
        m_changes.push_back({nTick, dMicros, 0.0});
    Recompute();
}

void CTempoMap::Recompute() {
    // Song time is summed from the start so that each change's start time is
    // exact and no error accumulates from one lookup to the next.
    double dMs = 0.0;
    for (size_t i = 0; i < m_changes.size(); ++i) {
        if (i > 0) {
            const Change& prev = m_changes[i - 1];
            dMs += static_cast<double>(m_changes[i].nTick - prev.nTick) * prev.dMicrosPerQuarter /
                   (1000.0 * kTicksPerQuarter);
        }
        m_changes[i].dStartMs = dMs;
    }
}

const CTempoMap::Change& CTempoMap::ChangeAt(int64_t nTick) const {
    auto it = std::upper_bound(m_changes.begin(), m_changes.end(), nTick,
                               [](int64_t t, const Change& c) { return t < c.nTick; });
    return it == m_changes.begin() ? m_changes.front() : *(it - 1);
}

const CTempoMap::Change& CTempoMap::ChangeAtMs(double dMs) const {
    auto it = std::upper_bound(m_changes.begin(), m_changes.end(), dMs,
                               [](double t, const Change& c) { return t < c.dStartMs; });
    return it == m_changes.begin() ? m_changes.front() : *(it - 1);
}

double CTempoMap::TicksToMs(double dTicks) const {
    // Times before the song's start run at the first tempo.
    const Change& c = ChangeAt(static_cast<int64_t>(std::floor(dTicks)));
    return c.dStartMs + (dTicks - static_cast<double>(c.nTick)) * c.dMicrosPerQuarter /
                            (1000.0 * kTicksPerQuarter);
}

double CTempoMap::MsToTicks(double dMs) const {
    const Change& c = ChangeAtMs(dMs);
    return static_cast<double>(c.nTick) +
           (dMs - c.dStartMs) * (1000.0 * kTicksPerQuarter) / c.dMicrosPerQuarter;
}
