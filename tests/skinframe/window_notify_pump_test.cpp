// Notification dispatch: entry choice within a table, the chain of base maps, handler kinds and
// virtual windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skinframe/controls/control.h"
#include "skinframe/notify_pump.h"

namespace {

class BasePump : public CNotifyPump {
  public:
    static const SKIN_MSGMAP* GetThisMessageMap();
    const SKIN_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

    void OnBaseTimer(TNotifyUI&) { log.push_back(L"base:timer"); }
    void OnBaseHelp(TNotifyUI&) { log.push_back(L"base:help"); }
    void OnBaseBad(TNotifyUI&) { log.push_back(L"base:bad"); }

    std::vector<std::wstring> log;
};

const SKIN_MSGMAP* BasePump::GetThisMessageMap() {
    static const SKIN_MSGMAP_ENTRY entries[] = {
        SkinNotifyEntry<BasePump>(DUI_MSGTYPE_TIMER, L"", &BasePump::OnBaseTimer),
        SkinNotifyEntry<BasePump>(DUI_MSGTYPE_CLICK, L"help", &BasePump::OnBaseHelp),
        SkinNotifyEntry<BasePump>(L"bad", L"", &BasePump::OnBaseBad),
        SkinEndEntry(),
    };
    static const SKIN_MSGMAP map = {&CNotifyPump::GetThisMessageMap, entries};
    return &map;
}

// Something ahead of the pump in the object, so handlers are called through an adjusted
// object address, as with the window base (whose pump is its second base).
struct Ballast {
    virtual ~Ballast() = default;
    long long data[3] = {1, 2, 3};
};

class Pump : public Ballast, public BasePump {
  public:
    static const SKIN_MSGMAP* GetThisMessageMap();
    const SKIN_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

    void OnAnyClickFirst(TNotifyUI&) { log.push_back(L"any-first"); }
    void OnOk(TNotifyUI& msg) {
        log.push_back(L"ok");
        lastSender = msg.pSender;
    }
    void OnAnyClickLast(TNotifyUI&) { log.push_back(L"any-last"); }
    void OnValue(WPARAM wParam, LPARAM lParam) {
        log.push_back(L"value:" + std::to_wstring(wParam) + L":" + std::to_wstring(lParam));
    }

    CControlUI* lastSender = nullptr;
};

const SKIN_MSGMAP* Pump::GetThisMessageMap() {
    static const SKIN_MSGMAP_ENTRY entries[] = {
        SkinNotifyEntry<Pump>(DUI_MSGTYPE_CLICK, L"", &Pump::OnAnyClickFirst),
        SkinNotifyEntry<Pump>(DUI_MSGTYPE_CLICK, L"ok", &Pump::OnOk),
        SkinNotifyEntry<Pump>(DUI_MSGTYPE_CLICK, L"", &Pump::OnAnyClickLast),
        SkinParamEntry<Pump>(DUI_MSGTYPE_VALUECHANGED, L"", &Pump::OnValue),
        // A kind no handler has ends the search, whatever the base map holds.
        {L"bad", L"", 7, {}},
        SkinEndEntry(),
    };
    static const SKIN_MSGMAP map = {&BasePump::GetThisMessageMap, entries};
    return &map;
}

TNotifyUI Notification(LPCWSTR type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

struct DispatchCase {
    const char* name;
    LPCWSTR type;
    LPCWSTR sender;  // null: no sender
    bool handled;
    std::vector<std::wstring> log;
};

TEST(WindowNotifyPumpTest, LoopDispatchPicksOneEntryAlongTheMapChain) {
    const DispatchCase cases[] = {
        {"a named entry wins over type-only entries before and after it",
         L"click",
         L"ok",
         true,
         {L"ok"}},
        {"the last type-only entry wins", L"click", L"cancel", true, {L"any-last"}},
        {"a sender without a name", L"click", L"", true, {L"any-last"}},
        {"no sender", L"click", nullptr, true, {L"any-last"}},
        {"names compare with case", L"click", L"OK", true, {L"any-last"}},
        {"types compare with case", L"Click", L"ok", false, {}},
        {"the first map with an entry wins over a named entry of its base",
         L"click",
         L"help",
         true,
         {L"any-last"}},
        {"an entry of the base map", L"timer", L"x", true, {L"base:timer"}},
        {"no entry anywhere", L"selectchanged", L"ok", false, {}},
        {"a handler of the two parameters", L"valuechanged", L"x", true, {L"value:5:-9"}},
        {"an entry of an unknown kind", L"bad", L"x", false, {}},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        Pump pump;
        CControlUI control;
        if (c.sender) control.SetName(c.sender);
        TNotifyUI msg = Notification(c.type, c.sender ? &control : nullptr, 5, -9);
        EXPECT_EQ(pump.LoopDispatch(msg), c.handled);
        EXPECT_EQ(pump.log, c.log);
        if (c.log == std::vector<std::wstring>{L"ok"}) {
            EXPECT_EQ(pump.lastSender, &control);
        }
    }
}

TEST(WindowNotifyPumpTest, VirtualWindowsAreAddedOnceAndRemovedOnce) {
    Pump owner;
    Pump sub;
    Pump other;
    EXPECT_TRUE(owner.AddVirtualWnd(L"sub", &sub));
    EXPECT_FALSE(owner.AddVirtualWnd(L"sub", &other));  // the first keeps the name
    EXPECT_TRUE(owner.RemoveVirtualWnd(L"sub"));
    EXPECT_FALSE(owner.RemoveVirtualWnd(L"sub"));
    EXPECT_TRUE(owner.AddVirtualWnd(L"sub", &other));
}

struct VirtualCase {
    const char* name;
    LPCWSTR virtualWnd;
    LPCWSTR type;
    bool virtualHandles;
    bool ownHandles;
};

TEST(WindowNotifyPumpTest, ANotificationGoesToTheVirtualWindowItNamesElseToTheOwnMaps) {
    const VirtualCase cases[] = {
        {"no virtual window named", L"", L"click", false, true},
        {"a registered virtual window", L"sub", L"click", true, false},
        {"the name without regard to case", L"SuB", L"click", true, false},
        {"a virtual window that is not registered", L"nobody", L"click", false, true},
        {"the virtual window has no entry: the own maps", L"sub", L"timer", false, true},
    };
    for (const VirtualCase& c : cases) {
        SCOPED_TRACE(c.name);
        Pump owner;
        // The virtual window only answers clicks.
        struct ClickOnly : CNotifyPump {
            static const SKIN_MSGMAP* GetThisMessageMap() {
                static const SKIN_MSGMAP_ENTRY entries[] = {
                    SkinNotifyEntry<ClickOnly>(L"click", L"", &ClickOnly::OnClick),
                    SkinEndEntry(),
                };
                static const SKIN_MSGMAP map = {&CNotifyPump::GetThisMessageMap, entries};
                return &map;
            }
            const SKIN_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
            void OnClick(TNotifyUI&) { ++clicks; }
            int clicks = 0;
        } sub;
        ASSERT_TRUE(owner.AddVirtualWnd(L"sub", &sub));
        CControlUI control;
        control.SetName(L"x");
        TNotifyUI msg = Notification(c.type, &control);
        msg.sVirtualWnd = c.virtualWnd;
        owner.NotifyPump(msg);
        EXPECT_EQ(sub.clicks, c.virtualHandles ? 1 : 0);
        EXPECT_EQ(!owner.log.empty(), c.ownHandles);
    }
}

}  // namespace
