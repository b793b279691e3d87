#include <gtest/gtest.h>

#include <cstring>

#include "platform/win_kernel.h"

namespace {

TEST(CodePage, LengthQueryIncludesTheTerminatorForMinusOne) {
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u00e9", -1, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, L"\u4E2D", -1, nullptr, 0, nullptr, nullptr), 3);
}

TEST(CodePage, TooSmallDestinationFailsWithInsufficientBuffer) {
    wchar_t wide[3];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcd", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    char narrow[2];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"ab", -1, narrow, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage, BadArgumentsFail) {
    wchar_t wide[4];
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", -1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CodePage, UnmappableCharactersUseTheDefaultCharacter) {
    char narrow[16];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_GBK, 0, L"x\U0001F600y", -1, narrow, sizeof(narrow), nullptr,
                                &usedDefault);
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(narrow, "x?y");
    EXPECT_TRUE(usedDefault);
    n = WideCharToMultiByte(CP_GBK, 0, L"x\U0001F600y", -1, narrow, sizeof(narrow), "*",
                            &usedDefault);
    EXPECT_STREQ(narrow, "x*y");
    WideCharToMultiByte(CP_GBK, 0, L"xy", -1, narrow, sizeof(narrow), nullptr, &usedDefault);
    EXPECT_FALSE(usedDefault);
}

TEST(CodePage, InvalidUtf8BecomesReplacementCharacterOrFailsWhenAskedTo) {
    wchar_t wide[8];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0,
                                  "a\xFF"
                                  "b",
                                  -1, wide, 8),
              4);
    EXPECT_EQ(std::wstring(wide), L"a\uFFFDb");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(ModulePath, ShortBufferIsCutAndReportsInsufficientBuffer) {
    char full[4096];
    DWORD length = GetModuleFileNameA(nullptr, full, sizeof(full));
    ASSERT_GT(length, 4u);
    EXPECT_EQ(full[0], '/');
    char cut[4];
    EXPECT_EQ(GetModuleFileNameA(nullptr, cut, sizeof(cut)), 4u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(cut), std::string(full, 3));
    wchar_t wide[4096];
    EXPECT_EQ(GetModuleFileNameW(nullptr, wide, 4096), length);
}

}  // namespace
