#include "report/TextCut.h"

#include <windows.h>

void DropBrokenTrailingChar(wchar_t* text) {
    if (!text || !text[0])
        return;
    size_t length = 0;
    while (text[length])
        ++length;
    if (IS_HIGH_SURROGATE(text[length - 1]))
        text[length - 1] = L'\0';
}

void DropBrokenTrailingChar(char* text, unsigned codePage) {
    if (!text)
        return;
    // Trail bytes can look like lead bytes, so the characters are walked from the start.
    for (size_t i = 0; text[i];) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i]))) {
            if (!text[i + 1]) {
                text[i] = '\0';
                return;
            }
            i += 2;
        } else {
            ++i;
        }
    }
}
