#pragma once

#include <windows.h>

class CMyHtml;

// Command kinds carried out on the HTML thread. 1002 is not used; unknown kinds are ignored.
constexpr int HTML_CMD_CREATE_VIEW = 1001;
constexpr int HTML_CMD_NAVIGATE = 1003;
constexpr int HTML_CMD_REFRESH = 1004;
constexpr int HTML_CMD_SET_SILENT = 1005;

// One request for the HTML thread, copied by value into its manager's queue.
struct HtmlCommand {
    // Create: the parent of the view. Others: the view's window when queued (informative).
    HWND window;
    int kind;
    // Create: width. Navigate: the URL in the view's staging buffer. Set silent: the value.
    UINT_PTR param1;
    // Not owned; must outlive the command.
    CMyHtml* view;
    // Create: height. Navigate: the navigation flags.
    UINT_PTR param2;
    // Create: position of the view in the parent's client area.
    int left;
    int top;
};

static_assert(sizeof(HtmlCommand) == 7 * 4, "seven 32-bit fields");
