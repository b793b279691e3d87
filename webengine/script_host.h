// The page's script: one duktape heap per page with the document, window, timers and events.
#pragma once

#include <duktape.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "webengine/dom.h"
#include "webengine/page_renderer.h"
#include "webengine/web_engine.h"

namespace webengine {
class ScriptHost;
}

struct jsExecStateRecord {
    webengine::ScriptHost* host = nullptr;
    duk_context* ctx = nullptr;
    // Arguments of a native call sit on the value stack from index 0; a global state has none.
    int argc = 0;
};

namespace webengine {

// What script asks of the view that shows the page.
class ScriptHostClient {
  public:
    // Brings layout up to date so that geometry read by script is current.
    virtual void flushLayout() = 0;
    virtual bool elementBox(uint64_t nodeId, Box& box) = 0;
    virtual void scrollPosition(int& x, int& y) = 0;
    virtual void scrollTo(int x, int y) = 0;
    virtual void viewSize(int& width, int& height) = 0;
    virtual std::string pageUrl() = 0;
    virtual void navigate(const std::string& url) = 0;
    virtual void setFocusedNode(Node* node) = 0;
    virtual Node* focusedNode() = 0;
    virtual bool viewHasFocus() = 0;

  protected:
    ~ScriptHostClient() = default;
};

struct EventInit {
    std::string type;
    bool bubbles = true;
    bool cancelable = true;
    int clientX = 0;
    int clientY = 0;
    int button = 0;
    int buttons = 0;
    int detail = 0;
    int keyCode = 0;
    int charCode = 0;
    std::string key;
    bool ctrlKey = false;
    bool shiftKey = false;
    bool altKey = false;
    bool repeat = false;
    double deltaY = 0;
    // Only related to mouseover/mouseout: the element the pointer came from or goes to.
    Node* relatedTarget = nullptr;
    bool mouse = false;
    bool keyboard = false;
    bool wheel = false;
};

struct NativeBinding {
    std::string name;
    jsNativeFunction fn;
    unsigned int argCount;
};

class ScriptHost {
  public:
    ScriptHost(Document& doc, ScriptHostClient& client);
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // False when the heap could not be made; the page then runs without script.
    bool ok() const { return ctx_ != nullptr; }
    void installBindings(const std::vector<NativeBinding>& bindings);

    // Runs a page script; errors go to the debug output.
    void runScript(const std::string& code, const std::string& source);
    jsValue evaluate(const std::string& code);

    // Returns false when a listener cancelled the event.
    bool dispatch(Node* target, const EventInit& init);
    void dispatchToWindow(const std::string& type);
    void dispatchToDocument(const std::string& type);
    // document.readyState as script sees it.
    void setReadyState(const char* state);

    // Runs timers due at nowMs (steady clock milliseconds), each at most once.
    void runDueTimers(int64_t nowMs);
    bool hasTimers() const { return !timers_.empty(); }
    // Drops what is kept for nodes that went away or left the tree; call outside script.
    void collect();

    // Values handed out to the embedder.
    jsValue keepValue(duk_idx_t index);
    // Pushes the value (undefined when stale) on the state's stack.
    void pushValue(duk_context* ctx, jsValue v);
    const wchar_t* keepText(std::wstring text);
    jsExecState globalState() { return &global_; }

    // Called by the script bindings.
    Document& document() { return doc_; }
    ScriptHostClient& client() { return client_; }
    duk_context* context() { return ctx_; }
    void pushNode(duk_context* ctx, Node* node);
    static Node* nodeAt(duk_context* ctx, duk_idx_t index);
    int setTimer(int delayMs, bool repeat);
    void clearTimer(int id);
    void reportError(duk_context* ctx, const char* where);

    static ScriptHost* fromContext(duk_context* ctx);

    int callDepth() const { return depth_; }

  private:
    struct Timer {
        int64_t due;
        int interval;
        bool repeat;
        uint64_t order;
    };
    void callPreludeFunction(const char* name, int nargs);
    void pushEventInit(const EventInit& init);

    Document& doc_;
    ScriptHostClient& client_;
    duk_context* ctx_ = nullptr;
    size_t heapBytes_ = 0;
    jsExecStateRecord global_;
    std::map<int, Timer> timers_;
    int nextTimer_ = 1;
    uint64_t timerOrder_ = 0;
    std::unordered_map<uint64_t, std::weak_ptr<Node>> wrapped_;
    std::vector<uint64_t> goneNodes_;
    std::array<uint32_t, 1024> slotGen_{};
    uint32_t nextSlot_ = 0;
    std::array<std::wstring, 16> texts_;
    size_t nextText_ = 0;
    int depth_ = 0;
    bool tearingDown_ = false;

    friend void* HeapAlloc(void*, duk_size_t);
    friend void* HeapRealloc(void*, void*, duk_size_t);
    friend void HeapFree(void*, void*);
};

// Bound native functions, shared by every view. A name bound again takes the new function.
void RegisterBinding(const char* name, jsNativeFunction fn, unsigned int argCount);
std::vector<NativeBinding> RegisteredBindings();

// A script value as UTF-8 text (script conversion; never raises a script error).
std::string ScriptString(duk_context* ctx, duk_idx_t index);
// The clock of script timers: steady milliseconds.
int64_t NowMs();

}  // namespace webengine
