#include "report/AdapterMacText.h"

#include <strsafe.h>

#include <memory>
#include <new>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";
// Longest text of one adapter: eight bytes as "XX" joined by ":".
constexpr size_t kMaxAdapterText = MAX_ADAPTER_ADDRESS_LENGTH * 3 - 1;

template <typename Char> size_t WholeAdaptersPrefixOf(const Char* text, size_t limit) {
    size_t length = 0;
    size_t lastWhole = 0;
    while (text[length]) {
        if (text[length] == '#')
            lastWhole = length;
        if (length == limit)
            return lastWhole;
        ++length;
    }
    return length;
}

} // namespace

int FormatAdapterMacText(const std::vector<AdapterAddress>& adapters, char* buffer, size_t size) {
    if (!buffer || size == 0)
        return -1;
    buffer[0] = '\0';
    size_t length = 0;
    for (const AdapterAddress& adapter : adapters) {
        const UINT count =
            adapter.length < MAX_ADAPTER_ADDRESS_LENGTH ? adapter.length : MAX_ADAPTER_ADDRESS_LENGTH;
        if (count == 0)
            continue;
        char part[kMaxAdapterText + 2];
        size_t partLength = 0;
        if (length > 0)
            part[partLength++] = '#';
        for (UINT i = 0; i < count; ++i) {
            if (i > 0)
                part[partLength++] = ':';
            part[partLength++] = kHexDigits[adapter.bytes[i] >> 4];
            part[partLength++] = kHexDigits[adapter.bytes[i] & 0x0F];
        }
        if (length + partLength > size - 1)
            break;
        CopyMemory(buffer + length, part, partLength);
        length += partLength;
        buffer[length] = '\0';
    }
    return length > 0 ? static_cast<int>(length) : -1;
}

std::vector<AdapterAddress> ReadAdapterAddresses() {
    std::vector<AdapterAddress> adapters;
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0)
        return adapters;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
    if (!block)
        return adapters;
    auto* list = reinterpret_cast<IP_ADAPTER_INFO*>(block.get());
    if (GetAdaptersInfo(list, &size) != NO_ERROR)
        return adapters;
    for (const IP_ADAPTER_INFO* info = list; info; info = info->Next) {
        AdapterAddress adapter{};
        adapter.length = info->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH ? info->AddressLength
                                                                          : MAX_ADAPTER_ADDRESS_LENGTH;
        CopyMemory(adapter.bytes, info->Address, adapter.length);
        adapters.push_back(adapter);
    }
    return adapters;
}

int GetAdapterMacText(char* buffer, size_t size) {
    return FormatAdapterMacText(ReadAdapterAddresses(), buffer, size);
}

std::string GetMachineId() {
    char work[MACHINE_ID_BUFFER_SIZE] = {};
    if (GetAdapterMacText(work, sizeof(work)) == -1)
        return std::string();
    return std::string(work);
}

size_t WholeAdaptersPrefix(const char* text, size_t limit) {
    return WholeAdaptersPrefixOf(text, limit);
}

size_t WholeAdaptersPrefix(const wchar_t* text, size_t limit) {
    return WholeAdaptersPrefixOf(text, limit);
}

void WidenAdapterText(const char* text, wchar_t* buffer, size_t size) {
    if (!buffer || size == 0)
        return;
    buffer[0] = L'\0';
    if (!text || !text[0])
        return;
    const int needed = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, nullptr, 0);
    if (needed <= 1)
        return;
    std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[needed]);
    if (!wide || MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide.get(), needed) <= 1)
        return;
    StringCchCopyNW(buffer, size, wide.get(), WholeAdaptersPrefix(wide.get(), size - 1));
}
