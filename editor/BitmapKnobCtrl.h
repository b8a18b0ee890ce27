// A knob drawn from a filmstrip of 64 frames: dragging up turns it up, one
// step per pixel, and so does the wheel, five steps a notch (one with Shift).
// It reports each change to its parent as a vertical-scroll message, and the
// end of a drag, a double-click or a notch with kEndTrack. UI thread.
#pragma once
#include "platform/ui/Cursor.h"
#include "platform/ui/Wnd.h"

class CBitmap;

class CBitmapKnobCtrl : public CWnd {
public:
    // The scroll code that ends a turn (the value rides along in the high word).
    static constexpr int kEndTrack = 8;

    // The filmstrip's id, the size of one frame, the value a double-click
    // restores (0.0 to 1.0), and the cursor shown while dragging (or the arrow).
    bool Initialize(UINT nFilmstrip, int nFrameWidth, int nFrameHeight, float fDefault,
                    BOOL bShowCursor, HCURSOR hCursor);
    // Sets the value from 0.0 to 1.0 and redraws at once.
    void SetPosition(float fPos);
    int GetValue() const { return m_nValue; }
    // The filmstrip frame the value draws.
    int Frame() const { return static_cast<int>(m_nValue / 100.0 * 63.0); }

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    void OnLButtonUp(UINT nFlags, POINT pt) override;
    void OnLButtonDblClk(UINT nFlags, POINT pt) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt) override;
    void OnCaptureChanged(CWnd* pNew) override;

private:
    void Report(int nCode = SB_THUMBTRACK);

    int m_nValue = 0;
    float m_fDefault = 0.5f;
    const CBitmap* m_pStrip = nullptr;
    int m_nFrameWidth = 0, m_nFrameHeight = 0;
    HCURSOR m_hCursor = nullptr;
    bool m_bDragging = false;
    POINT m_ptPress{};
    int m_nWheelRest = 0; // the part of a notch not yet turned (smooth-scrolling devices)
};
