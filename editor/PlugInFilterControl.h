// Wraps a control so that its callback sees each message before the control
// does; the control handles only what the callback declines. UI thread.
#pragma once
#include "editor/PlugInFilterCallback.h"

template <class T> class CPlugInFilterControl : public T {
public:
    CPlugInFilterCallback* m_pCallback = nullptr;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (m_pCallback && m_pCallback->FilterMessage(this, msg, wParam, lParam, &result))
            return result;
        return T::WindowProc(msg, wParam, lParam);
    }
};
