// A skinned test window on the window base that records what reaches its overridable parts.
#pragma once

#include <cwchar>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "skinframe/controls/controls.h"
#include "skinframe/window_impl_base.h"
#include "window_fixture.h"

namespace wndtest {

// Points the skin folder at the window fixtures for the life of the object.
class WindowFixtureFolder {
  public:
    WindowFixtureFolder() { CPaintManagerUI::SetResourcePath(L"" IEFIX_WINDOW_FIXTURES); }
    ~WindowFixtureFolder() { CPaintManagerUI::SetResourcePath(L""); }
};

// A button that remembers the keys it was given.
class KeyProbe : public CButtonUI {
  public:
    void DoEvent(TEventUI& event) override {
        if (event.Type == UIEVENT_KEYDOWN) keys.push_back(event.chKey);
        CButtonUI::DoEvent(event);
    }
    std::vector<WORD> keys;
};

struct SeenMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class SkinWnd : public WindowImplBase {
  public:
    using CustomHandler = std::function<LRESULT(UINT, WPARAM, LPARAM, BOOL&)>;

    explicit SkinWnd(CSkinString layout) : layout_(std::move(layout)) {}
    ~SkinWnd() override {
        if (::IsWindow(GetHWND())) ::DestroyWindow(GetHWND());
    }

    LPCWSTR GetWindowClassName() const override { return L"WindowSkinTest"; }
    CSkinString GetLayoutFile() const override { return layout_; }

    void InitWindow() override {
        ++inits;
        rootAtInit = m_PaintManager.GetRoot();
    }
    void OnClick(TNotifyUI& msg) override {
        clicks.push_back(msg.pSender ? msg.pSender->GetName().GetData() : L"-");
        WindowImplBase::OnClick(msg);
    }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({uMsg, wParam, lParam});
        return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    }
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
        closes.push_back(wParam);
        return WindowImplBase::OnClose(uMsg, wParam, lParam, bHandled);
    }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
        custom.push_back({uMsg, wParam, static_cast<LPARAM>(bHandled)});
        if (customHandler) return customHandler(uMsg, wParam, lParam, bHandled);
        return WindowImplBase::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    }
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override {
        defaultKeys.push_back(wParam);
        return WindowImplBase::ResponseDefaultKeyEvent(wParam);
    }
    CControlUI* CreateControl(LPCWSTR pstrClass) override {
        if (std::wcscmp(pstrClass, L"KeyProbe") == 0) return new KeyProbe;
        return WindowImplBase::CreateControl(pstrClass);
    }

    // Messages of one kind that reached HandleMessage, in order.
    std::vector<SeenMessage> Seen(UINT msg) const {
        std::vector<SeenMessage> out;
        for (const SeenMessage& m : seen) {
            if (m.msg == msg) out.push_back(m);
        }
        return out;
    }
    // Whether HandleCustomMessage was offered a message (with that wParam, unless ~0).
    bool CustomSaw(UINT msg, WPARAM wParam = ~WPARAM{0}) const {
        for (const SeenMessage& m : custom) {
            if (m.msg == msg && (wParam == ~WPARAM{0} || m.wParam == wParam)) return true;
        }
        return false;
    }
    CControlUI* Find(LPCWSTR name) { return m_PaintManager.FindControl(name); }

    int inits = 0;
    CControlUI* rootAtInit = nullptr;
    std::vector<std::wstring> clicks;
    std::vector<WPARAM> closes;
    std::vector<WPARAM> defaultKeys;
    std::vector<SeenMessage> seen;
    // lParam holds the handled flag as HandleCustomMessage received it.
    std::vector<SeenMessage> custom;
    CustomHandler customHandler;

  private:
    CSkinString layout_;
};

// Creates a window the way start-up does: visible, overlapped with its caption, default place.
inline HWND CreateLikeStartUp(SkinWnd& wnd) {
    return wnd.Create(nullptr, L"Mavri", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
}

}  // namespace wndtest
