// Multimedia file I/O: a handle that reads and writes a file (or anything a
// custom I/O procedure serves) with an optional read buffer, with RIFF chunk
// navigation and creation (descend, create, ascend) on top.
// A handle belongs to one thread at a time; nothing here locks.
#pragma once
#include "platform/com/Types.h"
#include <cstdint>
#include <cstdio>

using FOURCC = DWORD;
using MMRESULT = UINT;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HPSTR = char*;
struct MMIOHANDLE;
using HMMIO = MMIOHANDLE*;

// Four characters as stored in a file, the first in the lowest byte.
constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<FOURCC>(static_cast<uint8_t>(a)) |
           (static_cast<FOURCC>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<FOURCC>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<FOURCC>(static_cast<uint8_t>(d)) << 24);
}
constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_DOS = mmioFOURCC('D', 'O', 'S', ' ');

// Result codes.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_BASE = 256;
constexpr MMRESULT MMIOERR_FILENOTFOUND = 257;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = 258;
constexpr MMRESULT MMIOERR_CANNOTOPEN = 259;
constexpr MMRESULT MMIOERR_CANNOTCLOSE = 260;
constexpr MMRESULT MMIOERR_CANNOTREAD = 261;
constexpr MMRESULT MMIOERR_CANNOTWRITE = 262;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = 264;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
constexpr MMRESULT MMIOERR_UNBUFFERED = 266;
constexpr MMRESULT MMIOERR_PATHNOTFOUND = 267;
constexpr MMRESULT MMIOERR_ACCESSDENIED = 268;
constexpr MMRESULT MMIOERR_INVALIDFILE = 272;

// Open modes and options (mmioOpenW), also kept in MMIOINFO::dwFlags.
constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_WRITE = 0x00000001;
constexpr DWORD MMIO_READWRITE = 0x00000002;
constexpr DWORD MMIO_RWMODE = 0x00000003;
constexpr DWORD MMIO_CREATE = 0x00001000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
// Chunk record flag: the size must be written back on ascent.
constexpr DWORD MMIO_DIRTY = 0x10000000;
// Descend searches.
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;
// Chunk creation: a RIFF form or a LIST (header plus type).
constexpr UINT MMIO_CREATERIFF = 0x0020;
constexpr UINT MMIO_CREATELIST = 0x0040;

// I/O procedure messages; a procedure answers -1 to an operation it cannot do.
constexpr UINT MMIOM_READ = MMIO_READ;
constexpr UINT MMIOM_WRITE = MMIO_WRITE;
constexpr UINT MMIOM_SEEK = 2;
constexpr UINT MMIOM_OPEN = 3;
constexpr UINT MMIOM_CLOSE = 4;
constexpr UINT MMIOM_WRITEFLUSH = 5;

constexpr LONG MMIO_DEFAULTBUFFER = 8192;
// Positions are 32-bit signed, as in the stored chunk records' world.
constexpr LONG MMIO_MAXOFFSET = 0x7FFFFFFF;

// A chunk's position record.
struct MMCKINFO {
    FOURCC ckid = 0;
    DWORD cksize = 0;
    FOURCC fccType = 0;     // form or list type for RIFF and LIST
    DWORD dwDataOffset = 0; // file offset of the body (for RIFF/LIST: of the type)
    DWORD dwFlags = 0;
};

// The procedure receives the handle's MMIOINFO as its first argument.
// MMIOM_OPEN: lParam1 = UTF-8 path (null when opened without a name);
// MMIOM_READ / MMIOM_WRITE: buffer, count -> bytes moved, -1 on failure;
// MMIOM_SEEK: offset, origin -> new position; MMIOM_CLOSE. The procedure keeps
// lDiskOffset equal to its own position.
using MMIOPROC = LRESULT (*)(char* lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

// The handle's state. pchBuffer..pchEndRead holds file bytes from lBufOffset;
// pchNext is the next byte to read, so the stream position is
// lBufOffset + (pchNext - pchBuffer).
struct MMIOINFO {
    DWORD dwFlags = 0;
    FOURCC fccIOProc = 0;
    MMIOPROC pIOProc = nullptr;
    UINT wErrorRet = 0;
    LONG cchBuffer = 0;
    HPSTR pchBuffer = nullptr;
    HPSTR pchNext = nullptr;
    HPSTR pchEndRead = nullptr;
    HPSTR pchEndWrite = nullptr;
    LONG lBufOffset = 0;
    LONG lDiskOffset = 0;
    DWORD adwInfo[3] = {0, 0, 0}; // procedure's own state (the file procedure: descriptor)
    DWORD dwReserved1 = 0;        // free for the procedure
    DWORD dwReserved2 = 0;
    HMMIO hmmio = nullptr;
    // A pointer for the procedure (a stream, a context): adwInfo is too narrow
    // to carry one on a 64-bit system.
    void* pProcData = nullptr;
};

// The built-in procedure for files on disk.
LRESULT mmioDosIOProc(char* lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

// Opens a file: MMIO_READ, MMIO_WRITE or MMIO_READWRITE, with MMIO_CREATE
// creating or truncating it. With no name, pmmioinfo->pIOProc serves the
// handle instead of the file procedure; its adwInfo, dwReserved1/2 and
// pProcData are copied into the handle, and the position starts at 0.
// With MMIO_ALLOCBUF the handle owns a read buffer of pmmioinfo->cchBuffer
// bytes, or MMIO_DEFAULTBUFFER when that is 0 or pmmioinfo is null (writes go
// straight through it). On failure returns null and sets
// pmmioinfo->wErrorRet when given.
HMMIO mmioOpenW(const WCHAR* pszFileName, MMIOINFO* pmmioinfo, DWORD fdwOpen);
MMRESULT mmioClose(HMMIO hmmio, UINT fuClose);
// Reads up to cch bytes; returns the count read (0 at the end of the file) or -1.
LONG mmioRead(HMMIO hmmio, HPSTR pch, LONG cch);
// Writes cch bytes at the stream position; returns the count written or -1.
LONG mmioWrite(HMMIO hmmio, const char* pch, LONG cch);
// Nothing is held back by a handle, so this only checks the handle.
MMRESULT mmioFlush(HMMIO hmmio, UINT fuFlush);
// Moves the stream (SEEK_SET, SEEK_CUR, SEEK_END); positions past the end are
// allowed and read nothing. Returns the new position or -1.
LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin);
// Direct buffer access: copy the state out, read bytes from pchNext up to
// pchEndRead, advance to refill, then hand pchNext back with mmioSetInfo.
MMRESULT mmioGetInfo(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT fuInfo);
MMRESULT mmioSetInfo(HMMIO hmmio, const MMIOINFO* pmmioinfo, UINT fuInfo);
// Refills the buffer from the stream position (pchNext of pmmioinfo when given);
// at the end of the file pchEndRead equals pchNext afterwards.
MMRESULT mmioAdvance(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT fuAdvance);

// Reads the chunk header at the stream position, or with MMIO_FINDCHUNK
// (ckid), MMIO_FINDRIFF or MMIO_FINDLIST (fccType) skips chunks until one
// matches. A parent bounds the search to its body. Leaves the stream at the
// body (past the type for RIFF and LIST). MMIOERR_CHUNKNOTFOUND at the end.
MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* pmmcki, const MMCKINFO* pmmckiParent, UINT fuDescend);
// Moves the stream to the end of the chunk, past its pad byte when the size is
// odd. A chunk marked MMIO_DIRTY ends at the stream position: its true size is
// written back into its header when it differs, a pad byte is written when the
// size is odd, and the flag is cleared.
MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* pmmcki, UINT fuAscend);
// Writes a chunk header at the stream position (ckid and cksize; with
// MMIO_CREATERIFF or MMIO_CREATELIST the id RIFF or LIST and then fccType),
// fills dwDataOffset and marks the record MMIO_DIRTY for mmioAscend.
MMRESULT mmioCreateChunk(HMMIO hmmio, MMCKINFO* pmmcki, UINT fuCreate);
