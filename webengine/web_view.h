// One page view: the document, its script, its layout and the bitmap it is drawn into.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "webengine/dom.h"
#include "webengine/page_renderer.h"
#include "webengine/script_host.h"
#include "webengine/view_surface.h"
#include "webengine/web_engine.h"

namespace webengine {

class WebView final : public wvWebView, public ScriptHostClient {
  public:
    WebView();

    // wvWebView
    void loadFile(const wchar_t* filename) override;
    void resize(int width, int height) override;
    void tick() override;
    HDC getViewDC() override;
    bool mouseEvent(unsigned int message, int x, int y, unsigned int flags) override;
    bool contextMenuEvent(int x, int y, unsigned int flags) override;
    bool mouseWheel(int x, int y, int delta, unsigned int flags) override;
    bool keyUp(unsigned int virtualKeyCode, unsigned int flags, bool systemKey) override;
    bool keyDown(unsigned int virtualKeyCode, unsigned int flags, bool systemKey) override;
    bool keyPress(unsigned int charCode, unsigned int flags, bool systemKey) override;
    void focus() override;
    void unfocus() override;
    wvRect getCaret() override;
    jsValue runJS(const wchar_t* script) override;
    jsExecState globalExec() override;
    void setClientHandler(const wvClientHandler* handler) override;
    void setBufHandler(_wvBufHandler* handler) override;

    // Destroys now, or once the outermost call into the view has returned.
    void destroy();

    // The drawn view (for the engine's own tests and tools).
    cairo_surface_t* surface() { return surface_.image(); }
    ScriptHost* script() { return script_.get(); }

  private:
    ~WebView() override;

    // Counts nested calls into the view; work that would pull the page from under a running
    // script (loading, navigation, destruction) waits until the outermost call ends.
    class CallScope {
      public:
        explicit CallScope(WebView& view);
        ~CallScope();

      private:
        WebView& view_;
    };

    // ScriptHostClient
    void flushLayout() override;
    bool elementBox(uint64_t nodeId, Box& box) override;
    void scrollPosition(int& x, int& y) override;
    void scrollTo(int x, int y) override;
    void viewSize(int& width, int& height) override;
    std::string pageUrl() override;
    void navigate(const std::string& url) override;
    void setFocusedNode(Node* node) override;
    Node* focusedNode() override;
    bool viewHasFocus() override;

    void load(const std::string& url);
    void unloadPage();
    void runPageScripts();
    void afterOutermostCall();
    void updateLayout();
    void paint();
    void reportTitle();
    Node* nodeById(uint64_t id);
    Node* hitNode(int x, int y);
    Node* eventTarget(Node* hit);
    void moveHover(Node* target, int x, int y);
    void clickDefault(Node* target);
    bool scrollBy(int dx, int dy);
    bool moveFocus(bool backwards);
    EventInit mouseInit(const char* type, int x, int y, int button, unsigned int flags);
    EventInit keyInit(const char* type, unsigned int code, unsigned int flags);

    std::unique_ptr<Document> document_;
    std::unique_ptr<ScriptHost> script_;
    PageRenderer renderer_;
    ViewSurface surface_;
    std::string url_;
    std::string reportedTitle_;
    std::wstring wideText_;
    const wvClientHandler* client_ = nullptr;
    _wvBufHandler* bufHandler_ = nullptr;

    int width_ = 0;
    int height_ = 0;
    int scrollX_ = 0;
    int scrollY_ = 0;
    uint64_t layoutVersion_ = 0;
    bool needsLayout_ = true;
    bool needsPaint_ = true;
    bool fullRepaint_ = true;
    uint64_t titleVersion_ = 0;
    std::unordered_map<uint64_t, Node*> nodesById_;

    // Pointer and keyboard state.
    Node::Ptr hover_;
    Node::Ptr pressed_;
    Node::Ptr focused_;
    bool pointerInside_ = false;
    int pointerX_ = 0;
    int pointerY_ = 0;
    int clickCount_ = 0;
    int lastDownButton_ = -1;
    int64_t lastDownTime_ = 0;
    int lastDownX_ = 0;
    int lastDownY_ = 0;
    bool viewFocused_ = false;
    bool altDown_ = false;
    bool shiftDown_ = false;
    bool ctrlDown_ = false;

    int busy_ = 0;
    bool destroyPending_ = false;
    bool hasPendingLoad_ = false;
    std::string pendingLoad_;
    std::vector<std::string> pendingScripts_;
};

}  // namespace webengine
