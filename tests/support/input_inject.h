// Small wrappers over SendInput for tests: pointer moves, clicks, wheel turns and keys.
#pragma once

#include <string>

#include "platform/win_user.h"

namespace inject {

// Moves the pointer to a screen point.
inline void MoveTo(int x, int y) {
    POINT now;
    GetCursorPos(&now);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    in.mi.dx = x - now.x;
    in.mi.dy = y - now.y;
    SendInput(1, &in, sizeof(in));
}

// Button events (MOUSEEVENTF_LEFTDOWN, ...) at the pointer; time 0 means now.
inline void Buttons(DWORD flags, DWORD time = 0, DWORD data = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.time = time;
    in.mi.mouseData = data;
    SendInput(1, &in, sizeof(in));
}

inline void Click(int x, int y, DWORD time = 0) {
    MoveTo(x, y);
    Buttons(MOUSEEVENTF_LEFTDOWN, time);
    Buttons(MOUSEEVENTF_LEFTUP, time);
}

inline void RightClick(int x, int y) {
    MoveTo(x, y);
    Buttons(MOUSEEVENTF_RIGHTDOWN);
    Buttons(MOUSEEVENTF_RIGHTUP);
}

inline void Wheel(int delta) {
    Buttons(MOUSEEVENTF_WHEEL, 0, static_cast<DWORD>(delta));
}

inline void Key(WORD vk, bool up, DWORD flags = 0) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = flags | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &in, sizeof(in));
}

inline void Press(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}

// Types text as the keyboard would for plain letters, digits and spaces, and as Unicode
// packets for everything else.
inline void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L' ') {
            Press(static_cast<WORD>(c >= L'a' ? c - L'a' + 'A' : c));
        } else if (c >= L'A' && c <= L'Z') {
            Key(VK_SHIFT, false);
            Press(static_cast<WORD>(c));
            Key(VK_SHIFT, true);
        } else {
            INPUT in[2] = {};
            for (int i = 0; i < 2; ++i) {
                in[i].type = INPUT_KEYBOARD;
                in[i].ki.wScan = static_cast<WORD>(c);
                in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
            }
            SendInput(2, in, sizeof(INPUT));
        }
    }
}

}  // namespace inject
