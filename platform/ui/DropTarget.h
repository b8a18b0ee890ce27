// Shell file drops: what a window registers to accept files dragged onto it
// from a file manager. Called on the UI thread by the backend.
#pragma once
#include "platform/com/HResult.h"
#include "platform/ui/UiTypes.h"
#include <string>
#include <vector>

constexpr UINT CF_HDROP = 15; // the drop-files format: a list of file paths
constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;

// What a drag offers: its formats and, with CF_HDROP, the files.
struct CDropData {
    std::vector<UINT> formats;
    std::vector<std::wstring> files;
    bool HasFormat(UINT f) const {
        for (UINT x : formats)
            if (x == f) return true;
        return false;
    }
};

// Points are screen pixels; dwKeyState carries MK_ flags.
class IDropTarget {
public:
    virtual HRESULT DragEnter(const CDropData& data, DWORD dwKeyState, POINT pt,
                              DWORD* pdwEffect) = 0;
    virtual HRESULT DragOver(DWORD dwKeyState, POINT pt, DWORD* pdwEffect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(const CDropData& data, DWORD dwKeyState, POINT pt, DWORD* pdwEffect) = 0;

protected:
    ~IDropTarget() = default;
};
