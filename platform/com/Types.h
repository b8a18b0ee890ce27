// Fixed-width types used at every COM boundary: the widths the instrument's
// records were designed with, independent of the compiler's long.
#pragma once
#include <cstdint>

using HRESULT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using REFERENCE_TIME = int64_t;
using WCHAR = wchar_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
