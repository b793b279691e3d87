// The tooltip control (class "tooltips_class32"): tools, tracking, delays, and a small pop-up
// window that shows the current tool's text.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/user_internal.h"
#include "platform/win_gdi.h"
#include "platform/win_kernel.h"

namespace user {
namespace {

const LPWSTR kTextCallback = reinterpret_cast<LPWSTR>(static_cast<intptr_t>(-1));

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    HINSTANCE hinst = nullptr;
    std::wstring text;
    bool callback = false;
    LPARAM lParam = 0;
};

struct TipState {
    std::vector<Tool> tools;
    int maxWidth = -1;
    int delayInitial = 500;
    int delayAutoPop = 5000;
    int delayReshow = 100;
    bool active = true;
    bool tracking = false;
    HWND trackHwnd = nullptr;
    UINT_PTR trackId = 0;
    POINT trackPos{};
    bool trackPosSet = false;
    COLORREF back = 0;
    COLORREF textColor = 0;
    std::wstring shown;
};

TipState* StateOf(HWND hwnd) {
    return reinterpret_cast<TipState*>(GetWindowLongPtrW(hwnd, 0));
}

Tool* FindTool(TipState* s, const TOOLINFOW* ti) {
    if (!ti) return nullptr;
    auto it = std::find_if(s->tools.begin(), s->tools.end(),
                           [&](const Tool& t) { return t.hwnd == ti->hwnd && t.id == ti->uId; });
    return it == s->tools.end() ? nullptr : &*it;
}

void FillTool(Tool* t, const TOOLINFOW* ti, bool withText) {
    t->flags = ti->uFlags;
    t->hwnd = ti->hwnd;
    t->id = ti->uId;
    t->rect = ti->rect;
    t->hinst = ti->hinst;
    t->lParam = ti->lParam;
    if (withText) {
        t->callback = ti->lpszText == kTextCallback;
        // A resource string cannot be loaded here; it shows as empty text.
        t->text = (t->callback || !ti->lpszText || IS_INTRESOURCE(ti->lpszText))
                      ? std::wstring()
                      : std::wstring(ti->lpszText);
    }
}

void Hide(HWND hwnd, TipState* s) {
    s->tracking = false;
    if (IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_HIDE);
}

// Sizes the tip to its text and shows it at the tracking point, or under the pointer.
void Show(HWND hwnd, TipState* s, Tool* t) {
    s->shown = t->text;
    SetWindowTextW(hwnd, s->shown.c_str());
    HDC dc = GetDC(hwnd);
    RECT r{0, 0, s->maxWidth > 0 ? s->maxWidth : 0, 0};
    UINT fmt = DT_CALCRECT | DT_NOPREFIX | (s->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    if (dc) {
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, s->shown.c_str(), -1, &r, fmt);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }
    int cx = (r.right - r.left) + 8, cy = (r.bottom - r.top) + 6;
    POINT p;
    if ((t->flags & TTF_TRACK) && s->trackPosSet) {
        p = s->trackPos;
    } else {
        GetCursorPos(&p);
        p.y += 20;
    }
    s->tracking = true;
    SetWindowPos(hwnd, HWND_TOPMOST, p.x, p.y, cx, cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Paint(HWND hwnd, TipState* s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH back = CreateSolidBrush(s->back);
    FillRect(dc, &rc, back);
    DeleteObject(back);
    FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, s->textColor);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT text = rc;
    InflateRect(&text, -4, -3);
    UINT fmt = DT_NOPREFIX | (s->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, s->shown.c_str(), -1, &text, fmt);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT TooltipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TipState* s = msg == WM_NCCREATE ? nullptr : StateOf(hwnd);
    auto* ti = reinterpret_cast<TOOLINFOW*>(lParam);
    switch (msg) {
        case WM_NCCREATE: {
            auto* st = new TipState;
            st->back = GetSysColor(COLOR_INFOBK);
            st->textColor = GetSysColor(COLOR_INFOTEXT);
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(st));
            SetWindowLongPtrW(
                hwnd, GWL_EXSTYLE,
                GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        case WM_NCDESTROY:
            delete s;
            SetWindowLongPtrW(hwnd, 0, 0);
            return 0;
        default:
            break;
    }
    if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
        case TTM_ADDTOOLW: {
            if (!ti) return FALSE;
            Tool* t = FindTool(s, ti);
            if (!t) {
                s->tools.emplace_back();
                t = &s->tools.back();
            }
            FillTool(t, ti, true);
            return TRUE;
        }
        case TTM_DELTOOLW: {
            Tool* t = FindTool(s, ti);
            if (!t) return 0;
            if (s->tracking && s->trackHwnd == t->hwnd && s->trackId == t->id) Hide(hwnd, s);
            s->tools.erase(s->tools.begin() + (t - s->tools.data()));
            return 0;
        }
        case TTM_SETTOOLINFOW:
        case TTM_UPDATETIPTEXTW:
        case TTM_NEWTOOLRECTW: {
            Tool* t = FindTool(s, ti);
            if (!t) return 0;
            if (msg == TTM_SETTOOLINFOW) FillTool(t, ti, true);
            if (msg == TTM_NEWTOOLRECTW) t->rect = ti->rect;
            if (msg == TTM_UPDATETIPTEXTW) {
                t->callback = ti->lpszText == kTextCallback;
                t->text = (t->callback || !ti->lpszText || IS_INTRESOURCE(ti->lpszText))
                              ? std::wstring()
                              : std::wstring(ti->lpszText);
            }
            if (s->tracking && s->trackHwnd == t->hwnd && s->trackId == t->id) Show(hwnd, s, t);
            return 0;
        }
        case TTM_GETTOOLINFOW: {
            // The text stays where the caller pointed it: its buffer size is unknown here.
            Tool* t = FindTool(s, ti);
            if (!t) return FALSE;
            LPWSTR keep = ti->lpszText;
            ti->uFlags = t->flags;
            ti->rect = t->rect;
            ti->hinst = t->hinst;
            ti->lParam = t->lParam;
            ti->lpszText = keep;
            return TRUE;
        }
        case TTM_GETTEXTW: {
            Tool* t = FindTool(s, ti);
            if (!t || !ti->lpszText || IS_INTRESOURCE(ti->lpszText)) return 0;
            size_t cap = wParam ? static_cast<size_t>(wParam) : 80;
            size_t n = std::min(t->text.size(), cap - 1);
            t->text.copy(ti->lpszText, n);
            ti->lpszText[n] = L'\0';
            return static_cast<LRESULT>(n);
        }
        case TTM_GETTOOLCOUNT:
            return static_cast<LRESULT>(s->tools.size());
        case TTM_TRACKACTIVATE: {
            Tool* t = FindTool(s, ti);
            if (!wParam) {
                if (!t || (s->trackHwnd == t->hwnd && s->trackId == t->id)) Hide(hwnd, s);
                return 0;
            }
            if (!t || !s->active) return 0;
            s->trackHwnd = t->hwnd;
            s->trackId = t->id;
            Show(hwnd, s, t);
            return 0;
        }
        case TTM_TRACKPOSITION:
            s->trackPos = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            s->trackPosSet = true;
            if (s->tracking) {
                SetWindowPos(hwnd, nullptr, s->trackPos.x, s->trackPos.y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return 0;
        case TTM_SETMAXTIPWIDTH: {
            int old = s->maxWidth;
            s->maxWidth = static_cast<int>(lParam);
            return old;
        }
        case TTM_GETMAXTIPWIDTH:
            return s->maxWidth;
        case TTM_SETDELAYTIME: {
            int ms = static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam)));
            int initial = ms < 0 ? static_cast<int>(GetDoubleClickTime()) : ms;
            switch (wParam) {
                case TTDT_AUTOMATIC:
                    s->delayInitial = initial;
                    s->delayAutoPop = initial * 10;
                    s->delayReshow = initial / 5;
                    break;
                case TTDT_INITIAL:
                    s->delayInitial = initial;
                    break;
                case TTDT_AUTOPOP:
                    s->delayAutoPop = ms < 0 ? initial * 10 : ms;
                    break;
                case TTDT_RESHOW:
                    s->delayReshow = ms < 0 ? initial / 5 : ms;
                    break;
                default:
                    break;
            }
            return 0;
        }
        case TTM_GETDELAYTIME:
            switch (wParam) {
                case TTDT_INITIAL:
                    return s->delayInitial;
                case TTDT_AUTOPOP:
                    return s->delayAutoPop;
                case TTDT_RESHOW:
                    return s->delayReshow;
                default:
                    return 0;
            }
        case TTM_ACTIVATE:
            s->active = wParam != 0;
            if (!s->active) Hide(hwnd, s);
            return 0;
        case TTM_POP:
            Hide(hwnd, s);
            return 0;
        case TTM_UPDATE:
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case TTM_SETTIPBKCOLOR:
            s->back = static_cast<COLORREF>(wParam);
            return 0;
        case TTM_SETTIPTEXTCOLOR:
            s->textColor = static_cast<COLORREF>(wParam);
            return 0;
        case TTM_GETTIPBKCOLOR:
            return s->back;
        case TTM_GETTIPTEXTCOLOR:
            return s->textColor;
        case TTM_HITTESTW:
        case TTM_RELAYEVENT:
            return 0;
        case WM_PAINT:
            Paint(hwnd, s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace user

using namespace user;

void InitCommonControls() {
    RegisterSystemClasses();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
    if (!icc) return FALSE;
    RegisterSystemClasses();
    return TRUE;
}
