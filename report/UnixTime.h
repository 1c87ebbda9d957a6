#pragma once

#include <windows.h>

// Whole seconds since 1970-01-01 00:00:00 UTC of a file time (the remainder is dropped); 0 for earlier
// times.
unsigned long long UnixTimeFromFileTime(const FILETIME& time);

// The current time (GetSystemTime) in whole seconds since 1970-01-01 00:00:00 UTC.
unsigned long long GetUnixTimeUtc();
