#include "skinframe/notify_pump.h"

#include "skinframe/controls/control.h"

namespace {

constexpr int kVirtualWndBuckets = 83;

}  // namespace

CNotifyPump::CNotifyPump() : m_VirtualWndMap(kVirtualWndBuckets) {}

const SKIN_MSGMAP* CNotifyPump::GetThisMessageMap() {
    static const SKIN_MSGMAP_ENTRY entries[] = {SkinEndEntry()};
    static const SKIN_MSGMAP map = {nullptr, entries};
    return &map;
}

const SKIN_MSGMAP* CNotifyPump::GetMessageMap() const {
    return GetThisMessageMap();
}

bool CNotifyPump::AddVirtualWnd(CSkinString strName, CNotifyPump* pObject) {
    if (m_VirtualWndMap.Find(strName.GetData()) != nullptr) return false;
    return m_VirtualWndMap.Insert(strName.GetData(), pObject);
}

bool CNotifyPump::RemoveVirtualWnd(CSkinString strName) {
    if (m_VirtualWndMap.Find(strName.GetData()) == nullptr) return false;
    return m_VirtualWndMap.Remove(strName.GetData());
}

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (!msg.sVirtualWnd.IsEmpty()) {
        // GetSize is read on every round: a handler may add or remove virtual windows.
        for (int i = 0; i < m_VirtualWndMap.GetSize(); ++i) {
            LPCWSTR key = m_VirtualWndMap.GetAt(i);
            if (key == nullptr || msg.sVirtualWnd.CompareNoCase(key) != 0) continue;
            // Without reordering the bucket, so the walk by index stays valid.
            auto* pObject = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pObject != nullptr && pObject->LoopDispatch(msg)) return;
        }
    }
    LoopDispatch(msg);
}

const SKIN_MSGMAP_ENTRY* CNotifyPump::FindMessageEntry(const SKIN_MSGMAP_ENTRY* lpEntry,
                                                       const TNotifyUI& msg) {
    if (lpEntry == nullptr) return nullptr;
    const CSkinString sender = msg.pSender != nullptr ? msg.pSender->GetName() : CSkinString();
    const SKIN_MSGMAP_ENTRY* pTypeOnly = nullptr;
    for (; lpEntry->nSig != SkinSig_end; ++lpEntry) {
        if (lpEntry->sMsgType != msg.sType.GetData()) continue;
        if (!lpEntry->sCtrlName.IsEmpty()) {
            if (lpEntry->sCtrlName == sender) return lpEntry;
        } else {
            pTypeOnly = lpEntry;
        }
    }
    return pTypeOnly;
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    for (const SKIN_MSGMAP* pMessageMap = GetMessageMap(); pMessageMap != nullptr;
         pMessageMap = pMessageMap->pfnGetBaseMap ? pMessageMap->pfnGetBaseMap() : nullptr) {
        const SKIN_MSGMAP_ENTRY* lpEntry = FindMessageEntry(pMessageMap->lpEntries, msg);
        if (lpEntry == nullptr) continue;
        switch (lpEntry->nSig) {
            case SkinSig_lwl:
                if (lpEntry->pfn.pfn_Params == nullptr) return false;
                (this->*(lpEntry->pfn.pfn_Params))(msg.wParam, msg.lParam);
                return true;
            case SkinSig_vn:
                if (lpEntry->pfn.pfn_Notify == nullptr) return false;
                (this->*(lpEntry->pfn.pfn_Notify))(msg);
                return true;
            default:
                return false;
        }
    }
    return false;
}
