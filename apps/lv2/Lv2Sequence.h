// Walks the events of a host's atom sequence without trusting its layout:
// some hosts hand over a buffer that is only 4-byte aligned, so each event's
// 64-bit time is copied out rather than read in place, and an event whose
// body runs past the sequence ends the walk.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>

class CLv2Sequence {
public:
    struct Event {
        int64_t llFrames;
        const LV2_Atom* pAtom; // 4-byte aligned at least; its body follows it
        const uint8_t* Body() const { return reinterpret_cast<const uint8_t*>(pAtom + 1); }
    };

    // Audio thread, never blocks: calls f(const Event&) for each event in order.
    template <class F> static void ForEach(const LV2_Atom_Sequence* pSequence, F&& f) {
        if (pSequence == nullptr) return;
        const auto* p = reinterpret_cast<const uint8_t*>(pSequence + 1);
        const auto* pEnd =
            reinterpret_cast<const uint8_t*>(&pSequence->body) + pSequence->atom.size;
        while (pEnd - p >= static_cast<std::ptrdiff_t>(sizeof(LV2_Atom_Event))) {
            LV2_Atom_Event header;
            std::memcpy(&header, p, sizeof(header));
            const uint8_t* pBody = p + sizeof(LV2_Atom_Event);
            if (header.body.size > static_cast<size_t>(pEnd - pBody)) return;
            f(Event{header.time.frames, reinterpret_cast<const LV2_Atom*>(pBody) - 1});
            p +=
                lv2_atom_pad_size(static_cast<uint32_t>(sizeof(LV2_Atom_Event)) + header.body.size);
        }
    }
};
