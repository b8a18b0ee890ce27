// The page's view of its child controls' messages: a control wrapped in
// CPlugInFilterControl asks its callback first. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"

class CWnd;

class CPlugInFilterCallback {
public:
    // Nonzero when the callback handled the message; *pResult is then the answer.
    virtual BOOL FilterMessage(CWnd* pCtrl, UINT msg, WPARAM wParam, LPARAM lParam,
                               LRESULT* pResult) = 0;

protected:
    ~CPlugInFilterCallback() = default;
};
