// What one time:Position object says of the host's transport: speed, tempo,
// song frame and musical position, each only when present and usable.
#pragma once
#include <cstdint>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

struct Lv2Position {
    bool bSpeed = false, bBpm = false, bFrame = false, bQuarters = false;
    double dSpeed = 0.0;
    double dBpm = 0.0;      // > 0 and finite when present
    int64_t llFrame = 0;    // >= 0 when present
    double dQuarters = 0.0; // song position in quarter notes, >= 0 when present

    // Fields of `later` replace these; the frame is taken as it stands.
    void Merge(const Lv2Position& later);
};

class CLv2PositionReader {
public:
    // Instantiation thread.
    void Init(const LV2_URID_Map* pMap);
    // Audio thread, never blocks. False when the object is no time:Position.
    bool Read(const LV2_Atom_Object* pObject, Lv2Position* pPosition) const;

private:
    bool Number(const LV2_Atom* p, double* pd) const;

    struct {
        LV2_URID atomFloat, atomDouble, atomLong, atomInt, timePosition, timeSpeed, timeBpm,
            timeFrame, timeBar, timeBarBeat, timeBeat, timeBeatsPerBar, timeBeatUnit;
    } m_urid{};
};
