// The temporary files being written, kept in a fixed table that a signal
// handler can read without allocating: on SIGINT, SIGTERM or SIGHUP they are
// removed, and the process then ends as the signal asks.
#pragma once

class CTempFiles {
public:
    static constexpr int kSlots = 64;

    // Notes a temporary file's path: the slot, or -1 when the table is full
    // or the path too long (that file is then left behind by a signal).
    static int Add(const char* pszPath);
    // Forgets the slot (-1: nothing).
    static void Remove(int nSlot);
    // Installs the handler on SIGINT, SIGTERM and SIGHUP. For programs, not
    // for libraries loaded into a host.
    static void RemoveOnSignals();
};
