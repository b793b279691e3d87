// Notification dispatch through static per-class message maps, plus named virtual windows: other
// pumps that receive the notifications whose controls name them.
//
// A class that handles notifications keeps a static table and a static getter, and overrides
// GetMessageMap:
//
//   const SKIN_MSGMAP* MyWnd::GetThisMessageMap() {
//       static const SKIN_MSGMAP_ENTRY entries[] = {
//           SkinNotifyEntry<MyWnd>(DUI_MSGTYPE_CLICK, L"okbtn", &MyWnd::OnOk),
//           SkinParamEntry<MyWnd>(DUI_MSGTYPE_TIMER, L"", &MyWnd::OnTick),
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

// Handlers are members of the pump's class, called on the pump object; they are stored as
// members of CNotifyPump (a derived class's member converts to that without loss).
using SKIN_PMSG = void (CNotifyPump::*)(TNotifyUI& msg);
using SKIN_PMSG_PARAMS = void (CNotifyPump::*)(WPARAM wParam, LPARAM lParam);

enum SkinMsgSig : UINT {
    SkinSig_end = 0,  // ends the table
    SkinSig_lwl = 1,  // handler(wParam, lParam)
    SkinSig_vn = 2,   // handler(TNotifyUI&)
};

// The member that is set is the one the entry's kind names.
union SKIN_MSGMAP_HANDLER {
    SKIN_PMSG pfn_Notify;
    SKIN_PMSG_PARAMS pfn_Params;
};

struct SKIN_MSGMAP_ENTRY {
    CSkinString sMsgType;
    // Empty: any sender.
    CSkinString sCtrlName;
    UINT nSig;
    SKIN_MSGMAP_HANDLER pfn;
};

struct SKIN_MSGMAP {
    const SKIN_MSGMAP* (*pfnGetBaseMap)();
    const SKIN_MSGMAP_ENTRY* lpEntries;
};

template <class T>
SKIN_MSGMAP_ENTRY SkinNotifyEntry(LPCWSTR type, LPCWSTR name, void (T::*handler)(TNotifyUI&)) {
    SKIN_MSGMAP_HANDLER pfn;
    pfn.pfn_Notify = static_cast<SKIN_PMSG>(handler);
    return {type, name, SkinSig_vn, pfn};
}

template <class T>
SKIN_MSGMAP_ENTRY SkinParamEntry(LPCWSTR type, LPCWSTR name, void (T::*handler)(WPARAM, LPARAM)) {
    SKIN_MSGMAP_HANDLER pfn;
    pfn.pfn_Params = static_cast<SKIN_PMSG_PARAMS>(handler);
    return {type, name, SkinSig_lwl, pfn};
}

inline SKIN_MSGMAP_ENTRY SkinEndEntry() {
    SKIN_MSGMAP_HANDLER pfn;
    pfn.pfn_Notify = nullptr;
    return {CSkinString(), CSkinString(), SkinSig_end, pfn};
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
