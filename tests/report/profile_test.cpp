#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>

#include "platform/win_kernel.h"
#include "platform/win_profile.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace {

std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                        const std::string& file, DWORD size = 260) {
    std::wstring buffer(size, L'#');
    DWORD n =
        GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, Wide(file).c_str());
    return buffer.substr(0, n);
}

// A file as people write them: a byte-order mark, CR LF line breaks, blanks around names and
// values, quotes, comments, a key without "=", and a second section of an existing name.
const char kFixture[] =
    "\xEF\xBB\xBF[Main]\r\n"
    "Name = Value with spaces  \r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Half=\"open\r\n"
    "; Comment=not a key\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "[ SelectCustomProxy ]\r\n"
    "YesOrNo=1\r\n"
    "Address=\xE4\xBB\xA3\xE7\x90\x86.example\r\n"
    "Port= 8080 \r\n"
    "Negative=-3\r\n"
    "Trailing=12abc\r\n"
    "Letters=abc\r\n"
    "Huge=99999999999\r\n"
    "Padded=\" 42 \"\r\n"
    "[main]\r\n"
    "Name=a later section of the same name is not read\r\n";

class ProfileRead : public ::testing::Test {
  protected:
    void SetUp() override { TempDir::Write(file_, kFixture); }
    TempDir dir_;
    std::string file_ = dir_.File("settings.ini");
};

TEST_F(ProfileRead, StringsAreFoundBySectionAndKeyWithoutRegardToCase) {
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* fallback;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"Main", L"Name", L"d", L"Value with spaces"},
        {L"MAIN", L"name", L"d", L"Value with spaces"},
        {L"Main", L"Quoted", L"d", L"  padded  "},
        {L"Main", L"Single", L"d", L"x"},
        {L"Main", L"Half", L"d", L"\"open"},
        {L"Main", L"; Comment", L"d", L"d"},
        {L"Main", L"Empty", L"d", L""},
        {L"Main", L"NoEquals", L"d", L""},
        {L"SelectCustomProxy", L"Address", L"", L"\u4EE3\u7406.example"},
        {L"SelectCustomProxy", L"Name", L"d", L"d"},  // keys belong to their own section
        {L"Missing", L"Name", L"def  \t", L"def"},    // trailing blanks of a default go
        {L"Missing", L"Name", nullptr, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadString(c.section, c.key, c.fallback, file_), c.expected)
            << "[" << std::string(c.section, c.section + wcslen(c.section)) << "] "
            << std::string(c.key, c.key + wcslen(c.key));
    }
}

TEST_F(ProfileRead, IntegersTakeTheLeadingDigits) {
    struct Case {
        const wchar_t* key;
        UINT expected;
    };
    const Case cases[] = {
        {L"YesOrNo", 1},  {L"Port", 8080},     {L"Trailing", 12}, {L"Letters", 0},
        {L"Negative", 0}, {L"Huge", UINT_MAX}, {L"Padded", 42},   {L"Missing", 7},
    };
    const std::wstring file = Wide(file_);
    for (const auto& c : cases) {
        EXPECT_EQ(GetPrivateProfileIntW(L"SelectCustomProxy", c.key, 7, file.c_str()), c.expected)
            << std::string(c.key, c.key + wcslen(c.key));
    }
    EXPECT_EQ(GetPrivateProfileIntW(L"Main", L"Empty", 7, file.c_str()), 7u);
}

TEST_F(ProfileRead, MissingOrUnnamedFilesGiveTheDefaults) {
    const std::string missing = dir_.File("none.ini");
    EXPECT_EQ(ReadString(L"Main", L"Name", L"fallback", missing), L"fallback");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetPrivateProfileIntW(L"SelectCustomProxy", L"YesOrNo", 0, L""), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(L"SelectCustomProxy", L"YesOrNo", 0, nullptr), 0u);
    EXPECT_EQ(ReadString(L"Main", L"Name", L"fallback", ""), L"fallback");
    // A folder is no profile file.
    EXPECT_EQ(ReadString(L"Main", L"Name", L"fallback", dir_.path()), L"fallback");
}

TEST_F(ProfileRead, ResultsAreCutToTheBuffer) {
    EXPECT_EQ(ReadString(L"Main", L"Name", L"", file_, 6), L"Value");
    EXPECT_EQ(ReadString(L"Main", L"Missing", L"abcdef", file_, 4), L"abc");
    wchar_t none[1] = {L'#'};
    EXPECT_EQ(GetPrivateProfileStringW(L"Main", L"Name", L"", none, 0, Wide(file_).c_str()), 0u);
    EXPECT_EQ(none[0], L'#');

    // Lists: names with a zero after each and one more at the end.
    EXPECT_EQ(ReadString(nullptr, nullptr, L"", file_),
              std::wstring(L"Main\0SelectCustomProxy\0main\0", 28));
    EXPECT_EQ(ReadString(L"main", nullptr, L"", file_),
              std::wstring(L"Name\0Quoted\0Single\0Half\0Empty\0NoEquals\0", 39));
    EXPECT_EQ(ReadString(L"Missing", nullptr, L"", file_), L"");
    // A list that does not fit is cut and still ends with two zeros.
    std::wstring buffer(9, L'#');
    DWORD n =
        GetPrivateProfileStringW(nullptr, nullptr, L"", buffer.data(), 9, Wide(file_).c_str());
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(buffer, std::wstring(L"Main\0Se\0\0", 9));
}

class ProfileWrite : public ::testing::Test {
  protected:
    BOOL Write(const char* section, const char* lines) {
        return WritePrivateProfileSectionA(section, lines, file_.c_str());
    }
    TempDir dir_;
    std::string file_ = dir_.File("LogIni.ini");
};

TEST_F(ProfileWrite, CreatesAMissingFile) {
    ASSERT_TRUE(Write("sec_1", "k=v\0a=\0"));
    EXPECT_EQ(TempDir::Read(file_), "[sec_1]\nk=v\na=\n");
    EXPECT_EQ(ReadString(L"sec_1", L"k", L"", file_), L"v");
}

TEST_F(ProfileWrite, EditsTouchOnlyTheirSection) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* lines;  // null removes the section
        std::string after;
    };
    const Case cases[] = {
        {"a missing section goes to the end, after a line break the file lacked",
         "; head\n[a]\nx=1", "b", "k=v\0", "; head\n[a]\nx=1\n[b]\nk=v\n"},
        {"a present section is replaced where it stands, its comments and blank lines kept",
         "[a]\nx=1\n[B]\n; keep me\nold=1\n\nold2=2\n\n[c]\ny=2\n", "b", "k=v\0",
         "[a]\nx=1\n[B]\n; keep me\nk=v\n\n\n[c]\ny=2\n"},
        {"CR LF files stay CR LF", "[a]\r\nx=1\r\n; c\r\n", "a", "k=v\0j=w\0",
         "[a]\r\nk=v\r\nj=w\r\n; c\r\n"},
        {"a header on the last line without a break", "[a]\nx=1\n[b]", "b", "k=v\0",
         "[a]\nx=1\n[b]\nk=v\n"},
        {"only the first section of a name is replaced", "[a]\nx=1\n[a]\nx=2\n", "a", "x=3\0",
         "[a]\nx=3\n[a]\nx=2\n"},
        {"a line break inside a value cannot start a section", "", "a", "data=one\n[evil]\r\nx=1\0",
         "[a]\ndata=one [evil]  x=1\n"},
        {"an empty list leaves the header alone", "[a]\nx=1\n[b]\n", "a", "\0", "[a]\n[b]\n"},
        {"null lines remove the section", "[a]\nx=1\n[b]\n; gone\ny=2\n[c]\n", "b", nullptr,
         "[a]\nx=1\n[c]\n"},
        {"removing a missing section changes nothing", "[a]\nx=1", "b", nullptr, "[a]\nx=1"},
    };
    for (const auto& c : cases) {
        TempDir::Write(file_, c.before);
        EXPECT_TRUE(Write(c.section, c.lines)) << c.name;
        EXPECT_EQ(TempDir::Read(file_), c.after) << c.name;
    }
}

TEST_F(ProfileWrite, BadArgumentsWriteNothing) {
    EXPECT_FALSE(Write(nullptr, "k=v\0"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(Write("a]b", "k=v\0"));
    EXPECT_FALSE(Write("a\nb", "k=v\0"));
    EXPECT_FALSE(WritePrivateProfileSectionA("a", "k=v\0", ""));
    EXPECT_FALSE(WritePrivateProfileSectionA("a", "k=v\0", nullptr));
    EXPECT_FALSE(std::filesystem::exists(file_));
    // A path that cannot be read is never overwritten.
    std::filesystem::create_directory(file_);
    EXPECT_FALSE(Write("a", "k=v\0"));
    EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(ProfileWrite, WritesThroughALinkAndKeepsTheFileMode) {
    const std::string target = dir_.File("real.ini");
    TempDir::Write(target, "[a]\nx=1\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink(target, file_);
    ASSERT_TRUE(Write("a", "x=2\0"));
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(TempDir::Read(target), "[a]\nx=2\n");
    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);
}

TEST(ProfileWriteUnprivileged, AFolderOrFileWeMayNotChangeLosesNothing) {
    TempDir dir;
    const std::string folder = dir.File("ro/");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string original = "; keep\n[a]\nx=1\n";
    struct Case {
        const char* name;
        const char* file;  // null: the file does not exist
        mode_t mode;
        bool written;
        DWORD error;
    };
    const Case cases[] = {
        {"no new file in a read-only folder", nullptr, 0, false, ERROR_ACCESS_DENIED},
        {"a read-only file in a read-only folder", "ro.ini", 0644, false, ERROR_ACCESS_DENIED},
        {"a file we may write but not read", "wo.ini", 0622, false, ERROR_ACCESS_DENIED},
        {"a writable file in a read-only folder is written in place", "rw.ini", 0666, true, 0},
    };
    for (const auto& c : cases) {
        const std::string file = folder + (c.file != nullptr ? c.file : "new.ini");
        if (c.file != nullptr) {
            TempDir::Write(file, original);
            ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
        }
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
        int result = RunUnprivileged([&] {
            BOOL ok = WritePrivateProfileSectionA("b", "k=v\0", file.c_str());
            return ok ? 0 : 1 + static_cast<int>(GetLastError());
        });
        ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
        EXPECT_EQ(result, c.written ? 0 : 1 + static_cast<int>(c.error)) << c.name;
        if (c.file == nullptr) {
            EXPECT_FALSE(std::filesystem::exists(file)) << c.name;
        } else {
            EXPECT_EQ(TempDir::Read(file), c.written ? original + "[b]\nk=v\n" : original)
                << c.name;
        }
    }
    // Nothing half-written is left beside the files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);
}

}  // namespace
