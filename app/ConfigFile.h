#pragma once

#include <windows.h>

// Section and key names of Config.ini.
inline constexpr const wchar_t* CONFIG_FILE_NAME = L"Config.ini";
inline constexpr const wchar_t* CONFIG_SECTION_GAMEINFO = L"GameInfo";
inline constexpr const wchar_t* CONFIG_SECTION_COMMON = L"Common";
inline constexpr const wchar_t* CONFIG_SECTION_INSTALL = L"Install";
inline constexpr const wchar_t* CONFIG_SECTION_EXTENSION = L"Extension";
inline constexpr const wchar_t* CONFIG_KEY_VERSION = L"Version";
inline constexpr const wchar_t* CONFIG_KEY_UID = L"UID";
inline constexpr const wchar_t* CONFIG_KEY_ADV = L"ADV";
inline constexpr const wchar_t* CONFIG_KEY_RUNCOUNT = L"RunCount";
inline constexpr const wchar_t* CONFIG_KEY_INSTALLTIME = L"InstallTime";
inline constexpr const wchar_t* CONFIG_KEY_FSMODIFIERS = L"fsModifiers";
inline constexpr const wchar_t* CONFIG_KEY_VKCODE = L"vkCode";
inline constexpr const wchar_t* CONFIG_KEY_OUTTIME = L"out_time";
inline constexpr const wchar_t* CONFIG_KEY_COUNTS = L"Counts";
inline constexpr const wchar_t* CONFIG_KEY_USERNAME = L"user_name";

// The client version written for other software of the installation.
inline constexpr double CONFIG_CLIENT_VERSION = 1.15;

// Decimal integer of a stored value: leading white space skipped, optional sign, digits up to the first
// non-digit; empty or non-numeric text gives 0. Values beyond the 32-bit range saturate at INT_MIN/INT_MAX.
int ParseConfigInt(const wchar_t* text);

// The run count to store after a start: one more, but never past INT_MAX.
int NextRunCount(int startCount);

// Config.ini beside the executable, read and written through the profile functions at the moment a value
// is needed (nothing cached). Used on the main thread only. A failed write is not reported: the program
// carries on with what it has.
class ConfigFile {
public:
    static constexpr int kPathSize = MAX_PATH;
    // A read value holds at most 63 characters; longer ones are cut.
    static constexpr int kValueSize = 64;

    // moduleDir is the executable's directory without trailing backslash. When "<dir>\Config.ini" does not
    // fit 260 units the file is not used at all (reads give defaults, writes do nothing) rather than a
    // cut path naming some other file.
    explicit ConfigFile(const wchar_t* moduleDir);

    const wchar_t* path() const { return path_; }
    bool usable() const { return path_[0] != L'\0'; }

    // Missing file, section or key gives the empty text.
    void ReadText(const wchar_t* section, const wchar_t* key, wchar_t (&value)[kValueSize]) const;
    int ReadInt(const wchar_t* section, const wchar_t* key) const;
    bool WriteText(const wchar_t* section, const wchar_t* key, const wchar_t* value) const;
    bool WriteInt(const wchar_t* section, const wchar_t* key, int value) const;

    // The program's own writes.
    bool WriteVersion() const;
    bool WriteRunCount(int startCount) const; // stores NextRunCount(startCount)
    bool WriteOutTime(unsigned long long unixSeconds) const;
    bool WriteCounts() const;
    bool WriteUserName(const wchar_t* userName) const;

private:
    wchar_t path_[kPathSize];
};
