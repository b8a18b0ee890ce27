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

    std::string Text() const;
    std::string Json() const;

private:
    std::string FormatName() const;
    std::string SliceUnitName() const;
    std::string KeyName() const;

    std::string m_strPath;
    CAcidWave m_wave;
};

// The reader's error code as a cause a user understands.
std::string WaveErrorCause(const std::string& strPath, MMRESULT nError);
