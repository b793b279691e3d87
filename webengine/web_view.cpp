#include "webengine/web_view.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/win_kernel.h"
#include "webengine/html_parser.h"
#include "webengine/js_value.h"
#include "webengine/resource_loader.h"
#include "webengine/text_util.h"

namespace webengine {

namespace {

void Log(const std::string& text) {
    std::string line = "webengine: " + text + "\n";
    OutputDebugStringA(line.c_str());
}

// The page shown instead of a file that cannot be read.
std::string ErrorPage(const std::string& path) {
    std::string html =
        "<!DOCTYPE html><html><head><title></title></head>"
        "<body style=\"font-family: sans-serif; margin: 24px; color: #333333\">"
        "<h3>The page cannot be shown</h3><p>The file could not be read: ";
    AppendEscapedText(html, path);
    html += "</p></body></html>";
    return html;
}

bool IsScriptType(const Node& script) {
    const std::string* type = script.attribute("type");
    if (type == nullptr) return true;
    std::string t = AsciiLower(TrimAscii(*type));
    return t.empty() || t == "text/javascript" || t == "application/javascript" ||
           t == "application/x-javascript" || t == "text/ecmascript" || t == "javascript";
}

}  // namespace

WebView::CallScope::CallScope(WebView& view) : view_(view) {
    ++view_.busy_;
}

WebView::CallScope::~CallScope() {
    if (--view_.busy_ == 0) view_.afterOutermostCall();
}

WebView::WebView() : document_(std::make_unique<Document>()) {}

WebView::~WebView() {
    unloadPage();
}

void WebView::destroy() {
    if (busy_ > 0) {
        destroyPending_ = true;
        return;
    }
    delete this;
}

void WebView::afterOutermostCall() {
    // Loads asked for from inside script happen here, one after the other.
    for (int guard = 0; guard < 8 && hasPendingLoad_ && !destroyPending_; ++guard) {
        hasPendingLoad_ = false;
        std::string url = std::move(pendingLoad_);
        ++busy_;
        load(url);
        --busy_;
    }
    hasPendingLoad_ = false;
    if (destroyPending_) delete this;
}

void WebView::unloadPage() {
    // Script goes first: its wrappers hold nodes, and nodes report to the document as they go.
    script_.reset();
    hover_.reset();
    pressed_.reset();
    focused_.reset();
    nodesById_.clear();
    document_ = std::make_unique<Document>();
}

void WebView::loadFile(const wchar_t* filename) {
    if (filename == nullptr) return;
    // "\" separates folders as well, so Windows-style relative paths find the same file.
    std::string local = WideToUtf8(filename);
    std::replace(local.begin(), local.end(), '\\', '/');
    if (local.empty() || local[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) != nullptr) local = std::string(cwd) + "/" + local;
    }
    std::string url = FileUrlFromPath(local);
    std::string normalized;
    if (PathFromFileUrl(url, normalized)) url = FileUrlFromPath(normalized);
    if (busy_ > 0) {
        hasPendingLoad_ = true;
        pendingLoad_ = url;
        return;
    }
    CallScope scope(*this);
    load(url);
}

void WebView::load(const std::string& url) {
    unloadPage();
    url_ = url;
    reportedTitle_.clear();
    scrollX_ = 0;
    scrollY_ = 0;
    renderer_.reset(url_);

    std::string bytes;
    std::string path;
    bool read = PathFromFileUrl(url_, path) && ReadLocalFile(path, bytes);
    if (!read) {
        Log("cannot read the page " + url_);
        bytes = ErrorPage(path.empty() ? url_ : path);
    }
    ParseDocument(*document_, SanitizeUtf8(bytes));

    script_ = std::make_unique<ScriptHost>(*document_, *this);
    script_->installBindings(RegisteredBindings());
    layoutVersion_ = 0;
    needsLayout_ = true;
    needsPaint_ = true;
    fullRepaint_ = true;

    if (client_ != nullptr && client_->onURLChanged != nullptr) {
        std::wstring wide = Utf8ToWide(url_);
        client_->onURLChanged(client_, wide.c_str());
    }
    if (read) runPageScripts();
    script_->setReadyState("interactive");
    script_->dispatchToDocument("DOMContentLoaded");
    script_->setReadyState("complete");
    script_->dispatchToWindow("load");
    reportTitle();
}

void WebView::runPageScripts() {
    std::vector<Node::Ptr> scripts;
    ForEachInTree(document_->root(), [&](Node* n) {
        if (n->isElement() && n->tag() == "script") scripts.push_back(n->ptr());
        return true;
    });
    for (const Node::Ptr& s : scripts) {
        if (!script_ || !s->isConnected() || !IsScriptType(*s)) continue;
        const std::string* src = s->attribute("src");
        if (src != nullptr) {
            std::string url = ResolveUrl(url_, *src);
            std::string code;
            if (!ReadUrl(url, code)) {
                Log("cannot read the script " + url);
                continue;
            }
            script_->runScript(SanitizeUtf8(code), url);
        } else {
            script_->runScript(s->textContent(), url_);
        }
    }
}

void WebView::reportTitle() {
    if (!document_ || document_->version() == titleVersion_) return;
    titleVersion_ = document_->version();
    std::string title = document_->title();
    if (title == reportedTitle_) return;
    reportedTitle_ = title;
    if (client_ != nullptr && client_->onTitleChanged != nullptr) {
        std::wstring wide = Utf8ToWide(title);
        client_->onTitleChanged(client_, wide.c_str());
    }
}

void WebView::resize(int width, int height) {
    CallScope scope(*this);
    width_ = std::clamp(width, 0, 16384);
    height_ = std::clamp(height, 0, 16384);
    surface_.resize(width_, height_);
    needsLayout_ = true;
    needsPaint_ = true;
    fullRepaint_ = true;
    scrollTo(scrollX_, scrollY_);
    if (script_) script_->dispatchToWindow("resize");
}

void WebView::updateLayout() {
    if (document_->version() != layoutVersion_) {
        renderer_.rebuild(*document_);
        layoutVersion_ = document_->version();
        nodesById_.clear();
        ForEachInTree(document_->root(), [&](Node* n) {
            nodesById_[n->id()] = n;
            return true;
        });
        needsLayout_ = true;
    }
    if (!needsLayout_) return;
    renderer_.layout(width_, height_, scrollX_, scrollY_);
    // A new layout tree starts without :hover; give it back where the pointer is.
    if (pointerInside_ && renderer_.pointerMoved(pointerX_, pointerY_, scrollX_, scrollY_)) {
        renderer_.layout(width_, height_, scrollX_, scrollY_);
    }
    needsLayout_ = false;
    needsPaint_ = true;
}

void WebView::paint() {
    if (!needsPaint_ || surface_.back() == nullptr) return;
    cairo_t* cr = cairo_create(surface_.back());
    renderer_.draw(cr, width_, height_, scrollX_, scrollY_);
    cairo_destroy(cr);
    std::vector<Box> changed = surface_.present(fullRepaint_);
    needsPaint_ = false;
    fullRepaint_ = false;
    if (bufHandler_ == nullptr) return;
    for (const Box& b : changed) bufHandler_->onBufUpdated(surface_.dc(), b.x, b.y, b.w, b.h);
}

void WebView::tick() {
    CallScope scope(*this);
    if (script_) script_->runDueTimers(NowMs());
    if (hasPendingLoad_) return;  // the page is about to be replaced
    updateLayout();
    paint();
    if (script_) script_->collect();
    reportTitle();
}

HDC WebView::getViewDC() {
    return surface_.dc();
}

jsValue WebView::runJS(const wchar_t* script) {
    if (!script_ || script == nullptr) return jsv::Make(jsv::Undefined);
    CallScope scope(*this);
    jsValue result = script_->evaluate(WideToUtf8(script));
    reportTitle();
    return result;
}

jsExecState WebView::globalExec() {
    if (!script_) {
        static jsExecStateRecord none;
        return &none;
    }
    return script_->globalState();
}

void WebView::setClientHandler(const wvClientHandler* handler) {
    client_ = handler;
}

void WebView::setBufHandler(_wvBufHandler* handler) {
    bufHandler_ = handler;
}

// ScriptHostClient

void WebView::flushLayout() {
    updateLayout();
}

bool WebView::elementBox(uint64_t nodeId, Box& box) {
    return renderer_.boxOf(nodeId, box);
}

void WebView::scrollPosition(int& x, int& y) {
    x = scrollX_;
    y = scrollY_;
}

void WebView::scrollTo(int x, int y) {
    int maxX = std::max(0, renderer_.contentWidth() - width_);
    int maxY = std::max(0, renderer_.contentHeight() - height_);
    x = std::clamp(x, 0, maxX);
    y = std::clamp(y, 0, maxY);
    if (x == scrollX_ && y == scrollY_) return;
    scrollX_ = x;
    scrollY_ = y;
    // Fixed boxes are placed against the scrolled viewport, so a scroll lays out again.
    needsLayout_ = true;
    needsPaint_ = true;
    if (script_) script_->dispatchToWindow("scroll");
}

void WebView::viewSize(int& width, int& height) {
    width = width_;
    height = height_;
}

std::string WebView::pageUrl() {
    return url_;
}

void WebView::navigate(const std::string& url) {
    std::string trimmed(TrimAscii(url));
    if (trimmed.size() >= 11 && EqualsIgnoreCase(trimmed.substr(0, 11), "javascript:")) {
        if (script_) script_->runScript(trimmed.substr(11), "javascript: link");
        return;
    }
    if (!trimmed.empty() && trimmed[0] == '#') return;
    std::string target = ResolveUrl(url_, trimmed);
    std::string path;
    if (!PathFromFileUrl(target, path)) {
        Log("not followed (only local pages are shown): " + target);
        return;
    }
    hasPendingLoad_ = true;
    pendingLoad_ = target;
}

Node* WebView::focusedNode() {
    return focused_ && focused_->isConnected() ? focused_.get() : nullptr;
}

bool WebView::viewHasFocus() {
    return viewFocused_;
}

void WebView::setFocusedNode(Node* node) {
    Node::Ptr next = node != nullptr ? node->ptr() : nullptr;
    if (next == focused_) return;
    Node::Ptr previous = focused_;
    focused_ = next;
    if (!script_) return;
    EventInit init;
    init.bubbles = false;
    init.cancelable = false;
    if (previous && previous->isConnected()) {
        init.type = "blur";
        script_->dispatch(previous.get(), init);
    }
    if (next && focused_ == next) {
        init.type = "focus";
        script_->dispatch(next.get(), init);
    }
}

Node* WebView::nodeById(uint64_t id) {
    auto found = nodesById_.find(id);
    return found == nodesById_.end() ? nullptr : found->second;
}

}  // namespace webengine
