#pragma once

#include <windows.h>

// Thread message to the HTML thread: one command record is waiting in its manager's queue.
constexpr UINT WM_HTML_COMMAND = 8913;

// Window message to the HTML view: go back to the home page (wParam must be RELOAD_HOME_CODE).
constexpr UINT WM_HTML_RELOAD = 5577;
constexpr WPARAM RELOAD_HOME_CODE = 100;

// Window message to the HTML view, posted by a resize on another thread that found no valid cached
// control window: the view refits the control on its own thread, where the window can be learnt anew.
constexpr UINT WM_HTML_REFIT = 5578;
