// Notification dispatch through static per-class message maps, plus named virtual windows: other
// pumps that receive the notifications whose controls name them.
//
// A class that handles notifications keeps a static table and a static getter, and overrides
// GetMessageMap:
//
//   const SKIN_MSGMAP* MyWnd::GetThisMessageMap() {
//       static const SKIN_MSGMAP_ENTRY entries[] = {
//           SkinNotifyEntry<&MyWnd::OnOk>(DUI_MSGTYPE_CLICK, L"okbtn"),
//           SkinParamEntry<&MyWnd::OnTick>(DUI_MSGTYPE_TIMER, L""),
//           SkinEndEntry(),
//       };
//       static const SKIN_MSGMAP map = {&WindowImplBase::GetThisMessageMap, entries};
//       return &map;
//   }
//   const SKIN_MSGMAP* MyWnd::GetMessageMap() const { return GetThisMessageMap(); }
#pragma once

#include "skinframe/skin_string.h"
#include "skinframe/std_string_ptr_map.h"
#include "skinframe/ui_defs.h"

class CNotifyPump;

// A handler is a member function of the class that declared the table, called on the pump
// object. The entry holds it as a small function that sees the pump as that class and calls the
// member (virtually, when the member is virtual).
using SKIN_PMSG = void (*)(CNotifyPump* pump, TNotifyUI& msg);

enum SkinMsgSig : UINT {
    SkinSig_end = 0,  // ends the table
    SkinSig_lwl = 1,  // handler(wParam, lParam)
    SkinSig_vn = 2,   // handler(TNotifyUI&)
};

struct SKIN_MSGMAP_ENTRY {
    CSkinString sMsgType;
    // Empty: any sender.
    CSkinString sCtrlName;
    UINT nSig;
    SKIN_PMSG pfn;
};

struct SKIN_MSGMAP {
    const SKIN_MSGMAP* (*pfnGetBaseMap)();
    const SKIN_MSGMAP_ENTRY* lpEntries;
};

template <class Member>
struct SkinMemberClass;
template <class Class, class Function>
struct SkinMemberClass<Function Class::*> {
    using type = Class;
};

template <auto Handler>
void SkinCallNotify(CNotifyPump* pump, TNotifyUI& msg) {
    using T = typename SkinMemberClass<decltype(Handler)>::type;
    (static_cast<T*>(pump)->*Handler)(msg);
}

template <auto Handler>
void SkinCallParams(CNotifyPump* pump, TNotifyUI& msg) {
    using T = typename SkinMemberClass<decltype(Handler)>::type;
    (static_cast<T*>(pump)->*Handler)(msg.wParam, msg.lParam);
}

// An entry whose handler takes the notification: SkinNotifyEntry<&MyWnd::OnOk>(type, name).
template <auto Handler>
SKIN_MSGMAP_ENTRY SkinNotifyEntry(LPCWSTR type, LPCWSTR name) {
    return {type, name, SkinSig_vn, &SkinCallNotify<Handler>};
}

// An entry whose handler takes the notification's wParam and lParam.
template <auto Handler>
SKIN_MSGMAP_ENTRY SkinParamEntry(LPCWSTR type, LPCWSTR name) {
    return {type, name, SkinSig_lwl, &SkinCallParams<Handler>};
}

inline SKIN_MSGMAP_ENTRY SkinEndEntry() {
    return {CSkinString(), CSkinString(), SkinSig_end, nullptr};
}

class CNotifyPump {
  public:
    CNotifyPump();

    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    // False when the name is already taken (the first pump keeps it). The pump is not owned.
    bool AddVirtualWnd(CSkinString strName, CNotifyPump* pObject);
    bool RemoveVirtualWnd(CSkinString strName);
    // Offers the notification to the virtual window it names, then to this pump's own maps.
    void NotifyPump(TNotifyUI& msg);
    // This pump's own maps only: true when a handler ran.
    bool LoopDispatch(TNotifyUI& msg);

    virtual const SKIN_MSGMAP* GetMessageMap() const;
    static const SKIN_MSGMAP* GetThisMessageMap();

  protected:
    ~CNotifyPump() = default;

  private:
    // The entry for the notification in one table: a named entry at once, else the last
    // type-only entry, else null.
    static const SKIN_MSGMAP_ENTRY* FindMessageEntry(const SKIN_MSGMAP_ENTRY* lpEntry,
                                                     const TNotifyUI& msg);

    CStdStringPtrMap m_VirtualWndMap;
};
