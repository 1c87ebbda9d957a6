#include "frame/CFrameGame.h"
