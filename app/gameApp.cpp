#include "app/gameApp.h"

#include <strsafe.h>

#include "frame/CFrameGame.h"
#include "frame/FrameCommands.h"
#include "report/TextCut.h"

gameApp::gameApp() : moduleDir{}, homeUrl{}, userNameAnsi{}, userName{} {}

bool gameApp::InitInstance() { return false; }

bool gameApp::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)
        return false;
    if (!gameWindow || !gameWindow->gameMode)
        return false;
    if (msg->wParam == VK_ESCAPE)
        PostMessageW(gameWindow->hwnd, WM_FRAME_COMMAND, FRAME_CMD_EXIT_FULLSCREEN, 0);
    else if (msg->wParam == VK_F10)
        PostMessageW(gameWindow->hwnd, WM_FRAME_COMMAND, FRAME_CMD_TOGGLE_FULLSCREEN, 0);
    return false;
}

void gameApp::SetUserName(const wchar_t* text) {
    // A name that does not fit is cut at a whole character in each form.
    ZeroMemory(userName, sizeof(userName));
    if (text) {
        StringCchCopyW(userName, kUserNameSize, text);
        DropBrokenTrailingChar(userName);
    }

    ZeroMemory(userNameAnsi, sizeof(userNameAnsi));
    char converted[kUserNameSize * 4];
    if (WideCharToMultiByte(CP_ACP, 0, userName, -1, converted, sizeof(converted), nullptr, nullptr) > 1) {
        StringCchCopyA(userNameAnsi, kUserNameSize, converted);
        DropBrokenTrailingChar(userNameAnsi);
    }
}
