#include "app/gameApp.h"

#include <strsafe.h>

#include "frame/CFrameGame.h"
#include "frame/FrameCommands.h"

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

namespace {

// Length of the longest prefix of text, at most limit units, that does not split a surrogate pair.
size_t WholeCharsPrefix(const wchar_t* text, size_t limit) {
    size_t length = 0;
    while (length < limit && text[length])
        ++length;
    if (length == limit && length > 0 && text[length] && IS_HIGH_SURROGATE(text[length - 1]))
        --length;
    return length;
}

// Cuts an ANSI text to fit size bytes with its terminator, never leaving half a double-byte character.
void CutAnsi(const char* source, int sourceLength, char* target, int size) {
    int length = 0;
    while (length < sourceLength) {
        int step = IsDBCSLeadByte(static_cast<BYTE>(source[length])) ? 2 : 1;
        if (length + step > size - 1 || length + step > sourceLength)
            break;
        length += step;
    }
    CopyMemory(target, source, length);
    target[length] = '\0';
}

} // namespace

void gameApp::SetUserName(const wchar_t* text) {
    // A name that does not fit is cut at a whole character in each form.
    ZeroMemory(userName, sizeof(userName));
    if (text)
        StringCchCopyNW(userName, kUserNameSize, text, WholeCharsPrefix(text, kUserNameSize - 1));

    ZeroMemory(userNameAnsi, sizeof(userNameAnsi));
    char converted[kUserNameSize * 4];
    int length = WideCharToMultiByte(CP_ACP, 0, userName, -1, converted, sizeof(converted), nullptr, nullptr);
    if (length > 1)
        CutAnsi(converted, length - 1, userNameAnsi, kUserNameSize);
}
