// Decodes an MPEG audio file (layer I, II or III) to interleaved float with
// libmpg123. The stream is scanned frame by frame when opened, so the length
// is exact even for a variable bit rate without an encoder header; where the
// header gives the encoder's delay and padding, they are trimmed.
#pragma once
#include "platform/com/Types.h"
#include <cstdint>

class CMpegDecoder {
public:
    CMpegDecoder() = default;
    ~CMpegDecoder();
    CMpegDecoder(const CMpegDecoder&) = delete;
    CMpegDecoder& operator=(const CMpegDecoder&) = delete;

    // Opens a file by its UTF-8 path: S_OK, or E_FAIL when it holds no MPEG
    // audio stream libmpg123 decodes.
    HRESULT Open(const char* pszPath);
    void Close();

    int Channels() const { return m_nChannels; }
    int SampleRate() const { return m_nRate; }
    // The frames the whole stream decodes to, counted by the scan.
    int64_t Frames() const { return m_nFrames; }

    // Reads up to nFrames interleaved frames scaled to +-1.0: the frames
    // read, 0 at the end, on a decoding error or where the stream changes
    // its rate or channels.
    int64_t Read(float* pOut, int64_t nFrames);

private:
    void* m_pHandle = nullptr; // mpg123_handle*
    int m_nChannels = 0;
    int m_nRate = 0;
    int64_t m_nFrames = 0;
    bool m_bEnded = false; // the stream ended or changed its format
};
