// The byte stream interfaces: ISequentialStream (read, write) and IStream
// (seek, size, statistics), in their slot order, with the seek origins and the
// statistics record. The memory and file streams implement them.
#pragma once
#include "platform/com/Unknown.h"

struct LARGE_INTEGER {
    LONGLONG QuadPart;
};
struct ULARGE_INTEGER {
    ULONGLONG QuadPart;
};

// Seek origins.
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

// Stat flags and storage types.
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr DWORD STGTY_STREAM = 2;

// Open modes of the file stream.
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_CREATE = 0x00001000;

// Statistics of a stream; pwcsName is CoTaskMemAlloc'ed unless STATFLAG_NONAME.
struct STATSTG {
    WCHAR* pwcsName = nullptr;
    DWORD type = 0;
    ULARGE_INTEGER cbSize{0};
    DWORD grfMode = 0;
};

// {0C733A30-2A1C-11CE-ADE5-00AA0044773D}
constexpr IID IID_ISequentialStream = {
    0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
// {0000000C-0000-0000-C000-000000000046}
constexpr IID IID_IStream = {
    0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class ISequentialStream : public IUnknown {
public:
    // Reads up to cb bytes; *pcbRead (optional) gets the count. Fewer bytes
    // than asked with S_OK means the end of the stream was reached.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;           // 3
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0; // 4

protected:
    ~ISequentialStream() = default;
};

class IStream : public ISequentialStream {
public:
    virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                         ULARGE_INTEGER* plibNewPosition) = 0; // 5
    virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;    // 6
    virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                           ULARGE_INTEGER* pcbWritten) = 0; // 7
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;       // 8
    virtual HRESULT Revert() = 0;                           // 9
    virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                               DWORD dwLockType) = 0; // 10
    virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                                 DWORD dwLockType) = 0;             // 11
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0; // 12
    virtual HRESULT Clone(IStream** ppstm) = 0;                     // 13

protected:
    ~IStream() = default;
};

// A growable stream over memory, position 0, reference count 1.
HRESULT CreateMemoryStream(IStream** ppstm);
// A stream that keeps nothing and measures: its size (Stat) is the furthest
// byte written. Position 0, reference count 1.
HRESULT CreateCountingStream(IStream** ppstm);
// A stream over a file (UTF-8 path): STGM_READ, STGM_WRITE or STGM_READWRITE,
// with STGM_CREATE creating or truncating it. Reference count 1.
HRESULT CreateFileStream(const char* pszPath, DWORD grfMode, IStream** ppstm);
