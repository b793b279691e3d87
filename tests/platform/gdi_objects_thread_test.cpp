// Threads drawing at once, each with its own DC, sharing stock objects and one brush.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win_gdi.h"
#include "tests/platform/gdi_fixture.h"

namespace {

TEST(GdiThreads, ThreadsDrawTextAndShapesWithSharedObjects) {
    HBRUSH shared = CreateSolidBrush(RGB(0, 128, 0));
    std::atomic<int> failures{0};
    auto work = [&](int seed) {
        gdi_test::Canvas canvas(64, 32);
        HGDIOBJ oldFont = SelectObject(canvas.dc(), GetStockObject(DEFAULT_GUI_FONT));
        HGDIOBJ oldBrush = SelectObject(canvas.dc(), shared);
        for (int i = 0; i < 20; ++i) {
            HPEN pen = CreatePen(PS_SOLID, 1, RGB(seed, i, 0));
            HGDIOBJ oldPen = SelectObject(canvas.dc(), pen);
            Rectangle(canvas.dc(), 0, 0, 10 + i, 10);
            RECT r{0, 16, 64, 32};  // below the rectangle
            if (DrawTextW(canvas.dc(), L"线程 thread", -1, &r, DT_SINGLELINE) <= 0) ++failures;
            SelectObject(canvas.dc(), oldPen);
            if (!DeleteObject(pen)) ++failures;
        }
        if (canvas.At(5, 5) != gdi_test::Opaque(RGB(0, 128, 0))) ++failures;
        SelectObject(canvas.dc(), oldBrush);
        SelectObject(canvas.dc(), oldFont);
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) threads.emplace_back(work, t);
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_TRUE(DeleteObject(shared));  // every thread has let it go
}

}  // namespace
