// Monitors, system metrics, system parameters and colours of the display in use.
#include "platform/display/backend.h"
#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace {

// One monitor: the backend's screen.
HMONITOR const kPrimary = reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x10001));

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

HMONITOR ForRect(const RECT& r, DWORD flags) {
    RECT screen = display::Current().ScreenRect();
    RECT i;
    if (IntersectRect(&i, &screen, &r) || flags != MONITOR_DEFAULTTONULL) return kPrimary;
    return nullptr;
}

}  // namespace

HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags) {
    if (!rect) return nullptr;
    RECT r = *rect;
    if (IsRectEmpty(&r)) r = RECT{r.left, r.top, r.left + 1, r.top + 1};
    return ForRect(r, flags);
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
    RECT r{point.x, point.y, point.x + 1, point.y + 1};
    return ForRect(r, flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : kPrimary;
    return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    if (monitor != kPrimary) {
        SetLastError(ERROR_INVALID_MONITOR_HANDLE);
        return FALSE;
    }
    if (!info || info->cbSize < sizeof(MONITORINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->rcMonitor = display::Current().ScreenRect();
    info->rcWork = display::Current().WorkArea();
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

int GetSystemMetrics(int index) {
    RECT screen = display::Current().ScreenRect();
    RECT work = display::Current().WorkArea();
    const int frame = 4, padded = 4, caption = 23;
    switch (index) {
        case SM_CXSCREEN:
        case SM_CXVIRTUALSCREEN:
            return Width(screen);
        case SM_CYSCREEN:
        case SM_CYVIRTUALSCREEN:
            return Height(screen);
        case SM_XVIRTUALSCREEN:
            return screen.left;
        case SM_YVIRTUALSCREEN:
            return screen.top;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB:
            return 17;
        case SM_CYCAPTION:
        case SM_CYSMCAPTION:
            return caption;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return 3;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return frame;
        case SM_CXPADDEDBORDER:
            return padded;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        case SM_CYMENU:
            return 20;
        case SM_CXFULLSCREEN:
            return Width(work);
        case SM_CYFULLSCREEN:
            return Height(work) - caption;
        case SM_CYKANJIWINDOW:
            return 0;
        case SM_MOUSEPRESENT:
        case SM_MOUSEWHEELPRESENT:
        case SM_CMONITORS:
        case SM_SAMEDISPLAYFORMAT:
            return 1;
        case SM_DEBUG:
        case SM_SWAPBUTTON:
        case SM_REMOTESESSION:
            return 0;
        case SM_CXMIN:
        case SM_CXMINTRACK:
            return 136;
        case SM_CYMIN:
        case SM_CYMINTRACK:
            return 39;
        case SM_CXSIZE:
            return 36;
        case SM_CYSIZE:
            return 22;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
        case SM_CXDRAG:
        case SM_CYDRAG:
            return 4;
        case SM_CXICONSPACING:
        case SM_CYICONSPACING:
            return 75;
        case SM_CMOUSEBUTTONS:
            return 3;
        case SM_CXMINIMIZED:
            return 160;
        case SM_CYMINIMIZED:
            return 28;
        case SM_CXMAXTRACK:
            return Width(screen) + 2 * (frame + padded) + 12;
        case SM_CYMAXTRACK:
            return Height(screen) + 2 * (frame + padded) + 12;
        case SM_CXMAXIMIZED:
            return Width(work) + 2 * (frame + padded);
        case SM_CYMAXIMIZED:
            return Height(work) + 2 * (frame + padded);
        default:
            return 0;
    }
}

BOOL SystemParametersInfoW(UINT action, UINT, PVOID param, UINT) {
    if (!param) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    switch (action) {
        case SPI_GETWORKAREA:
            *static_cast<RECT*>(param) = display::Current().WorkArea();
            return TRUE;
        case SPI_GETMOUSEHOVERWIDTH:
        case SPI_GETMOUSEHOVERHEIGHT:
            *static_cast<UINT*>(param) = 4;
            return TRUE;
        case SPI_GETMOUSEHOVERTIME:
            *static_cast<UINT*>(param) = 400;
            return TRUE;
        case SPI_GETWHEELSCROLLLINES:
            *static_cast<UINT*>(param) = 3;
            return TRUE;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
}

DWORD GetSysColor(int index) {
    switch (index) {
        case COLOR_SCROLLBAR:
            return RGB(200, 200, 200);
        case COLOR_BACKGROUND:
            return RGB(0, 0, 0);
        case COLOR_ACTIVECAPTION:
            return RGB(153, 180, 209);
        case COLOR_INACTIVECAPTION:
            return RGB(191, 205, 219);
        case COLOR_MENU:
            return RGB(240, 240, 240);
        case COLOR_WINDOW:
            return RGB(255, 255, 255);
        case COLOR_WINDOWFRAME:
            return RGB(100, 100, 100);
        case COLOR_MENUTEXT:
        case COLOR_WINDOWTEXT:
        case COLOR_CAPTIONTEXT:
        case COLOR_BTNTEXT:
        case COLOR_INFOTEXT:
            return RGB(0, 0, 0);
        case COLOR_ACTIVEBORDER:
            return RGB(180, 180, 180);
        case COLOR_INACTIVEBORDER:
            return RGB(244, 247, 252);
        case COLOR_APPWORKSPACE:
            return RGB(171, 171, 171);
        case COLOR_HIGHLIGHT:
        case COLOR_HOTLIGHT:
        case COLOR_MENUHILIGHT:
            return RGB(0, 120, 215);
        case COLOR_HIGHLIGHTTEXT:
            return RGB(255, 255, 255);
        case COLOR_BTNFACE:
        case COLOR_MENUBAR:
            return RGB(240, 240, 240);
        case COLOR_BTNSHADOW:
            return RGB(160, 160, 160);
        case COLOR_GRAYTEXT:
            return RGB(109, 109, 109);
        case COLOR_INACTIVECAPTIONTEXT:
            return RGB(0, 0, 0);
        case COLOR_BTNHIGHLIGHT:
            return RGB(255, 255, 255);
        case COLOR_3DDKSHADOW:
            return RGB(105, 105, 105);
        case COLOR_3DLIGHT:
            return RGB(227, 227, 227);
        case COLOR_INFOBK:
            return RGB(255, 255, 225);
        case COLOR_GRADIENTACTIVECAPTION:
            return RGB(185, 209, 234);
        case COLOR_GRADIENTINACTIVECAPTION:
            return RGB(215, 228, 242);
        default:
            return 0;
    }
}

UINT GetDoubleClickTime() {
    return 500;
}
