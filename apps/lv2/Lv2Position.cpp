#include "apps/lv2/Lv2Position.h"
#include <cmath>
#include <cstring>
#include <lv2/atom/util.h>
#include <lv2/time/time.h>

void Lv2Position::Merge(const Lv2Position& later) {
    if (later.bSpeed) bSpeed = true, dSpeed = later.dSpeed;
    if (later.bBpm) bBpm = true, dBpm = later.dBpm;
    if (later.bFrame) bFrame = true, llFrame = later.llFrame;
    if (later.bQuarters) bQuarters = true, dQuarters = later.dQuarters;
}

void CLv2PositionReader::Init(const LV2_URID_Map* pMap) {
    auto map = [pMap](const char* psz) { return pMap->map(pMap->handle, psz); };
    m_urid = {map(LV2_ATOM__Float),
              map(LV2_ATOM__Double),
              map(LV2_ATOM__Long),
              map(LV2_ATOM__Int),
              map(LV2_TIME__Position),
              map(LV2_TIME__speed),
              map(LV2_TIME__beatsPerMinute),
              map(LV2_TIME__frame),
              map(LV2_TIME__bar),
              map(LV2_TIME__barBeat),
              map(LV2_TIME__beat),
              map(LV2_TIME__beatsPerBar),
              map(LV2_TIME__beatUnit)};
}

bool CLv2PositionReader::Number(const LV2_Atom* p, double* pd) const {
    if (p == nullptr) return false;
    // Copied out: the host's buffer need not be aligned for 64-bit values.
    const auto* pBody = reinterpret_cast<const uint8_t*>(p + 1);
    auto read = [&](auto value) {
        if (p->size < sizeof(value)) return false;
        std::memcpy(&value, pBody, sizeof(value));
        *pd = static_cast<double>(value);
        return true;
    };
    bool bRead = false;
    if (p->type == m_urid.atomFloat)
        bRead = read(float{});
    else if (p->type == m_urid.atomDouble)
        bRead = read(double{});
    else if (p->type == m_urid.atomLong)
        bRead = read(int64_t{});
    else if (p->type == m_urid.atomInt)
        bRead = read(int32_t{});
    return bRead && std::isfinite(*pd);
}

bool CLv2PositionReader::Read(const LV2_Atom_Object* pObject, Lv2Position* pPosition) const {
    if (pObject->body.otype != m_urid.timePosition) return false;
    const LV2_Atom *pSpeed = nullptr, *pBpm = nullptr, *pFrame = nullptr, *pBar = nullptr,
                   *pBarBeat = nullptr, *pBeat = nullptr, *pBeatsPerBar = nullptr,
                   *pBeatUnit = nullptr;
    lv2_atom_object_get(pObject, m_urid.timeSpeed, &pSpeed, m_urid.timeBpm, &pBpm, m_urid.timeFrame,
                        &pFrame, m_urid.timeBar, &pBar, m_urid.timeBarBeat, &pBarBeat,
                        m_urid.timeBeat, &pBeat, m_urid.timeBeatsPerBar, &pBeatsPerBar,
                        m_urid.timeBeatUnit, &pBeatUnit, 0);
    Lv2Position pos;
    pos.bSpeed = Number(pSpeed, &pos.dSpeed);
    double d = 0.0;
    if (Number(pBpm, &d) && d > 0.0) pos.bBpm = true, pos.dBpm = d;
    // Frames past what a song can reach (about 6000 years at 48 kHz) are refused.
    if (Number(pFrame, &d) && d >= 0.0 && d < 9e15)
        pos.bFrame = true, pos.llFrame = static_cast<int64_t>(d);
    // The musical position counts beats of 1/beatUnit notes: from the bar and
    // the beat in it when both are given, else from the beat count.
    double dBar = 0.0, dBarBeat = 0.0, dPerBar = 0.0, dUnit = 4.0, dBeats = -1.0;
    if (Number(pBar, &dBar) && Number(pBarBeat, &dBarBeat) && Number(pBeatsPerBar, &dPerBar) &&
        dPerBar > 0.0)
        dBeats = dBar * dPerBar + dBarBeat;
    else if (!Number(pBeat, &dBeats))
        dBeats = -1.0;
    if (!Number(pBeatUnit, &dUnit) || dUnit <= 0.0) dUnit = 4.0;
    const double dQuarters = dBeats * 4.0 / dUnit;
    if (dBeats >= 0.0 && std::isfinite(dQuarters) && dQuarters < 1e12)
        pos.bQuarters = true, pos.dQuarters = dQuarters;
    *pPosition = pos;
    return true;
}
