// Per-source (host track) settings that dispatch applies to every event of a
// source: forced channel, mute bits, velocity and key offsets. A fixed table
// sorted by source index, allocated once, so that dispatch never allocates.
// Used under the object's lock.
#pragma once
#include "platform/com/Types.h"
#include <cstdint>

constexpr int kSourceStateCapacity = 1024;
constexpr BYTE kNoForcedChannel = 0xFF;

struct SourceState {
    BYTE byForcedChannel = kNoForcedChannel;
    BYTE byMuteBits = 0;
    int8_t nVelocityOffsetA = 0;
    int8_t nVelocityOffsetB = 0;
    int8_t nKeyOffsetA = 0;
    int8_t nKeyOffsetB = 0;
};

class CSourceStateTable {
public:
    explicit CSourceStateTable(int nCapacity = kSourceStateCapacity);
    ~CSourceStateTable();
    CSourceStateTable(const CSourceStateTable&) = delete;
    CSourceStateTable& operator=(const CSourceStateTable&) = delete;

    bool IsValid() const { return m_pEntries != nullptr; }
    int GetCount() const { return m_nCount; }
    // The source's state, or null when it has none.
    SourceState* Find(LONG lSource);
    // The source's state, created with the defaults when first seen; null
    // when the table is full (the caller then works with the defaults).
    SourceState* FindOrCreate(LONG lSource);
    void RemoveAll() { m_nCount = 0; }

private:
    struct Entry {
        LONG lSource;
        SourceState state;
    };
    int LowerBound(LONG lSource) const;

    Entry* m_pEntries;
    int m_nCapacity;
    int m_nCount = 0;
};
