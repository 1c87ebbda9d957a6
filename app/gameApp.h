#pragma once

#include "app/CAppManager.h"

class CFrameGame;

// The main thread's manager: the application object. Its fields are written on the main thread
// before the HTML thread starts, except the user name (see SetUserName).
class gameApp : public CAppManager {
public:
    static constexpr int kModuleDirSize = MAX_PATH;
    static constexpr int kHomeUrlSize = 512;
    static constexpr int kUserNameSize = 64;

    gameApp();

    bool InitInstance() override;
    bool PreTranslateMessage(MSG* msg) override;

    void SetUserName(const wchar_t* text);

    wchar_t moduleDir[kModuleDirSize];
    wchar_t homeUrl[kHomeUrlSize];
    HANDLE instanceMutex = nullptr;
    char userNameAnsi[kUserNameSize];
    wchar_t userName[kUserNameSize];
    int uid = 0;
    int adv = 0;
    CFrameGame* gameWindow = nullptr;
};
