// The paint manager: the hub of one skinned window. It owns the window's control tree, turns the
// window's messages into control events, keeps focus, hover, click and capture, runs control
// timers, lays the tree out and paints it through an offscreen bitmap, and delivers notifications.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "skinframe/shadow.h"
#include "skinframe/skin_string.h"
#include "skinframe/std_string_ptr_map.h"
#include "skinframe/ui_defs.h"

class CControlUI;

struct TFontInfo {
    HFONT hFont = nullptr;
    CSkinString sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICW tm = {};
};

// A decoded image: a 32-bit top-down premultiplied bitmap (alpha in the top byte).
struct TImageInfo {
    HBITMAP hBitmap = nullptr;
    BYTE* pBits = nullptr;
    int nX = 0;
    int nY = 0;
    bool bAlpha = false;
    CSkinString sResType;
    DWORD dwMask = 0;
};

struct TTimerInfo {
    CControlUI* pSender;
    UINT nLocalID;
    HWND hWnd;
    UINT uWinTimer;
    bool bKilled;
};

// A plug-in control factory: a new control for an element name, or null.
using LPCREATECONTROL = CControlUI* (*)(LPCWSTR pstrType);

class CPaintManagerUI {
  public:
    CPaintManagerUI();
    ~CPaintManagerUI();

    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // --- process-wide side ---
    static HINSTANCE GetInstance();
    static CSkinString GetInstancePath();
    static HINSTANCE GetResourceDll();
    static const CSkinString& GetResourcePath();
    static void SetInstance(HINSTANCE hInst);
    static void SetResourceDll(HINSTANCE hInst);
    // Stores the folder of skin files; a non-empty path gets a trailing "/" unless it already
    // ends with "/" or "\".
    static void SetResourcePath(LPCWSTR pStrPath);
    // Names a zip archive (relative to the resource path) that skin files are read from; an
    // empty or null name reads plain files again. With bCachedResourceZip the archive is opened
    // now and kept open; otherwise each load opens it.
    static void SetResourceZip(LPCWSTR pstrZip, bool bCachedResourceZip = false);
    static const CSkinString& GetResourceZip();
    static bool IsCachedResourceZip();
    // The kept archive (a libzip zip_t*), or null when none is open.
    static HANDLE GetResourceZipHandle();
    // Plug-in control factories, asked in order for element names the builder does not know.
    static std::vector<LPCREATECONTROL>& GetPlugins();

    static void MessageLoop();
    static bool TranslateMessage(const MSG* pMsg);
    // The key-state word of an event, from the current keyboard and button state.
    static WORD MapKeyState();

    // --- one window ---
    void Init(HWND hWnd);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    HDC GetPaintDC() const { return m_hDcPaint; }
    HWND GetTooltipWindow() const { return m_hwndTooltip; }
    POINT GetMousePos() const { return m_ptLastMousePos; }
    SIZE GetClientSize() const;

    void NeedUpdate();
    void Invalidate(RECT& rcItem);

    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy);
    const RECT& GetSizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(const RECT& rcSizeBox) { m_rcSizeBox = rcSizeBox; }
    const RECT& GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(const RECT& rcCaption) { m_rcCaption = rcCaption; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = {cx, cy}; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy);
    int GetTransparent() const { return m_nOpacity; }
    void SetTransparent(int nOpacity);
    bool IsLayeredWindow() const { return m_bLayered; }
    void SetUseLayeredWindow(bool bLayered);
    bool IsUseGdiplusText() const { return m_bUseGdiplusText; }
    void SetUseGdiplusText(bool bUse) { m_bUseGdiplusText = bUse; }
    const RECT& GetRichEditCorner() const { return m_rcRichEditCorner; }
    void SetRichEditCorner(const RECT& rc) { m_rcRichEditCorner = rc; }

    DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
    void SetDefaultDisabledColor(DWORD dwColor) { m_dwDefaultDisabledColor = dwColor; }
    DWORD GetDefaultFontColor() const { return m_dwDefaultFontColor; }
    void SetDefaultFontColor(DWORD dwColor) { m_dwDefaultFontColor = dwColor; }
    DWORD GetDefaultLinkFontColor() const { return m_dwDefaultLinkFontColor; }
    void SetDefaultLinkFontColor(DWORD dwColor) { m_dwDefaultLinkFontColor = dwColor; }
    DWORD GetDefaultLinkHoverFontColor() const { return m_dwDefaultLinkHoverFontColor; }
    void SetDefaultLinkHoverFontColor(DWORD dwColor) { m_dwDefaultLinkHoverFontColor = dwColor; }
    DWORD GetDefaultSelectedBkColor() const { return m_dwDefaultSelectedBkColor; }
    void SetDefaultSelectedBkColor(DWORD dwColor) { m_dwDefaultSelectedBkColor = dwColor; }

    CShadowUI* GetShadow() { return &m_shadow; }

    // Fonts: index -1 (or any unknown index) is the default font.
    TFontInfo* GetDefaultFontInfo();
    void SetDefaultFont(LPCWSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    DWORD GetCustomFontCount() const { return static_cast<DWORD>(m_aCustomFonts.size()); }
    HFONT AddFont(LPCWSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    HFONT GetFont(int index);
    TFontInfo* GetFontInfo(int index);
    void RemoveAllFonts();

    // Images are files under the resource path (PNG), decoded once and kept by name. Pixels of
    // the mask colour become transparent.
    const TImageInfo* GetImage(LPCWSTR bitmap);
    const TImageInfo* GetImageEx(LPCWSTR bitmap, LPCWSTR type = nullptr, DWORD mask = 0);
    const TImageInfo* AddImage(LPCWSTR bitmap, LPCWSTR type = nullptr, DWORD mask = 0);
    bool RemoveImage(LPCWSTR bitmap);
    void RemoveAllImages();

    void AddDefaultAttributeList(LPCWSTR pStrControlName, LPCWSTR pStrControlAttrList);
    LPCWSTR GetDefaultAttributeList(LPCWSTR pStrControlName) const;
    bool RemoveDefaultAttributeList(LPCWSTR pStrControlName);
    void RemoveAllDefaultAttributeList();

    bool AddOptionGroup(LPCWSTR pStrGroupName, CControlUI* pControl);
    const std::vector<CControlUI*>* GetOptionGroup(LPCWSTR pStrGroupName) const;
    void RemoveOptionGroup(LPCWSTR pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();

    bool AttachDialog(CControlUI* pControl);
    bool InitControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    void ReapObjects(CControlUI* pControl);

    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* pControl);
    bool SetNextTabControl(bool bForward = true);

    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_bMouseCapture; }

    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    void SendNotify(TNotifyUI& Msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, LPCWSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool bAsync = false);

    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool TranslateAccelerator(const MSG* pMsg);
    int GetPostPaintCount() const { return static_cast<int>(m_aPostPaintControls.size()); }
    bool AddPostPaint(CControlUI* pControl);
    bool RemovePostPaint(CControlUI* pControl);

    void AddDelayedCleanup(CControlUI* pControl);

    // Notifications carry the sender's virtual window name when this is on.
    void UsedVirtualWnd(bool bUsed) { m_bUsedVirtualWnd = bUsed; }

    CControlUI* GetRoot() const { return m_pRoot; }
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(LPCWSTR pstrName) const;
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* pParent, LPCWSTR pstrName) const;

    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

    // The caret of text-entry controls blinks on timer 0xF1 and is drawn after the tree. No
    // control of this library shows one; the state is here for those that do.
    bool IsCaretShowing() const { return m_bCaretShowing; }

  private:
    void DeliverQueuedNotifications();
    bool OnPaint();
    void PaintLayered(const RECT& rcPaint, const RECT& rcClient);
    void OnMouseMove(LPARAM lParam);
    bool OnMouseHover(LPARAM lParam);
    bool ReflectToChild(HWND hWndChild, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    void DropOffscreen();
    void SetFontMetrics(TFontInfo& info);
    void DrawCaret(HDC hDC, const RECT& rcPaint);
    static HFONT CreateFontFor(LPCWSTR pStrFontName, int nSize, bool bBold, bool bUnderline,
                               bool bItalic);

    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    HDC m_hDcOffscreen = nullptr;
    HBITMAP m_hbmpOffscreen = nullptr;
    BYTE* m_pOffscreenBits = nullptr;
    HWND m_hwndTooltip = nullptr;
    TOOLINFOW m_ToolTip = {};
    std::wstring m_sToolTipText;  // the tool record points into it

    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    POINT m_ptLastMousePos = {-1, -1};

    bool m_bUpdateNeeded = false;
    bool m_bFirstLayout = true;
    bool m_bFocusNeeded = false;
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bUsedVirtualWnd = false;
    bool m_bRestoreRepaint = false;
    bool m_bLayered = false;
    bool m_bUseGdiplusText = false;
    RECT m_rcLayeredUpdate = {0, 0, 0, 0};
    RECT m_rcRichEditCorner = {0, 0, 0, 0};
    int m_nOpacity = 255;

    UINT m_uTimerID = 0x1000;

    SIZE m_szInitWindowSize = {0, 0};
    SIZE m_szMinWindow = {0, 0};
    SIZE m_szMaxWindow = {0, 0};
    RECT m_rcCaption = {0, 0, 0, 0};
    RECT m_rcSizeBox = {0, 0, 0, 0};
    SIZE m_szRoundCorner = {0, 0};

    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;

    std::vector<INotifyUI*> m_aNotifiers;
    std::vector<IMessageFilterUI*> m_aPreMessageFilters;
    std::vector<IMessageFilterUI*> m_aMessageFilters;
    std::vector<ITranslateAccelerator*> m_aTranslateAccelerator;
    std::vector<TTimerInfo*> m_aTimers;
    std::vector<CControlUI*> m_aPostPaintControls;
    std::vector<CControlUI*> m_aDelayedCleanup;
    std::vector<TNotifyUI*> m_aAsyncNotify;
    CStdStringPtrMap m_mNameHash;

    TFontInfo m_DefaultFontInfo;
    std::vector<TFontInfo*> m_aCustomFonts;
    std::map<std::wstring, TImageInfo*> m_mImageHash;
    std::map<std::wstring, std::wstring> m_DefaultAttrHash;
    std::map<std::wstring, std::vector<CControlUI*>> m_mOptionGroup;

    CShadowUI m_shadow;

    bool m_bCaretActive = false;
    bool m_bCaretShowing = false;
    RECT m_rtCaret = {0, 0, 0, 0};

    static CSkinString m_pStrResourcePath;
    static CSkinString m_pStrResourceZip;
    static bool m_bCachedResourceZip;
    static HANDLE m_hResourceZip;
    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static std::vector<CPaintManagerUI*> m_aPreMessages;
    static std::vector<LPCREATECONTROL> m_aPlugins;
};
