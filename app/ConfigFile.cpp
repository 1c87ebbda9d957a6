#include "app/ConfigFile.h"

#include <strsafe.h>

#include <climits>
#include <cwctype>

int ParseConfigInt(const wchar_t* text) {
    if (!text)
        return 0;
    while (*text && iswspace(*text))
        ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-') {
        negative = *text == L'-';
        ++text;
    }
    // Accumulate the magnitude with one step of headroom, then saturate.
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        magnitude = magnitude * 10 + (*text - L'0');
        if (magnitude > limit) {
            magnitude = limit;
            // The remaining digits cannot bring it back into range.
            break;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int NextRunCount(int startCount) {
    return startCount == INT_MAX ? INT_MAX : startCount + 1;
}

ConfigFile::ConfigFile(const wchar_t* moduleDir) : path_{} {
    if (FAILED(StringCchPrintfW(path_, kPathSize, L"%s\\%s", moduleDir ? moduleDir : L"", CONFIG_FILE_NAME)))
        path_[0] = L'\0';
}

void ConfigFile::ReadText(const wchar_t* section, const wchar_t* key, wchar_t (&value)[kValueSize]) const {
    ZeroMemory(value, sizeof(value));
    if (!usable())
        return;
    DWORD length = GetPrivateProfileStringW(section, key, nullptr, value, kValueSize, path_);
    if (length >= static_cast<DWORD>(kValueSize))
        length = kValueSize - 1;
    value[length] = L'\0';
    // A value cut inside a surrogate pair loses the lone half.
    if (length > 0 && IS_HIGH_SURROGATE(value[length - 1]))
        value[length - 1] = L'\0';
}

int ConfigFile::ReadInt(const wchar_t* section, const wchar_t* key) const {
    wchar_t value[kValueSize];
    ReadText(section, key, value);
    return ParseConfigInt(value);
}

bool ConfigFile::WriteText(const wchar_t* section, const wchar_t* key, const wchar_t* value) const {
    return usable() && WritePrivateProfileStringW(section, key, value ? value : L"", path_) != FALSE;
}

bool ConfigFile::WriteInt(const wchar_t* section, const wchar_t* key, int value) const {
    wchar_t text[kValueSize];
    StringCchPrintfW(text, kValueSize, L"%d", value);
    return WriteText(section, key, text);
}

bool ConfigFile::WriteVersion() const {
    wchar_t text[kValueSize];
    StringCchPrintfW(text, kValueSize, L"%0.2f", CONFIG_CLIENT_VERSION);
    return WriteText(CONFIG_SECTION_GAMEINFO, CONFIG_KEY_VERSION, text);
}

bool ConfigFile::WriteRunCount(int startCount) const {
    return WriteInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT, NextRunCount(startCount));
}

bool ConfigFile::WriteOutTime(unsigned long long unixSeconds) const {
    wchar_t text[kValueSize];
    StringCchPrintfW(text, kValueSize, L"%I64u", unixSeconds);
    return WriteText(CONFIG_SECTION_EXTENSION, CONFIG_KEY_OUTTIME, text);
}

bool ConfigFile::WriteCounts() const {
    return WriteText(CONFIG_SECTION_EXTENSION, CONFIG_KEY_COUNTS, L"0");
}

bool ConfigFile::WriteUserName(const wchar_t* userName) const {
    return WriteText(CONFIG_SECTION_COMMON, CONFIG_KEY_USERNAME, userName);
}
