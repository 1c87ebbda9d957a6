#pragma once

#include "toolkit/CImageCtrl.h"

// A skinned window with a modal loop of its own: the caller creates it, runs RunModalLoop on the
// window's thread and reads dialogResult once the window is gone.
class CImageDialog : public CImageCtrl {
public:
    CImageDialog();
    ~CImageDialog() override;

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Runs the thread's messages until the window is gone, a handler clears modalRunning or WM_QUIT
    // arrives (which is posted again for the enclosing loop). False when it does not start: wrong
    // thread, already running, or no window.
    bool RunModalLoop();

    bool modalRunning = false;
    int dialogResult = IDCANCEL;

private:
    bool OfferToWindows(MSG* msg) const;
};
