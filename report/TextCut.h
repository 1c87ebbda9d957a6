#pragma once

// Repairs the end of a text that a bounded copy or format has just cut: a lone high surrogate
// (wide) or a double-byte lead byte without its trail byte (ANSI code page) is removed.
void DropBrokenTrailingChar(wchar_t* text);
void DropBrokenTrailingChar(char* text, unsigned codePage = 0 /* CP_ACP */);
