// What the wave reader finds in one file (format, length, loop metadata,
// slice segments, INFO tags), written as readable text or as JSON.
#pragma once
#include "files/AcidWave.h"
#include <string>

class CWaveInfo {
public:
    // Opens and reads the file's headers; throws CCliError naming the file
    // and the cause when the reader refuses it.
    void Read(const std::string& strPath);

    // The file has an `acid` chunk (a loop or a one-shot).
    bool HasAcid() const { return m_wave.HasAcid() != 0; }

    std::string Text() const;
    // strSlicer: a JSON value for the "slicer" field; empty leaves it out.
    std::string Json(const std::string& strSlicer = {}) const;

private:
    std::string FormatName() const;
    std::string SliceUnitName() const;
    double Seconds() const;

    std::string m_strPath;
    CAcidWave m_wave;
    int m_nRootNote = -1; // the loop metadata's MIDI key; -1 without it
};

class CAcidWaveSource;
// Why the loader's limits refuse a file it has read: a file with loop metadata
// plays as a sliced loop (at most 64 beats and 128 s), any other as one grain
// (at most 30 s). Empty when they do not.
std::string LoaderLimitProblem(const CAcidWaveSource& file);
// The reader's error code as a cause a user understands.
std::string WaveErrorCause(const std::string& strPath, MMRESULT nError);
// Why the instrument would refuse the file as a loop: the file system's
// answer, the reader's, an encoding it does not decode, or a length past its
// limits. Empty when none of these is found.
std::string LoopProblem(const std::string& strPath);
