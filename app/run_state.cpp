#include "app/run_state.h"

HWND g_hMainWnd = nullptr;
std::atomic<int32_t> g_nRunResult{kRunNotStarted};
std::atomic<int32_t> g_bRepairDone{0};
