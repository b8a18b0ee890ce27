#include "platform/com/HResult.h"
#include <cstdio>

const char* HResultText(HRESULT hr) {
    switch (hr) {
    case S_OK: return "success";
    case S_FALSE: return "success (nothing done)";
    case E_NOTIMPL: return "not implemented";
    case E_NOINTERFACE: return "interface not supported";
    case E_POINTER: return "null pointer argument";
    case E_FAIL: return "file or format error";
    case E_UNEXPECTED: return "unexpected state, or file beyond the loader's limits";
    case E_OUTOFMEMORY: return "out of memory";
    case E_INVALIDARG: return "invalid argument";
    case CLASS_E_CLASSNOTAVAILABLE: return "class not available";
    case VFW_E_TYPE_NOT_ACCEPTED: return "media type not accepted";
    case VFW_E_NOT_CONNECTED: return "pin not connected";
    case VFW_E_ENUM_OUT_OF_SYNC: return "enumerator out of sync";
    case VFW_E_NOT_IN_GRAPH: return "filter not in a graph";
    case VFW_S_NO_MORE_ITEMS: return "no more items";
    case VFW_E_INVALID_FILE_FORMAT: return "invalid file format";
    case DISP_E_UNKNOWNINTERFACE: return "unknown interface";
    case TYPE_E_LIBNOTREGISTERED: return "type library not registered";
    case STG_E_FILENOTFOUND: return "file not found";
    case STG_E_ACCESSDENIED: return "access denied";
    case STG_E_SEEKERROR: return "seek error";
    case STG_E_WRITEFAULT: return "write fault";
    case STG_E_READFAULT: return "read fault";
    case STG_E_MEDIUMFULL: return "medium full";
    default: return "unknown error";
    }
}

std::string HResultCode(HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
    return code;
}

std::string HResultLine(const std::string& strWhat, HRESULT hr) {
    return strWhat + ": " + HResultText(hr) + " (" + HResultCode(hr) + ")";
}
