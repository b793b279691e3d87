// Window classes: registration, lookup by name or atom, superclassing support.
#include <algorithm>
#include <cstring>
#include <cwctype>
#include <map>

#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace user {
namespace {

struct ClassTable {
    std::map<std::wstring, std::shared_ptr<WindowClass>> byName;  // folded names
    std::map<ATOM, std::shared_ptr<WindowClass>> byAtom;
};

ClassTable& Classes() {
    static ClassTable* table = new ClassTable;
    return *table;
}

}  // namespace

// Atoms and registered message numbers share one range, as they do on Windows.
ATOM NextAtomLocked() {
    static ATOM next = 0xC000;
    return next < 0xFFFF ? next++ : 0;
}

std::wstring FoldCase(const std::wstring& s) {
    std::wstring out(s);
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

std::shared_ptr<WindowClass> FindClassLocked(LPCWSTR nameOrAtom) {
    if (!nameOrAtom) return nullptr;
    auto& t = Classes();
    if (IS_INTRESOURCE(nameOrAtom)) {
        auto it = t.byAtom.find(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom)));
        return it == t.byAtom.end() ? nullptr : it->second;
    }
    auto it = t.byName.find(FoldCase(nameOrAtom));
    return it == t.byName.end() ? nullptr : it->second;
}

static ATOM RegisterLocked(const WNDCLASSEXW& wc) {
    if (!wc.lpszClassName || IS_INTRESOURCE(wc.lpszClassName) || !wc.lpszClassName[0] ||
        wc.cbClsExtra < 0 || wc.cbWndExtra < 0 || wc.cbClsExtra > 40960 || wc.cbWndExtra > 40960) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindClassLocked(wc.lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ATOM atom = NextAtomLocked();
    if (!atom) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->name = wc.lpszClassName;
    c->atom = atom;
    c->style = wc.style;
    c->proc = wc.lpfnWndProc;
    c->clsExtra = wc.cbClsExtra;
    c->wndExtra = wc.cbWndExtra;
    c->instance = wc.hInstance;
    c->icon = wc.hIcon;
    c->iconSmall = wc.hIconSm;
    c->cursor = wc.hCursor;
    c->background = wc.hbrBackground;
    c->extra.assign(static_cast<size_t>(wc.cbClsExtra), 0);
    Classes().byName[FoldCase(c->name)] = c;
    Classes().byAtom[atom] = c;
    return atom;
}

void RegisterSystemClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS | CS_SAVEBITS;
        wc.lpfnWndProc = TooltipProc;
        wc.cbWndExtra = sizeof(void*);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = TOOLTIPS_CLASSW;
        TreeGuard g(TreeLock());
        RegisterLocked(wc);
    });
}

}  // namespace user

using namespace user;

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    RegisterSystemClasses();
    TreeGuard g(TreeLock());
    return RegisterLocked(*wc);
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof(ex);
    ex.style = wc->style;
    ex.lpfnWndProc = wc->lpfnWndProc;
    ex.cbClsExtra = wc->cbClsExtra;
    ex.cbWndExtra = wc->cbWndExtra;
    ex.hInstance = wc->hInstance;
    ex.hIcon = wc->hIcon;
    ex.hCursor = wc->hCursor;
    ex.hbrBackground = wc->hbrBackground;
    ex.lpszMenuName = wc->lpszMenuName;
    ex.lpszClassName = wc->lpszClassName;
    return RegisterClassExW(&ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    TreeGuard g(TreeLock());
    auto c = FindClassLocked(className);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    Classes().byName.erase(FoldCase(c->name));
    Classes().byAtom.erase(c->atom);
    return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, LPWNDCLASSEXW wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RegisterSystemClasses();
    TreeGuard g(TreeLock());
    auto c = FindClassLocked(className);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    UINT size = wc->cbSize;
    *wc = WNDCLASSEXW{};
    wc->cbSize = size;
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->cbClsExtra = c->clsExtra;
    wc->cbWndExtra = c->wndExtra;
    wc->hInstance = c->instance;
    wc->hIcon = c->icon;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszMenuName = nullptr;
    wc->lpszClassName = className;
    wc->hIconSm = c->iconSmall;
    return c->atom;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
    if (!buffer || maxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const std::wstring& name = w->cls->name;
    size_t n = std::min(name.size(), static_cast<size_t>(maxCount - 1));
    name.copy(buffer, n);
    buffer[n] = L'\0';
    return static_cast<int>(n);
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index) {
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const WindowClass& c = *w->cls;
    switch (index) {
        case GCLP_HBRBACKGROUND:
            return reinterpret_cast<ULONG_PTR>(c.background);
        case GCLP_HCURSOR:
            return reinterpret_cast<ULONG_PTR>(c.cursor);
        case GCLP_HICON:
            return reinterpret_cast<ULONG_PTR>(c.icon);
        case GCLP_HICONSM:
            return reinterpret_cast<ULONG_PTR>(c.iconSmall);
        case GCLP_HMODULE:
            return reinterpret_cast<ULONG_PTR>(c.instance);
        case GCL_CBWNDEXTRA:
            return static_cast<ULONG_PTR>(c.wndExtra);
        case GCL_CBCLSEXTRA:
            return static_cast<ULONG_PTR>(c.clsExtra);
        case GCLP_WNDPROC:
            return reinterpret_cast<ULONG_PTR>(c.proc);
        case GCL_STYLE:
            return c.style;
        case GCW_ATOM:
            return c.atom;
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(ULONG_PTR) <= c.extra.size()) {
        ULONG_PTR v;
        std::memcpy(&v, c.extra.data() + index, sizeof(v));
        return v;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WindowClass& c = *w->cls;
    ULONG_PTR old = 0;
    auto swapHandle = [&](auto& field) {
        old = reinterpret_cast<ULONG_PTR>(field);
        field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(value);
    };
    switch (index) {
        case GCLP_HBRBACKGROUND:
            swapHandle(c.background);
            return old;
        case GCLP_HCURSOR:
            swapHandle(c.cursor);
            return old;
        case GCLP_HICON:
            swapHandle(c.icon);
            return old;
        case GCLP_HICONSM:
            swapHandle(c.iconSmall);
            return old;
        case GCLP_WNDPROC:
            swapHandle(c.proc);
            return old;
        case GCL_STYLE:
            old = c.style;
            c.style = static_cast<UINT>(value);
            return old;
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(ULONG_PTR) <= c.extra.size()) {
        std::memcpy(&old, c.extra.data() + index, sizeof(old));
        std::memcpy(c.extra.data() + index, &value, sizeof(value));
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

UINT RegisterWindowMessageW(LPCWSTR name) {
    if (!name || !name[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static std::map<std::wstring, UINT>* messages = new std::map<std::wstring, UINT>;
    TreeGuard g(TreeLock());
    auto key = FoldCase(name);
    auto it = messages->find(key);
    if (it != messages->end()) return it->second;
    ATOM atom = NextAtomLocked();
    if (atom) (*messages)[key] = atom;
    return atom;
}
