#pragma once

#include <windows.h>

// Thread message to the HTML thread: one command record is waiting in its manager's queue.
constexpr UINT WM_HTML_COMMAND = 8913;

// WM_HTML_RELOAD, which the network guard posts to the view, is declared with the guard.

// Window message to the HTML view, posted by a resize on another thread that found no valid cached
// control window: the view refits the control on its own thread, where the window can be learnt anew.
constexpr UINT WM_HTML_REFIT = 5578;
