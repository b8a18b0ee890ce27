// One audio file as the slicer reads it through libsndfile (WAV, AIFF, FLAC,
// OGG, MP3 and whatever else it decodes): its samples folded to at most two
// channels, kept exactly in the sample format they will be written in, and
// the loop facts its own metadata offers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The sample format a sliced file is written in: the source's own where it is
// 16- or 24-bit PCM or 32-bit float; narrower PCM and companded codes widen to
// 16 bits, anything else (32-bit PCM, doubles, lossy codecs) becomes float.
enum class LoopSampleFormat { Pcm16, Pcm24, Float32 };

class CSliceSource {
public:
    // The longest file read: the instrument's limit for a loop.
    static constexpr double kMaxSeconds = 128.0;

    // Reads the whole file. False with the cause in *pstrError (unreadable,
    // no samples, longer than kMaxSeconds).
    bool Read(const std::string& strPath, std::string* pstrError);

    uint32_t Rate() const { return m_nRate; }
    int Channels() const { return m_nChannels; }
    int SourceChannels() const { return m_nSourceChannels; }
    size_t Frames() const { return m_nFrames; }
    double Seconds() const { return static_cast<double>(m_nFrames) / m_nRate; }
    LoopSampleFormat Format() const { return m_format; }
    // The file's own format, as libsndfile names it ("WAV (Microsoft) / Signed 16 bit PCM").
    const std::string& FormatName() const { return m_strFormatName; }

    // Interleaved samples: integers (16- or 24-bit values) for PCM formats,
    // floats for Float32; the other vector is empty.
    const std::vector<int32_t>& Integers() const { return m_integers; }
    const std::vector<float>& Floats() const { return m_floats; }
    // The channels' mean as floats in [-1, 1]: what the analysis reads.
    std::vector<float> Mono() const;

    // From the file's loop metadata: beats and tempo (0 when absent) and the
    // root note (-1 when absent).
    uint32_t FileBeats() const { return m_nFileBeats; }
    double FileTempo() const { return m_dFileTempo; }
    int RootNote() const { return m_nRootNote; }

private:
    uint32_t m_nRate = 0;
    int m_nChannels = 0;
    int m_nSourceChannels = 0;
    size_t m_nFrames = 0;
    LoopSampleFormat m_format = LoopSampleFormat::Float32;
    std::string m_strFormatName;
    std::vector<int32_t> m_integers;
    std::vector<float> m_floats;
    uint32_t m_nFileBeats = 0;
    double m_dFileTempo = 0.0;
    int m_nRootNote = -1;
};
