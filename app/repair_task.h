// The repair run: tell the page it is working, rewrite the hosts file, pause, tell the page it is
// done, record the outcome and ask the main window to end the run in the page.
#pragma once

#include <atomic>
#include <string>

#include "platform/win_base.h"

// The fixed pause between the rewrite and the last progress record.
constexpr DWORD kRepairPauseMs = 4000;

// "Changing the IE browser settings, please wait..." and "Repair complete, reopen IE to check".
constexpr const wchar_t kProgressTipWorking[] = L"正在更改IE浏览器设置，请稍后...";
constexpr const wchar_t kProgressTipDone[] = L"修复完成，请重新打开IE浏览器验证效果";
constexpr const wchar_t kRenderMainFunction[] = L"RenderMain";

struct RepairOptions {
    std::string hostsPath = IEFIX_HOSTS_FILE;
    DWORD pauseMs = kRepairPauseMs;
};

class RepairTask {
  public:
    static RepairTask& Instance();

    // Starts the procedure on a detached worker thread, unless a run is already under way: two
    // runs must never rewrite the hosts file at once. Returns whether a worker was started.
    bool Start(const RepairOptions& options = {});
    // The procedure, on the calling thread (the worker's own procedure). Returns at once, doing
    // nothing, while another run is under way.
    void Run(const RepairOptions& options = {});
    // Sends one progress record to the main window and returns once the page has run it.
    void SendProgress(int value, const std::wstring& tip);

    // True from the start of a run until its finish message has been handled.
    bool IsRunning() const { return m_bRunning.load(); }

    RepairTask(const RepairTask&) = delete;
    RepairTask& operator=(const RepairTask&) = delete;

  private:
    RepairTask() = default;
    void RunClaimed(const RepairOptions& options);

    std::atomic<bool> m_bRunning{false};
};
