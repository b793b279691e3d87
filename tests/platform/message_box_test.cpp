// Message boxes: the text goes to standard error and the default button answers.
#include <gtest/gtest.h>

#include <string>

#include "platform/win_user.h"

namespace {

TEST(MessageBox, AnswersWithTheDefaultButtonAndWritesTheText) {
    struct Case {
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_RETRYCANCEL | MB_DEFBUTTON4, IDRETRY},  // no fourth button: the first
        {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxW(nullptr, L"text", L"caption", c.type), c.answer) << c.type;
        testing::internal::GetCapturedStderr();
    }
    testing::internal::CaptureStderr();
    MessageBoxW(nullptr, L"\u52A0\u8F7D\u8D44\u6E90\u6587\u4EF6\u5931\u8D25", L"Skin",
                MB_ICONERROR);
    std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("Skin"), std::string::npos);
    EXPECT_NE(out.find("\xe5\x8a\xa0\xe8\xbd\xbd"), std::string::npos);  // UTF-8 on the way out
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "narrow", nullptr, MB_OK), IDOK);
    out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("narrow"), std::string::npos);
}

}  // namespace
