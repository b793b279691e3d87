#include "app/repair_task.h"

#include <system_error>
#include <thread>

#include "app/hosts_fixer.h"
#include "app/progress_record.h"
#include "app/run_state.h"
#include "platform/win_kernel.h"
#include "platform/win_user.h"
#include "sys/text_convert.h"

RepairTask& RepairTask::Instance() {
    static RepairTask instance;
    return instance;
}

bool RepairTask::Start(const RepairOptions& options) {
    bool idle = false;
    if (!m_bRunning.compare_exchange_strong(idle, true)) return false;
    try {
        std::thread([this, options] { RunClaimed(options); }).detach();
    } catch (const std::system_error&) {
        m_bRunning.store(false);
        return false;
    }
    return true;
}

void RepairTask::Run(const RepairOptions& options) {
    bool idle = false;
    if (!m_bRunning.compare_exchange_strong(idle, true)) return;
    RunClaimed(options);
}

void RepairTask::RunClaimed(const RepairOptions& options) {
    SendProgress(80, kProgressTipWorking);
    // The run ends the same way whether or not the file could be changed.
    HostsFixer::Instance().FixHostsAt(options.hostsPath);
    Sleep(options.pauseMs);
    SendProgress(100, kProgressTipDone);
    g_nRunResult.store(kRunFinished);
    g_bRepairDone.store(1);
    SendMessageW(g_hMainWnd, WM_CHECK_FINISH, 0, 0);
    // Only now may another run start: its first record must reach the page after this finish.
    m_bRunning.store(false);
}

void RepairTask::SendProgress(int value, const std::wstring& tip) {
    std::wstring json = AnsiToWide(WriteProgressRecord(value, WideToAnsi(tip)));
    // Both texts live until the send returns, which is when the page has run the function.
    SendMessageW(g_hMainWnd, WM_CALL_PAGE, reinterpret_cast<WPARAM>(kRenderMainFunction),
                 reinterpret_cast<LPARAM>(json.c_str()));
}
