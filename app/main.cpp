#include <windows.h>
#include <objbase.h>

#include "app/gameApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (OleInitialize(nullptr) != S_OK)
        return 0;
    {
        gameApp app;
        theApp = &app;
        app.Run();
    }
    OleUninitialize();
    return 0;
}
