#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ConfigFile.h"

namespace {

// A fresh directory for one test, removed with its Config.ini afterwards. Each test uses its own path,
// so the profile functions never see an older file under the same name.
class ScopedDirectory {
public:
    ScopedDirectory() {
        static int counter = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"cvn_config_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScopedDirectory() {
        std::wstring file = File();
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }
    std::wstring File() const { return path_ + L"\\Config.ini"; }

private:
    std::wstring path_;
};

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char chunk[512];
        size_t read;
        while ((read = fread(chunk, 1, sizeof(chunk), file)) > 0)
            bytes.append(chunk, read);
        fclose(file);
    }
    return bytes;
}

// The non-empty lines of the file, without line ends.
std::vector<std::string> Lines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::string bytes = ReadBytes(path);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::wstring ReadText(const ConfigFile& config, const wchar_t* section, const wchar_t* key) {
    wchar_t value[ConfigFile::kValueSize];
    config.ReadText(section, key, value);
    return value;
}

struct IntCase {
    const wchar_t* text;
    int value;
};

TEST(ConfigInt, ConversionRules) {
    const IntCase cases[] = {
        {L"", 0},
        {L"0", 0},
        {L"7", 7},
        {L"5abc", 5},
        {L"-1", -1},
        {L"+12", 12},
        {L"  42", 42},
        {L"\t -3x", -3},
        {L"abc", 0},
        {L"-", 0},
        {L"+-1", 0},
        {L"- 1", 0},
        {L"1 2", 1},
        {L"0x10", 0},
        {L"007", 7},
        {L"\xFF11\xFF12", 0}, // full-width digits are not digits here
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"99999999999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-2147483649", INT_MIN},
        {L"-99999999999999999999999999", INT_MIN},
    };
    for (const IntCase& c : cases)
        EXPECT_EQ(ParseConfigInt(c.text), c.value)
            << "\"" << testing::PrintToString(std::wstring(c.text)) << "\"";
    EXPECT_EQ(ParseConfigInt(nullptr), 0);
}

TEST(ConfigInt, RunCountStopsAtTheLargestValue) {
    EXPECT_EQ(NextRunCount(0), 1);
    EXPECT_EQ(NextRunCount(5), 6);
    EXPECT_EQ(NextRunCount(-1), 0);
    EXPECT_EQ(NextRunCount(INT_MAX - 1), INT_MAX);
    EXPECT_EQ(NextRunCount(INT_MAX), INT_MAX);
    EXPECT_EQ(NextRunCount(INT_MIN), INT_MIN + 1);
}

class ConfigFileTest : public ::testing::Test {
protected:
    ScopedDirectory dir;
    ConfigFile config{dir.path().c_str()};
};

TEST_F(ConfigFileTest, PathIsBesideTheExecutable) {
    EXPECT_TRUE(config.usable());
    EXPECT_EQ(std::wstring(config.path()), dir.File());
}

TEST_F(ConfigFileTest, MissingFileGivesTheDefaults) {
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_UID), 0);
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_ADV), 0);
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), 0);
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_INSTALL, CONFIG_KEY_INSTALLTIME), L"");
    EXPECT_EQ(GetFileAttributesW(dir.File().c_str()), INVALID_FILE_ATTRIBUTES) << "reading creates nothing";
}

TEST_F(ConfigFileTest, FirstRunCreatesVersionAndRunCount) {
    EXPECT_TRUE(config.WriteVersion());
    const int startCount = config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT);
    EXPECT_EQ(startCount, 0);
    EXPECT_TRUE(config.WriteRunCount(startCount));
    EXPECT_EQ(Lines(dir.File()),
              (std::vector<std::string>{"[GameInfo]", "Version=1.15", "[Common]", "RunCount=1"}));
}

TEST_F(ConfigFileTest, StoredValuesAreReadAndTheRunCountRewritten) {
    WriteBytes(dir.File(),
               "[Common]\r\nUID=12\r\nADV=3\r\nRunCount=5abc\r\n[Install]\r\nInstallTime=2024-01-01\r\n");
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_UID), 12);
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_ADV), 3);
    const int startCount = config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT);
    EXPECT_EQ(startCount, 5);
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_INSTALL, CONFIG_KEY_INSTALLTIME), L"2024-01-01");
    config.WriteRunCount(startCount);
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), L"6");
}

TEST_F(ConfigFileTest, NegativeRunCountIsRewrittenAsZero) {
    WriteBytes(dir.File(), "[Common]\r\nRunCount=-1\r\n");
    const int startCount = config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT);
    EXPECT_EQ(startCount, -1);
    config.WriteRunCount(startCount);
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), 0);
}

TEST_F(ConfigFileTest, RunCountAtTheLargestValueStaysThere) {
    WriteBytes(dir.File(), "[Common]\r\nRunCount=99999999999\r\n");
    const int startCount = config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT);
    EXPECT_EQ(startCount, INT_MAX);
    config.WriteRunCount(startCount);
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), L"2147483647");
}

TEST_F(ConfigFileTest, LongValuesAreCutTo63Characters) {
    const std::string installTime(100, '7');
    WriteBytes(dir.File(), "[Install]\r\nInstallTime=" + installTime +
                               "\r\n[Common]\r\nUID=" + std::string(3000, '1') + "\r\n");
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_INSTALL, CONFIG_KEY_INSTALLTIME), std::wstring(63, L'7'));
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_UID), INT_MAX);
}

TEST_F(ConfigFileTest, CutValueDoesNotEndInHalfACharacter) {
    // A UTF-16 file (with its byte-order mark) whose value has a surrogate pair across the 63rd unit.
    std::wstring text = L"\xFEFF[Install]\r\nInstallTime=" + std::wstring(62, L'a') + L"\xD83D\xDE00zz\r\n";
    WriteBytes(dir.File(),
               std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_INSTALL, CONFIG_KEY_INSTALLTIME), std::wstring(62, L'a'));
}

TEST_F(ConfigFileTest, SectionAndKeyNamesIgnoreCase) {
    WriteBytes(dir.File(), "[common]\r\nruncount=3\r\nuid=8\r\n");
    EXPECT_EQ(config.ReadInt(L"COMMON", L"RUNCOUNT"), 3);
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_UID), 8);
    config.WriteRunCount(3);
    EXPECT_EQ(config.ReadInt(L"common", L"runcount"), 4);
    int runCounts = 0;
    for (const std::string& line : Lines(dir.File()))
        runCounts += _strnicmp(line.c_str(), "runcount=", 9) == 0;
    EXPECT_EQ(runCounts, 1) << "the existing key is updated, not duplicated";
}

TEST_F(ConfigFileTest, ExitWritesAfterAGameRun) {
    WriteBytes(dir.File(), "[GameInfo]\r\nVersion=1.15\r\n[Common]\r\nUID=12\r\nADV=3\r\nRunCount=2\r\n"
                           "[Install]\r\nInstallTime=20240101\r\n");
    EXPECT_TRUE(config.WriteOutTime(18446744073709551615ULL));
    EXPECT_TRUE(config.WriteCounts());
    EXPECT_TRUE(config.WriteUserName(L"player01"));
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_EXTENSION, CONFIG_KEY_OUTTIME), L"18446744073709551615");
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_EXTENSION, CONFIG_KEY_COUNTS), L"0");
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_COMMON, CONFIG_KEY_USERNAME), L"player01");
    EXPECT_EQ(Lines(dir.File()), (std::vector<std::string>{"[GameInfo]", "Version=1.15", "[Common]", "UID=12",
                                                           "ADV=3", "RunCount=2", "user_name=player01",
                                                           "[Install]", "InstallTime=20240101", "[Extension]",
                                                           "out_time=18446744073709551615", "Counts=0"}));
}

TEST_F(ConfigFileTest, EmptyUserNameIsWrittenEmpty) {
    EXPECT_TRUE(config.WriteUserName(L""));
    EXPECT_TRUE(config.WriteUserName(nullptr));
    EXPECT_EQ(Lines(dir.File()), (std::vector<std::string>{"[Common]", "user_name="}));
}

TEST_F(ConfigFileTest, LockedFileKeepsItsValuesWithoutHarm) {
    WriteBytes(dir.File(), "[Common]\r\nRunCount=0\r\n");
    // Another process holding the file open without sharing.
    HANDLE lock = CreateFileW(dir.File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const int startCount = config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT);
    EXPECT_EQ(startCount, 0) << "unreadable reads as the default";
    EXPECT_FALSE(config.WriteVersion());
    EXPECT_FALSE(config.WriteRunCount(startCount));
    CloseHandle(lock);
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), 0)
        << "the next start reports again";
    EXPECT_EQ(ReadBytes(dir.File()), "[Common]\r\nRunCount=0\r\n");
}

TEST_F(ConfigFileTest, ReadOnlyFileEitherKeepsOrTakesTheWrite) {
    // Wine run by root writes read-only files anyway; elsewhere the write fails. Both leave a sound file.
    WriteBytes(dir.File(), "[Common]\r\nRunCount=0\r\n");
    ASSERT_TRUE(SetFileAttributesW(dir.File().c_str(), FILE_ATTRIBUTE_READONLY));
    const bool written = config.WriteRunCount(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT));
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), written ? 1 : 0);
}

TEST_F(ConfigFileTest, DirectoryInPlaceOfTheFileGivesDefaults) {
    ASSERT_TRUE(CreateDirectoryW(dir.File().c_str(), nullptr));
    EXPECT_FALSE(config.WriteVersion());
    EXPECT_FALSE(config.WriteRunCount(0));
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), 0);
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_GAMEINFO, CONFIG_KEY_VERSION), L"");
    RemoveDirectoryW(dir.File().c_str());
}

TEST(ConfigFileUnwritable, MissingDirectoryGivesDefaultsAndNoFile) {
    ScopedDirectory parent;
    const std::wstring missing = parent.path() + L"\\gone";
    ConfigFile config(missing.c_str());
    EXPECT_FALSE(config.WriteVersion());
    EXPECT_FALSE(config.WriteRunCount(0));
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_RUNCOUNT), 0);
    EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ConfigFileUnwritable, DirectoryTooLongForThePathIsNotUsed) {
    const std::wstring longDir = L"C:\\" + std::wstring(300, L'd');
    ConfigFile config(longDir.c_str());
    EXPECT_FALSE(config.usable());
    EXPECT_STREQ(config.path(), L"");
    EXPECT_FALSE(config.WriteVersion());
    EXPECT_EQ(config.ReadInt(CONFIG_SECTION_COMMON, CONFIG_KEY_UID), 0);
    EXPECT_EQ(ReadText(config, CONFIG_SECTION_INSTALL, CONFIG_KEY_INSTALLTIME), L"");
    // 260 units hold a directory of 248 characters plus "\Config.ini" and the terminator.
    const std::wstring fits = L"C:\\" + std::wstring(245, L'd');
    EXPECT_TRUE(ConfigFile(fits.c_str()).usable());
    const std::wstring tooLong = L"C:\\" + std::wstring(246, L'd');
    EXPECT_FALSE(ConfigFile(tooLong.c_str()).usable());
}

} // namespace
