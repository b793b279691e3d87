// The values and window messages the shell's pieces share: the main window's handle, how the
// run went, and the custom messages that reach the main window from the page and the worker.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win_user.h"

// Custom messages of the main window. WM_USER + 104 and + 105 are unused.
constexpr UINT WM_WND_MOVE = WM_USER + 101;      // wParam, lParam: signed x and y offsets
constexpr UINT WM_START_CHECK = WM_USER + 102;   // starts a repair run
constexpr UINT WM_CALL_PAGE = WM_USER + 103;     // wParam: page function name, lParam: JSON text
constexpr UINT WM_FEED_BACK = WM_USER + 106;     // wParam: feedback page number
constexpr UINT WM_CHECK_FINISH = WM_USER + 107;  // the run has finished

// Set once by the main window before any worker exists; null until then, and a message sent
// to a null window goes nowhere.
extern HWND g_hMainWnd;

// Run result codes kept in g_nRunResult.
constexpr int32_t kRunNotStarted = 1;
constexpr int32_t kRunStarted = 2;
constexpr int32_t kRunFinished = 5;

// Written by the page bridge (started) and the worker (finished), read when the window closes;
// atomic because the worker writes while the user-interface thread may read.
extern std::atomic<int32_t> g_nRunResult;
// 1 once any run has finished; never cleared.
extern std::atomic<int32_t> g_bRepairDone;
