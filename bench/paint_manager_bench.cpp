// The paint manager on a tree of 2,000 controls in an 800x600 window (headless display):
//  - a full layout and paint through the manager, against drawing the same boxes and texts
//    straight into an offscreen bitmap with the drawing layer (the work without the framework);
//  - FindControl by name through the name map, against a linear walk of the tree.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "skinframe/controls/controls.h"
#include "skinframe/paint_manager.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kRows = 40;
constexpr int kPerRow = 49;  // 1 root + 40 rows + 40 x 49 labels = 2,001 controls

LRESULT BenchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager && manager->MessageHandler(msg, wParam, lParam, result)) return result;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::wstring LabelName(int row, int column) {
    return L"cell_" + std::to_wstring(row) + L"_" + std::to_wstring(column);
}

// The benchmark window and its tree, made once.
struct Scene {
    HWND hwnd = nullptr;
    CPaintManagerUI manager;
    std::vector<std::wstring> names;

    Scene() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = BenchProc;
        wc.lpszClassName = L"PaintManagerBench";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, L"PaintManagerBench", L"bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                 kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
        manager.Init(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&manager));
        auto* root = new CVerticalLayoutUI;
        root->SetBkColor(0xFFFFFFFF);
        for (int r = 0; r < kRows; ++r) {
            auto* row = new CHorizontalLayoutUI;
            for (int c = 0; c < kPerRow; ++c) {
                auto* label = new CLabelUI;
                const std::wstring name = LabelName(r, c);
                label->SetName(name.c_str());
                label->SetText(std::to_wstring(r * kPerRow + c).c_str());
                label->SetBkColor(((r + c) % 2) ? 0xFFE0E0F0 : 0xFFF0E0E0);
                row->Add(label);
                names.push_back(name);
            }
            root->Add(row);
        }
        manager.AttachDialog(root);
        ::UpdateWindow(hwnd);
    }
    ~Scene() {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd);
    }
};

Scene& TheScene() {
    static Scene* scene = new Scene;  // lives to the end: the display outlives the benchmarks
    return *scene;
}

void BM_LayoutAndPaint_Manager(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.manager.GetRoot()->NeedUpdate();
        ::InvalidateRect(scene.hwnd, nullptr, FALSE);
        ::UpdateWindow(scene.hwnd);
    }
    state.SetItemsProcessed(state.iterations() * (1 + kRows + kRows * kPerRow));
}
BENCHMARK(BM_LayoutAndPaint_Manager)->Unit(benchmark::kMillisecond);

// The peer: the same cells, colours and texts drawn straight with the drawing layer into an
// offscreen bitmap, then copied to the window; no tree, no layout.
void BM_LayoutAndPaint_DirectDrawing(benchmark::State& state) {
    Scene& scene = TheScene();
    HDC window = ::GetDC(scene.hwnd);
    HDC memory = ::CreateCompatibleDC(window);
    HBITMAP bitmap = ::CreateCompatibleBitmap(window, kWidth, kHeight);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const int cellHeight = kHeight / kRows;
    for (auto _ : state) {
        HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
        const RECT all = {0, 0, kWidth, kHeight};
        ::FillRect(memory, &all, white);
        ::DeleteObject(white);
        ::SelectObject(memory, font);
        ::SetBkMode(memory, TRANSPARENT);
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kPerRow; ++c) {
                RECT cell = {c * kWidth / kPerRow, r * cellHeight, (c + 1) * kWidth / kPerRow,
                             (r + 1) * cellHeight};
                HBRUSH brush = ::CreateSolidBrush(((r + c) % 2) ? RGB(0xE0, 0xE0, 0xF0)
                                                                : RGB(0xF0, 0xE0, 0xE0));
                ::FillRect(memory, &cell, brush);
                ::DeleteObject(brush);
                const std::wstring text = std::to_wstring(r * kPerRow + c);
                ::DrawTextW(memory, text.c_str(), -1, &cell,
                            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
        }
        ::BitBlt(window, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(scene.hwnd, window);
    state.SetItemsProcessed(state.iterations() * (1 + kRows + kRows * kPerRow));
}
BENCHMARK(BM_LayoutAndPaint_DirectDrawing)->Unit(benchmark::kMillisecond);

void BM_FindByName_NameMap(benchmark::State& state) {
    Scene& scene = TheScene();
    size_t i = 0;
    for (auto _ : state) {
        CControlUI* found = scene.manager.FindControl(scene.names[i].c_str());
        benchmark::DoNotOptimize(found);
        i = (i + 97) % scene.names.size();
    }
}
BENCHMARK(BM_FindByName_NameMap);

void BM_FindByName_LinearWalk(benchmark::State& state) {
    Scene& scene = TheScene();
    size_t i = 0;
    for (auto _ : state) {
        CControlUI* found = scene.manager.FindSubControlByName(nullptr, scene.names[i].c_str());
        benchmark::DoNotOptimize(found);
        i = (i + 97) % scene.names.size();
    }
}
BENCHMARK(BM_FindByName_LinearWalk);

}  // namespace

BENCHMARK_MAIN();
