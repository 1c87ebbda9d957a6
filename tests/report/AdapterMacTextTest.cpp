#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "report/AdapterMacText.h"

namespace {

AdapterAddress Adapter(std::initializer_list<BYTE> bytes) {
    AdapterAddress adapter{};
    for (BYTE b : bytes)
        adapter.bytes[adapter.length++] = b;
    return adapter;
}

const AdapterAddress kFirst = Adapter({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
const AdapterAddress kSecond = Adapter({0x00, 0x50, 0x56, 0xC0, 0x00, 0x08});

std::string Format(const std::vector<AdapterAddress>& adapters, size_t size, int* result = nullptr) {
    std::vector<char> buffer(size + 1, '\x7F');
    int length = FormatAdapterMacText(adapters, buffer.data(), size);
    if (result)
        *result = length;
    EXPECT_EQ(buffer[size], '\x7F') << "written past the buffer";
    return std::string(buffer.data());
}

// Twenty six-byte adapters with distinct addresses.
std::vector<AdapterAddress> TwentyAdapters() {
    std::vector<AdapterAddress> adapters;
    for (BYTE i = 0; i < 20; ++i)
        adapters.push_back(Adapter({0xAB, 0xCD, 0xEF, 0x01, 0x23, i}));
    return adapters;
}

struct FormatCase {
    const char* name;
    std::vector<AdapterAddress> adapters;
    const char* text;
    int result;
};

TEST(AdapterMacText, FormatsTheAdapterList) {
    const FormatCase cases[] = {
        {"one adapter", {kFirst}, "00:1A:2B:3C:4D:5E", 17},
        {"two adapters", {kFirst, kSecond}, "00:1A:2B:3C:4D:5E#00:50:56:C0:00:08", 35},
        {"none", {}, "", -1},
        {"only empty addresses", {Adapter({}), Adapter({})}, "", -1},
        {"empty address adds nothing",
         {kFirst, Adapter({}), kSecond},
         "00:1A:2B:3C:4D:5E#00:50:56:C0:00:08",
         35},
        {"upper-case digits", {Adapter({0xAB, 0xcd, 0x0f})}, "AB:CD:0F", 8},
        {"eight bytes", {Adapter({1, 2, 3, 4, 5, 6, 7, 0xFF})}, "01:02:03:04:05:06:07:FF", 23},
        {"one byte", {Adapter({0x9})}, "09", 2},
    };
    for (const FormatCase& c : cases) {
        int result = 0;
        EXPECT_EQ(Format(c.adapters, 512, &result), c.text) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
}

TEST(AdapterMacText, LengthBeyondTheAddressFieldIsLimitedToIt) {
    AdapterAddress adapter = Adapter({1, 2, 3, 4, 5, 6, 7, 8});
    adapter.length = 200;
    EXPECT_EQ(Format({adapter}, 512), "01:02:03:04:05:06:07:08");
}

TEST(AdapterMacText, TwentyAdaptersAreCutAtWholeAddresses) {
    const std::vector<AdapterAddress> adapters = TwentyAdapters();
    int result = 0;
    // All twenty fit the 512-byte buffer of the home page query: 20 * 18 - 1.
    std::string all = Format(adapters, 512, &result);
    EXPECT_EQ(result, 359);
    EXPECT_EQ(all.substr(all.size() - 17), "AB:CD:EF:01:23:13");
    // The 260-byte identity buffer takes fourteen.
    std::string identity = Format(adapters, 260, &result);
    EXPECT_EQ(result, 14 * 18 - 1);
    EXPECT_EQ(identity, all.substr(0, identity.size()));
    EXPECT_EQ(all[identity.size()], '#');
    // Exactly filled: the last character of the buffer before the terminator.
    EXPECT_EQ(Format(adapters, 18, &result), "AB:CD:EF:01:23:00");
    EXPECT_EQ(result, 17);
    // Too small for even one address: nothing.
    EXPECT_EQ(Format(adapters, 17, &result), "");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(FormatAdapterMacText(adapters, nullptr, 10), -1);
}

TEST(AdapterMacText, WholeAdaptersPrefix) {
    const char* text = "AA:BB#CC:DD#EE";
    EXPECT_EQ(WholeAdaptersPrefix(text, 100), 14u);
    EXPECT_EQ(WholeAdaptersPrefix(text, 14), 14u);
    EXPECT_EQ(WholeAdaptersPrefix(text, 13), 11u);
    EXPECT_EQ(WholeAdaptersPrefix(text, 11), 11u);
    EXPECT_EQ(WholeAdaptersPrefix(text, 10), 5u);
    EXPECT_EQ(WholeAdaptersPrefix(text, 4), 0u);
    EXPECT_EQ(WholeAdaptersPrefix(L"AA:BB#CC", 6), 5u);
}

TEST(AdapterMacText, WidenedCopyKeepsWholeAddressesWithin63Characters) {
    char narrow[512] = {};
    FormatAdapterMacText(TwentyAdapters(), narrow, sizeof(narrow));
    wchar_t wide[65];
    wide[64] = L'\x7F';
    WidenAdapterText(narrow, wide, 64);
    EXPECT_EQ(wide[64], L'\x7F');
    EXPECT_EQ(std::wstring(wide), L"AB:CD:EF:01:23:00#AB:CD:EF:01:23:01#AB:CD:EF:01:23:02");

    WidenAdapterText("00:1A:2B:3C:4D:5E", wide, 64);
    EXPECT_STREQ(wide, L"00:1A:2B:3C:4D:5E");
    WidenAdapterText("", wide, 64);
    EXPECT_STREQ(wide, L"");
    WidenAdapterText(nullptr, wide, 64);
    EXPECT_STREQ(wide, L"");
}

TEST(MachineId, IsThisMachinesAdapterText) {
    char text[512] = {};
    int length = GetAdapterMacText(text, sizeof(text));
    const std::string id = GetMachineId();
    printf("adapter text here: \"%s\"\n", text);
    if (length == -1) {
        EXPECT_EQ(id, "");
        return;
    }
    EXPECT_EQ(static_cast<size_t>(length), strlen(text));
    EXPECT_TRUE(
        std::regex_match(text, std::regex("[0-9A-F]{2}(:[0-9A-F]{2})*(#[0-9A-F]{2}(:[0-9A-F]{2})*)*")));
    EXPECT_LE(id.size(), 259u);
    EXPECT_EQ(id, std::string(text).substr(0, id.size()));
}

} // namespace
