#pragma once

#include <windows.h>
#include <iphlpapi.h>

#include <cstddef>
#include <string>
#include <vector>

// Hardware address of one adapter as the system lists it (length 0 to 8 bytes).
struct AdapterAddress {
    BYTE bytes[MAX_ADAPTER_ADDRESS_LENGTH];
    UINT length;
};

// Size of the work buffer GetMachineId builds the text in.
inline constexpr size_t MACHINE_ID_BUFFER_SIZE = 260;

// Writes the adapter text into buffer (size bytes with terminator): each address byte as two upper-case
// hex digits, bytes joined by ":", adapters by "#", in list order. Adapters without address bytes add
// nothing. A text that does not fit keeps only the adapters that fit whole, so no address is ever
// half-written. Returns the text's length, or -1 (and an empty text) when nothing was written.
int FormatAdapterMacText(const std::vector<AdapterAddress>& adapters, char* buffer, size_t size);

// The adapters' addresses from GetAdaptersInfo, in the system's order; empty when it fails.
std::vector<AdapterAddress> ReadAdapterAddresses();

// FormatAdapterMacText of this machine's adapters.
int GetAdapterMacText(char* buffer, size_t size);

// The machine identity: the adapter text built in a 260-byte buffer, or "" when there is none.
std::string GetMachineId();

// Length of the longest prefix of an adapter text that has at most limit characters and ends at the
// text's end or before a "#", so that only whole addresses are kept.
size_t WholeAdaptersPrefix(const char* text, size_t limit);
size_t WholeAdaptersPrefix(const wchar_t* text, size_t limit);

// The adapter text widened from the ANSI code page into size units, keeping whole addresses only;
// empty when the conversion fails.
void WidenAdapterText(const char* text, wchar_t* buffer, size_t size);
