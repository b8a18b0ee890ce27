// A WAV file written as the samples come, in the format a CWavWriter
// describes (its extra chunks follow the samples): sizes are patched into
// the header when it is finished, and the file appears whole or not at all.
#pragma once
#include "apps/hostkit/AtomicFile.h"
#include "apps/hostkit/SampleTarget.h"
#include "apps/hostkit/WavWriter.h"
#include <cstdint>
#include <string>
#include <vector>

class CWavStream final : public ISampleTarget {
public:
    explicit CWavStream(const CWavWriter& format) : m_format(format) {}

    // Starts the temporary file next to strPath. False with the cause.
    bool Open(const std::string& strPath, std::string* pstrError);
    // Appends interleaved samples (null: zeros); false once writing has failed
    // or the file would pass the format's 4 GiB limit.
    bool Put(const float* pSamples, size_t nFloats) override;
    // Writes the extra chunks and the sizes, then puts the file in place.
    // False with the cause (the first failure of any call), and no file.
    bool Finish(std::string* pstrError);
    // Drops the file; nothing appears.
    void Discard() { m_file.Discard(); }

    const std::string& Path() const { return m_file.Path(); }
    uint64_t Frames() const { return m_nSamples / static_cast<uint64_t>(m_format.Channels()); }

private:
    bool Fail(const std::string& strWhy);

    CWavWriter m_format;
    CAtomicFile m_file;
    std::vector<uint8_t> m_buffer;
    uint64_t m_nSamples = 0;
    std::string m_strError;
};
