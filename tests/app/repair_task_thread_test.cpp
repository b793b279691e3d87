#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/hosts_fixer.h"
#include "app/repair_task.h"
#include "app/run_state.h"
#include "platform/win_user.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::wstring kRecord80 =
    L"{\"progress_tip\":\"正在更改IE浏览器设置，请稍后...\",\"progress_value\":80}\n";
const std::wstring kRecord100 =
    L"{\"progress_tip\":\"修复完成，请重新打开IE浏览器验证效果\",\"progress_value\":100}\n";
const std::string kLoopback = std::string("\n127.0.0.1 ") + kSettingsHost;

// What reached the main window, and how things stood at that moment.
struct Arrival {
    UINT message = 0;
    std::wstring function;
    std::wstring json;
    int32_t runResult = 0;
    int32_t repairDone = 0;
    std::string hosts;  // the hosts file's content when the message arrived
    Clock::time_point at;
};

// A stand-in for the main window: a window on a user-interface thread of its own that records
// every message the worker sends it.
class PageWindow {
  public:
    // `onArrival` runs on the user-interface thread inside the handler, after recording.
    PageWindow(std::string hostsPath, std::function<void(const Arrival&)> onArrival = {})
        : hostsPath_(std::move(hostsPath)), onArrival_(std::move(onArrival)) {
        std::promise<HWND> created;
        ui_ = std::thread([this, &created] { Loop(created); });
        hwnd_ = created.get_future().get();
    }

    ~PageWindow() {
        if (hwnd_ != nullptr) PostMessageW(hwnd_, kCloseMessage, 0, 0);
        ui_.join();
    }

    HWND hwnd() const { return hwnd_; }

    // Waits (bounded) for the finish message, then until the run no longer counts as under way,
    // and hands over everything that arrived since the last call.
    std::vector<Arrival> WaitForFinish(std::chrono::seconds limit = std::chrono::seconds(15)) {
        std::unique_lock<std::mutex> hold(lock_);
        arrived_.wait_for(hold, limit, [this] {
            return !arrivals_.empty() && arrivals_.back().message == WM_CHECK_FINISH;
        });
        std::vector<Arrival> result = std::move(arrivals_);
        arrivals_.clear();
        hold.unlock();
        Clock::time_point until = Clock::now() + limit;
        while (RepairTask::Instance().IsRunning() && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_FALSE(RepairTask::Instance().IsRunning());
        return result;
    }

  private:
    static constexpr UINT kCloseMessage = WM_USER + 900;
    static inline PageWindow* current_ = nullptr;

    void Loop(std::promise<HWND>& created) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &PageWindow::Proc;
        wc.lpszClassName = L"RepairTestPage";
        RegisterClassW(&wc);  // a second window finds the class already there
        current_ = this;
        HWND hwnd = CreateWindowExW(0, L"RepairTestPage", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
        created.set_value(hwnd);
        if (hwnd == nullptr) return;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }

    static LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        PageWindow* self = current_;
        if (message == kCloseMessage) {
            DestroyWindow(hwnd);
            PostQuitMessage(0);
            return 0;
        }
        if (message != WM_CALL_PAGE && message != WM_CHECK_FINISH)
            return DefWindowProcW(hwnd, message, wParam, lParam);

        Arrival arrival;
        arrival.message = message;
        if (message == WM_CALL_PAGE) {
            arrival.function = reinterpret_cast<const wchar_t*>(wParam);
            arrival.json = reinterpret_cast<const wchar_t*>(lParam);
        }
        arrival.runResult = g_nRunResult.load();
        arrival.repairDone = g_bRepairDone.load();
        arrival.hosts = TempDir::Read(self->hostsPath_);
        arrival.at = Clock::now();
        {
            std::lock_guard<std::mutex> hold(self->lock_);
            self->arrivals_.push_back(arrival);
        }
        if (self->onArrival_) self->onArrival_(arrival);
        self->arrived_.notify_all();
        return 1;
    }

    std::string hostsPath_;
    std::function<void(const Arrival&)> onArrival_;
    std::thread ui_;
    HWND hwnd_ = nullptr;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Arrival> arrivals_;
};

// Checks one run's arrivals: 80, then 100, then the finish, with the run state the page and the
// close sequence would see at each moment.
void ExpectOneRun(const std::vector<Arrival>& arrivals, int32_t doneBefore) {
    ASSERT_EQ(arrivals.size(), 3u);
    EXPECT_EQ(arrivals[0].message, WM_CALL_PAGE);
    EXPECT_EQ(arrivals[0].function, L"RenderMain");
    EXPECT_EQ(arrivals[0].json, kRecord80);
    EXPECT_EQ(arrivals[1].message, WM_CALL_PAGE);
    EXPECT_EQ(arrivals[1].function, L"RenderMain");
    EXPECT_EQ(arrivals[1].json, kRecord100);
    EXPECT_EQ(arrivals[2].message, WM_CHECK_FINISH);
    for (int i : {0, 1}) {
        EXPECT_EQ(arrivals[i].runResult, kRunStarted) << i;
        EXPECT_EQ(arrivals[i].repairDone, doneBefore) << i;
    }
    EXPECT_EQ(arrivals[2].runResult, kRunFinished);
    EXPECT_EQ(arrivals[2].repairDone, 1);
}

class RepairRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_nRunResult.store(kRunNotStarted);
        g_bRepairDone.store(0);
        hosts_ = dir_.File("hosts");
    }
    void TearDown() override { g_hMainWnd = nullptr; }

    // What the page's startCheck does before the main window starts the worker.
    static void PageStartsCheck(HWND window) {
        g_hMainWnd = window;
        g_nRunResult.store(kRunStarted);
    }

    TempDir dir_;
    std::string hosts_;
};

TEST_F(RepairRunTest, TwoRunsEndToEnd) {
    const std::string input = "127.0.0.1 localhost\n";
    const std::string once = input + kLoopback;
    TempDir::Write(hosts_, input);
    PageWindow page(hosts_);

    // The first run waits the real pause.
    PageStartsCheck(page.hwnd());
    ASSERT_TRUE(RepairTask::Instance().Start({hosts_}));
    std::vector<Arrival> first = page.WaitForFinish();
    ExpectOneRun(first, 0);
    ASSERT_EQ(first.size(), 3u);
    // The page hears of the work before the file changes, and of the end after it changed.
    EXPECT_EQ(first[0].hosts, input);
    EXPECT_EQ(first[1].hosts, once);
    EXPECT_GE(first[1].at - first[0].at, std::chrono::milliseconds(kRepairPauseMs));
    EXPECT_EQ(TempDir::Read(hosts_), once);

    // A second run repeats everything; the done flag is never cleared.
    PageStartsCheck(page.hwnd());
    ASSERT_TRUE(RepairTask::Instance().Start({hosts_, 0}));
    ExpectOneRun(page.WaitForFinish(), 1);
    EXPECT_EQ(TempDir::Read(hosts_), input + "\n#127.0.0.1 " + kSettingsHost + kLoopback);
    EXPECT_EQ(g_nRunResult.load(), kRunFinished);
    EXPECT_EQ(g_bRepairDone.load(), 1);
}

TEST_F(RepairRunTest, UnopenableHostsFileEndsTheSameWay) {
    PageWindow page(hosts_);
    PageStartsCheck(page.hwnd());
    ASSERT_TRUE(RepairTask::Instance().Start({hosts_, 0}));
    ExpectOneRun(page.WaitForFinish(), 0);
    EXPECT_FALSE(std::filesystem::exists(hosts_));
}

TEST_F(RepairRunTest, StartDuringRunStartsNothing) {
    TempDir::Write(hosts_, "a\n");
    bool startedAgain = true;
    // The main window handles a startCheck on its own thread, here while the first record of the
    // run is being shown: neither a new worker nor the procedure itself may run again.
    PageWindow page(hosts_, [&](const Arrival& arrival) {
        if (arrival.message != WM_CALL_PAGE || arrival.json != kRecord80) return;
        startedAgain = RepairTask::Instance().Start({hosts_, 0});
        RepairTask::Instance().Run({hosts_, 0});
    });
    PageStartsCheck(page.hwnd());
    ASSERT_TRUE(RepairTask::Instance().Start({hosts_, 0}));
    ExpectOneRun(page.WaitForFinish(), 0);
    EXPECT_FALSE(startedAgain);
    EXPECT_EQ(TempDir::Read(hosts_), "a\n" + kLoopback);
}

TEST_F(RepairRunTest, RunWithoutMainWindowStillFinishes) {
    // Before the window exists the messages go nowhere and the procedure goes on.
    TempDir::Write(hosts_, "a");
    PageStartsCheck(nullptr);
    RepairTask::Instance().Run({hosts_, 0});
    EXPECT_EQ(g_nRunResult.load(), kRunFinished);
    EXPECT_EQ(g_bRepairDone.load(), 1);
    EXPECT_EQ(TempDir::Read(hosts_), "a" + kLoopback);
    EXPECT_FALSE(RepairTask::Instance().IsRunning());
}

}  // namespace
