// Decodes one audio file in any format libsndfile reads (AIFF, FLAC, Ogg,
// MP3, WAV in any encoding, ...) into interleaved samples, and reports the
// loop information some formats carry. One decoder per file, one thread.
// MPEG audio is decoded by libmpg123 instead, which counts a stream's frames
// to its end where libsndfile stops at a length estimated from the first.
#pragma once
#include "platform/com/Types.h"
#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CMpegDecoder;

// The narrowest of three sample types that holds the file's samples exactly.
enum class SoundSampleType { Int16, Int32, Float };

struct SoundLoopInfo {
    bool bLooping = false; // false for a one-shot
    DWORD nBeats = 0;
    double dTempo = 0.0; // beats per minute, 0 when unknown
    int nRootKey = 0;    // MIDI note number as the file gives it
};

class CSoundFileDecoder {
public:
    CSoundFileDecoder();
    ~CSoundFileDecoder();
    CSoundFileDecoder(const CSoundFileDecoder&) = delete;
    CSoundFileDecoder& operator=(const CSoundFileDecoder&) = delete;

    // Opens a file by its UTF-8 path: S_OK, or E_FAIL when libsndfile cannot
    // decode it (or it has no channels or no rate).
    HRESULT Open(const char* pszPath);
    void Close();

    int Channels() const { return m_nChannels; }
    int SampleRate() const { return m_nRate; }
    // The frame count the file declares; for some compressed formats an
    // estimate. Exact for MPEG audio, whose stream is scanned when opened.
    int64_t DeclaredFrames() const { return m_nFrames; }
    SoundSampleType NativeType() const { return m_type; }
    // The container and encoding as libsndfile names them, such as "FLAC
    // (Free Lossless Audio Codec) / Signed 16 bit PCM"; empty when closed.
    std::string FormatName() const;
    // The file's loop information, when its format carries some.
    bool GetLoopInfo(SoundLoopInfo* pInfo) const;

    // Read up to nFrames interleaved frames: the frames read, 0 at the end
    // or on a decoding error. Integers are full scale (a 24-bit sample
    // stands in the top bits of an Int32); float is scaled to +-1.0.
    int64_t Read(int16_t* pOut, int64_t nFrames);
    int64_t Read(int32_t* pOut, int64_t nFrames);
    int64_t Read(float* pOut, int64_t nFrames);

private:
    void* m_pFile = nullptr;               // SNDFILE*
    std::unique_ptr<CMpegDecoder> m_pMpeg; // the samples of MPEG audio
    int m_nChannels = 0;
    int m_nRate = 0;
    int64_t m_nFrames = 0;
    int m_nFormat = 0;
    SoundSampleType m_type = SoundSampleType::Float;
};

// The gains of input channel nChannel (0-based) into the left and right
// output when a file of nChannels (more than two) folds to stereo. Six and
// eight channels are taken in the WAV order (L, R, C, LFE, then the surround
// pairs): L and R stay, the centre goes to both sides at -3 dB, LFE is
// dropped and each surround channel goes to its own side at -3 dB. For any
// other count the odd-numbered channels (1, 3, ...) sum into the left and the
// even-numbered into the right. Sum in float: nothing clips.
std::array<float, 2> SoundFoldGains(int nChannel, int nChannels);
