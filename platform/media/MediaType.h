// Media types: major type, subtype and a format block (here a wave format),
// the identifiers that name them, and CMediaType, a media type that owns its
// format block. Format blocks of AM_MEDIA_TYPE records that cross an
// interface are CoTaskMemAlloc'ed and freed by their receiver.
#pragma once
#include "platform/com/Unknown.h"

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;
};

// {73647561-0000-0010-8000-00AA00389B71}
constexpr GUID MEDIATYPE_Audio = {
    0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
// {00000001-0000-0010-8000-00AA00389B71}
constexpr GUID MEDIASUBTYPE_PCM = {
    0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
// {00000003-0000-0010-8000-00AA00389B71}
constexpr GUID MEDIASUBTYPE_IEEE_FLOAT = {
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
// {05589F81-C356-11CE-BF01-00AA0055595A}
constexpr GUID FORMAT_WaveFormatEx = {
    0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

// Frees the format block (and the pUnk reference) of a record, leaving it empty.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a record allocated with CreateMediaType, and its format block.
void DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Copies src into an empty dst, format block included: E_OUTOFMEMORY.
HRESULT CopyMediaType(AM_MEDIA_TYPE* pDst, const AM_MEDIA_TYPE* pSrc);
// A task-allocated copy of src, or null.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* pSrc);

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    CMediaType(const AM_MEDIA_TYPE& mt);
    CMediaType(const CMediaType& mt);
    CMediaType& operator=(const AM_MEDIA_TYPE& mt);
    CMediaType& operator=(const CMediaType& mt);
    ~CMediaType();

    // An empty type: null identifiers, no format.
    void InitMediaType();
    // False when the format block could not be allocated.
    bool SetFormat(const BYTE* pFormat, ULONG cb);
    bool IsValid() const { return majortype != GUID_NULL; }
    // A null major type or format type leaves the rest open.
    bool IsPartiallySpecified() const { return majortype == GUID_NULL || formattype == GUID_NULL; }
    // Whether this (fully specified) type matches a partly specified one.
    bool MatchesPartial(const AM_MEDIA_TYPE* pPartial) const;
    bool operator==(const CMediaType& other) const;
};
