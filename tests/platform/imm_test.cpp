// Input-method contexts record where the composition and candidate windows go.
#include <gtest/gtest.h>

#include "platform/win_user.h"

namespace {

TEST(InputMethod, PlacementsAreRecordedPerWindow) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"ImmTestClass";
    RegisterClassW(&wc);
    HWND top = CreateWindowExW(0, L"ImmTestClass", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    HWND child = CreateWindowExW(0, L"ImmTestClass", L"", WS_CHILD, 0, 0, 10, 10, top, nullptr,
                                 nullptr, nullptr);
    HIMC imc = ImmGetContext(top);
    ASSERT_NE(imc, nullptr);
    EXPECT_EQ(ImmGetContext(top), imc);
    EXPECT_NE(ImmGetContext(child), imc);

    COMPOSITIONFORM got{};
    EXPECT_FALSE(ImmGetCompositionWindow(imc, &got));  // nothing placed yet

    CANDIDATEFORM cand{0, CFS_EXCLUDE, POINT{100, 60}, RECT{100, 40, 102, 60}};
    COMPOSITIONFORM comp{CFS_POINT, POINT{100, 60}, RECT{100, 40, 102, 60}};
    EXPECT_TRUE(ImmSetCandidateWindow(imc, &cand));
    EXPECT_TRUE(ImmSetCompositionWindow(imc, &comp));
    EXPECT_TRUE(ImmReleaseContext(top, imc));

    HIMC again = ImmGetContext(top);
    ASSERT_TRUE(ImmGetCompositionWindow(again, &got));
    EXPECT_EQ(got.dwStyle, CFS_POINT);
    EXPECT_EQ(got.ptCurrentPos.y, 60);
    CANDIDATEFORM gotCand{};
    ASSERT_TRUE(ImmGetCandidateWindow(again, 0, &gotCand));
    EXPECT_EQ(gotCand.dwStyle, CFS_EXCLUDE);
    EXPECT_EQ(gotCand.rcArea.top, 40);
    EXPECT_FALSE(ImmGetCandidateWindow(again, 1, &gotCand));
    EXPECT_FALSE(ImmGetCompositionWindow(ImmGetContext(child), &got));

    cand.dwIndex = 4;
    EXPECT_FALSE(ImmSetCandidateWindow(imc, &cand));
    EXPECT_FALSE(ImmSetCompositionWindow(nullptr, &comp));
    DestroyWindow(top);
    EXPECT_EQ(ImmGetContext(top), nullptr);
}

}  // namespace
