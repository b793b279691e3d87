// Input-method contexts. There is no input method here; a context only records where the
// program asked the composition and candidate windows to appear, so that it can be read back.
#include <map>
#include <mutex>

#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace {

struct Context {
    HWND hwnd = nullptr;
    bool compositionSet = false;
    COMPOSITIONFORM composition{};
    bool candidateSet[4] = {};
    CANDIDATEFORM candidate[4] = {};
};

std::mutex g_lock;
std::map<HWND, HIMC>& ByWindow() {
    static auto* m = new std::map<HWND, HIMC>;
    return *m;
}
std::map<HIMC, Context>& Contexts() {
    static auto* m = new std::map<HIMC, Context>;
    return *m;
}

Context* Find(HIMC himc) {
    auto it = Contexts().find(himc);
    return it == Contexts().end() ? nullptr : &it->second;
}

}  // namespace

// Each window has a context of its own, made on first use.
HIMC ImmGetContext(HWND hwnd) {
    if (!IsWindow(hwnd)) return nullptr;
    std::lock_guard<std::mutex> l(g_lock);
    auto it = ByWindow().find(hwnd);
    if (it != ByWindow().end()) return it->second;
    static uintptr_t next = 0x6000;
    HIMC himc = reinterpret_cast<HIMC>(next += 4);
    ByWindow()[hwnd] = himc;
    Contexts()[himc].hwnd = hwnd;
    return himc;
}

BOOL ImmReleaseContext(HWND, HIMC himc) {
    std::lock_guard<std::mutex> l(g_lock);
    return Find(himc) ? TRUE : FALSE;
}

BOOL ImmSetCompositionWindow(HIMC himc, LPCOMPOSITIONFORM form) {
    if (!form) return FALSE;
    std::lock_guard<std::mutex> l(g_lock);
    Context* c = Find(himc);
    if (!c) return FALSE;
    c->composition = *form;
    c->compositionSet = true;
    return TRUE;
}

BOOL ImmGetCompositionWindow(HIMC himc, LPCOMPOSITIONFORM form) {
    if (!form) return FALSE;
    std::lock_guard<std::mutex> l(g_lock);
    Context* c = Find(himc);
    if (!c || !c->compositionSet) return FALSE;
    *form = c->composition;
    return TRUE;
}

BOOL ImmSetCandidateWindow(HIMC himc, LPCANDIDATEFORM form) {
    if (!form || form->dwIndex >= 4) return FALSE;
    std::lock_guard<std::mutex> l(g_lock);
    Context* c = Find(himc);
    if (!c) return FALSE;
    c->candidate[form->dwIndex] = *form;
    c->candidateSet[form->dwIndex] = true;
    return TRUE;
}

BOOL ImmGetCandidateWindow(HIMC himc, DWORD index, LPCANDIDATEFORM form) {
    if (!form || index >= 4) return FALSE;
    std::lock_guard<std::mutex> l(g_lock);
    Context* c = Find(himc);
    if (!c || !c->candidateSet[index]) return FALSE;
    *form = c->candidate[index];
    return TRUE;
}
