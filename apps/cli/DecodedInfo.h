// What the instrument's loader makes of a file it decodes through the sound
// file decoder rather than the wave reader (AIFF, FLAC, Ogg, MP3, WAVs of more
// than two channels): the file's format, the samples as loaded (folded to
// stereo past two channels), length, loop or one-shot, beats and slices, and
// whether the loader's limits refuse it. Read through the same loader code the
// Loop Bin runs, written as readable text or as JSON.
#pragma once
#include "files/AcidWaveSource.h"
#include <string>

class CDecodedInfo {
public:
    // False when the loader does not decode the file (a wave file the reader
    // takes itself, or no audio at all).
    bool Read(const std::string& strPath);

    // The file carries loop metadata (a loop or a one-shot).
    bool HasLoop() const { return m_file.Source().bAcid != 0; }

    std::string Text() const;
    // strSlicer: a JSON value for the "slicer" field; empty leaves it out.
    std::string Json(const std::string& strSlicer) const;

private:
    std::string SampleName() const;
    double Seconds() const;

    std::string m_strPath;
    std::string m_strFormat; // as the decoder names it
    int m_nFileChannels = 0;
    double m_dTempo = 0.0; // from the file's loop information; 0 when absent
    std::string m_strProblem;
    CAcidWaveSource m_file;
};
