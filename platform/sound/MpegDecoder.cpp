#include "platform/sound/MpegDecoder.h"
#include "platform/com/HResult.h"
#include <mpg123.h>

namespace {
mpg123_handle* Handle(void* p) { return static_cast<mpg123_handle*>(p); }

// Older libmpg123 releases need this once per process before any handle.
bool Initialised() {
    static const bool bOk = mpg123_init() == MPG123_OK;
    return bOk;
}

// Only 32-bit float output, at every rate the library decodes.
bool OnlyFloat(mpg123_handle* h) {
    if (mpg123_format_none(h) != MPG123_OK) return false;
    const long* pRates = nullptr;
    size_t nRates = 0;
    mpg123_rates(&pRates, &nRates);
    for (size_t i = 0; i < nRates; ++i)
        if (mpg123_format(h, pRates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32) !=
            MPG123_OK)
            return false;
    return true;
}
} // namespace

CMpegDecoder::~CMpegDecoder() { Close(); }

void CMpegDecoder::Close() {
    if (m_pHandle != nullptr) {
        mpg123_close(Handle(m_pHandle));
        mpg123_delete(Handle(m_pHandle));
    }
    m_pHandle = nullptr;
    m_nChannels = m_nRate = 0;
    m_nFrames = 0;
    m_bEnded = false;
}

HRESULT CMpegDecoder::Open(const char* pszPath) {
    Close();
    if (pszPath == nullptr || !Initialised()) return E_FAIL;
    int nError = MPG123_OK;
    mpg123_handle* h = mpg123_new(nullptr, &nError);
    if (h == nullptr) return E_FAIL;
    m_pHandle = h;
    long nRate = 0;
    int nChannels = 0, nEncoding = 0;
    // Gapless decoding trims the delay and padding an encoder header gives.
    if (mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0) != MPG123_OK ||
        !OnlyFloat(h) || mpg123_open(h, pszPath) != MPG123_OK ||
        mpg123_getformat(h, &nRate, &nChannels, &nEncoding) != MPG123_OK ||
        mpg123_scan(h) != MPG123_OK) {
        Close();
        return E_FAIL;
    }
    const off_t nLength = mpg123_length(h);
    if (nEncoding != MPG123_ENC_FLOAT_32 || nRate < 1 || nChannels < 1 || nChannels > 2 ||
        nLength < 0) {
        Close();
        return E_FAIL;
    }
    m_nRate = static_cast<int>(nRate);
    m_nChannels = nChannels;
    m_nFrames = static_cast<int64_t>(nLength);
    return S_OK;
}

int64_t CMpegDecoder::Read(float* pOut, int64_t nFrames) {
    if (m_pHandle == nullptr || m_bEnded || pOut == nullptr || nFrames <= 0) return 0;
    const size_t nFrameBytes = sizeof(float) * static_cast<size_t>(m_nChannels);
    const size_t nWant = static_cast<size_t>(nFrames) * nFrameBytes;
    auto* pBytes = reinterpret_cast<unsigned char*>(pOut);
    size_t nGot = 0;
    // A call that gives nothing without ending the stream (a frame dropped
    // by the gapless trim, say) is retried a few times, never forever.
    int nIdle = 0;
    while (nGot < nWant && nIdle < 8) {
        size_t nDone = 0;
        const int r = mpg123_read(Handle(m_pHandle), pBytes + nGot, nWant - nGot, &nDone);
        nGot += nDone;
        nIdle = nDone > 0 ? 0 : nIdle + 1;
        if (r == MPG123_NEW_FORMAT) {
            long nRate = 0;
            int nChannels = 0, nEncoding = 0;
            mpg123_getformat(Handle(m_pHandle), &nRate, &nChannels, &nEncoding);
            if (nRate != m_nRate || nChannels != m_nChannels || nEncoding != MPG123_ENC_FLOAT_32) {
                m_bEnded = true;
                break;
            }
        } else if (r != MPG123_OK) {
            m_bEnded = true; // MPG123_DONE at the end, or an error
            break;
        }
    }
    // Whole frames only; a partial one (a damaged stream) is dropped.
    return static_cast<int64_t>(nGot / nFrameBytes);
}
