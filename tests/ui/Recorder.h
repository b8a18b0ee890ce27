// A window that records the messages it gets, for the layer's tests.
#pragma once
#include "platform/ui/DC.h"
#include "platform/ui/Wnd.h"
#include <vector>

class CRecorder : public CWnd {
public:
    struct Msg {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Msg> log;
    std::vector<RECT> paints; // the clip box of each paint
    COLORREF fill = RGB(200, 0, 0);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        log.push_back({msg, wParam, lParam});
        return CWnd::WindowProc(msg, wParam, lParam);
    }
    int Count(UINT msg) const {
        int n = 0;
        for (const Msg& m : log) n += m.msg == msg;
        return n;
    }
    const Msg* Last(UINT msg) const {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->msg == msg) return &*it;
        return nullptr;
    }

protected:
    void OnPaint(CDC& dc) override {
        paints.push_back(dc.GetClipBox());
        dc.FillSolidRect(GetClientRect(), fill);
    }
};
