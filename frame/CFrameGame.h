#pragma once

#include "toolkit/CWindowCtrl.h"

// The game window. It lives on the main thread; its HTML view belongs to the HTML thread.
class CFrameGame : public CWindowCtrl {
public:
    // Set once when the game page is entered, never cleared.
    bool gameMode = false;
};
