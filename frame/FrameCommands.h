#pragma once

#include <windows.h>

// Private message of the game window; the command code travels in wParam.
constexpr UINT WM_FRAME_COMMAND = 2277;

constexpr WPARAM FRAME_CMD_ENTER_GAME = 1001;
constexpr WPARAM FRAME_CMD_CLOSE = 5557;
constexpr WPARAM FRAME_CMD_TOGGLE_FULLSCREEN = 5563;
constexpr WPARAM FRAME_CMD_EXIT_FULLSCREEN = 5564;
