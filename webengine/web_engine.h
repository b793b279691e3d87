// The embeddable web engine: an off-screen, single-threaded, synchronous page view.
//
// Every call is made on the thread that called wvInit (the user-interface thread). A view draws
// its page into a 32-bit bitmap held by a memory device context (getViewDC); tick() runs due
// script timers, lays out and repaints what changed and reports each changed rectangle to the
// buffer handler. Script runs synchronously: runJS and the native functions bound with
// jsBindFunction return only once the script or the native function has finished.
#pragma once

#include <cstdint>

#include "platform/win_base.h"

// An opaque script value. Numbers, booleans, null and undefined are held in the value itself;
// strings and objects refer to a slot of the view that made them, which stays valid until at
// least the next outermost call into that view.
using jsValue = int64_t;
// An opaque handle on a script state: the page's global state (globalExec) or the state of one
// native call (the argument of a bound function).
using jsExecState = struct jsExecStateRecord*;
using jsNativeFunction = jsValue (*)(jsExecState es);

// Mouse and key flags of the view operations.
enum wvMouseFlags : unsigned int {
    WV_LBUTTON = 0x01,
    WV_RBUTTON = 0x02,
    WV_SHIFT = 0x04,
    WV_CONTROL = 0x08,
    WV_MBUTTON = 0x10,
};
enum wvKeyFlags : unsigned int {
    WV_EXTENDED = 0x0100,
    WV_REPEAT = 0x4000,
};

struct wvRect {
    int x;
    int y;
    int w;
    int h;
};

// Page events. Either entry may be null. The record must outlive the view it is given to.
struct wvClientHandler {
    void (*onTitleChanged)(const wvClientHandler* handler, const wchar_t* title);
    void (*onURLChanged)(const wvClientHandler* handler, const wchar_t* url);
};

// Told after each repaint which part of the view's bitmap changed (view pixels).
struct _wvBufHandler {
    virtual void onBufUpdated(HDC hdc, int x, int y, int cx, int cy) = 0;

  protected:
    ~_wvBufHandler() = default;
};

class wvWebView {
  public:
    // Loads an HTML file (and the style sheets, scripts and images it links) in place of the
    // current page. Relative paths are taken from the current folder; "\" separates folders too.
    virtual void loadFile(const wchar_t* filename) = 0;
    // Sets the view size in pixels; the next tick lays out and repaints the whole view.
    virtual void resize(int width, int height) = 0;
    // Runs due timers, lays out and repaints what changed, reports it to the buffer handler.
    virtual void tick() = 0;
    // A memory device context whose bitmap holds the whole rendered view; owned by the view.
    virtual HDC getViewDC() = 0;

    // message: WM_MOUSEMOVE .. WM_MBUTTONDBLCLK or WM_MOUSELEAVE; flags: wvMouseFlags.
    // Returns true when the page consumed the message. A right button release is consumed only
    // when the page cancels it, so that the system's context-menu request still follows.
    virtual bool mouseEvent(unsigned int message, int x, int y, unsigned int flags) = 0;
    // (-1, -1) is a request from the keyboard. Returns true: the engine has no menu of its own.
    virtual bool contextMenuEvent(int x, int y, unsigned int flags) = 0;
    // Returns true when the page cancelled the wheel or scrolled.
    virtual bool mouseWheel(int x, int y, int delta, unsigned int flags) = 0;
    // Key events go to the focused element. They return true when the page cancelled the key or
    // the engine acted on it (scrolling, focus moves, activation).
    virtual bool keyUp(unsigned int virtualKeyCode, unsigned int flags, bool systemKey) = 0;
    virtual bool keyDown(unsigned int virtualKeyCode, unsigned int flags, bool systemKey) = 0;
    virtual bool keyPress(unsigned int charCode, unsigned int flags, bool systemKey) = 0;
    virtual void focus() = 0;
    virtual void unfocus() = 0;
    // The focused text field's caret box, or an empty box when no text field has the focus.
    virtual wvRect getCaret() = 0;

    // Evaluates the script in the page and returns the value of its last statement; a script
    // error is reported to the debug output and gives undefined.
    virtual jsValue runJS(const wchar_t* script) = 0;
    virtual jsExecState globalExec() = 0;

    virtual void setClientHandler(const wvClientHandler* handler) = 0;
    virtual void setBufHandler(_wvBufHandler* handler) = 0;

  protected:
    virtual ~wvWebView() = default;
    friend void wvDestroyWebView(wvWebView* view);
};

void wvInit();
void wvShutdown();
// Returns null when the engine is not initialised or the view cannot be made.
wvWebView* wvCreateWebView();
// A view destroyed from inside its own script call goes once that call has returned.
void wvDestroyWebView(wvWebView* view);

// Binds a global function in every page loaded afterwards. argCount is the script function's
// declared length; the script may pass more or fewer arguments.
void jsBindFunction(const char* name, jsNativeFunction fn, unsigned int argCount);

// Argument index of the current native call; undefined when index is out of range.
jsValue jsArg(jsExecState es, int index);
int jsArgCount(jsExecState es);
// Script conversion to a 32-bit integer (NaN and non-numbers give 0).
int jsToInt(jsExecState es, jsValue v);
double jsToDouble(jsExecState es, jsValue v);
bool jsToBoolean(jsExecState es, jsValue v);
// Script conversion to text. The text belongs to the engine: copy it at once.
const wchar_t* jsToStringW(jsExecState es, jsValue v);

jsValue jsTrue();
jsValue jsFalse();
jsValue jsUndefined();
jsValue jsNull();
jsValue jsInt(int n);
jsValue jsDouble(double d);
// A string value owned by the state's view.
jsValue jsStringW(jsExecState es, const wchar_t* text);
bool jsIsNumber(jsValue v);
bool jsIsUndefined(jsValue v);
