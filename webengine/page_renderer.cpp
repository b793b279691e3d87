#include "webengine/page_renderer.h"

#include <cstdlib>

#include "webengine/html_parser.h"
#include "webengine/master_css.h"
#include "webengine/page_container.h"

namespace webengine {

namespace {

// The default style sheet is parsed once and shared by every document.
litehtml::context& SharedContext() {
    static litehtml::context* context = [] {
        auto* c = new litehtml::context();
        c->load_master_stylesheet(kMasterCss);
        return c;
    }();
    return *context;
}

uint64_t NodeIdOf(const litehtml::element::ptr& el) {
    for (litehtml::element::ptr e = el; e; e = e->parent()) {
        const char* id = e->get_attr(kNodeIdAttribute);
        if (id != nullptr) return std::strtoull(id, nullptr, 10);
    }
    return 0;
}

}  // namespace

PageRenderer::PageRenderer() : container_(std::make_unique<PageContainer>()) {
    SharedContext();
}

PageRenderer::~PageRenderer() {
    byNode_.clear();
    doc_.reset();
}

void PageRenderer::reset(const std::string& baseUrl) {
    byNode_.clear();
    doc_.reset();
    container_->clearResources();
    container_->setBaseUrl(baseUrl);
}

void PageRenderer::rebuild(const Document& doc) {
    byNode_.clear();
    doc_.reset();
    container_->trimFonts();
    std::string html = SerializeForLayout(doc);
    doc_ = litehtml::document::createFromUTF8(html.c_str(), container_.get(), &SharedContext());
    if (doc_ && doc_->root()) indexElements(doc_->root(), 0);
}

void PageRenderer::indexElements(const litehtml::element::ptr& el, int depth) {
    if (depth > 2 * Document::kMaxDepth) return;
    const char* id = el->get_attr(kNodeIdAttribute);
    if (id != nullptr) byNode_[std::strtoull(id, nullptr, 10)] = el;
    size_t count = el->get_children_count();
    for (size_t i = 0; i < count; ++i) {
        litehtml::element::ptr child = el->get_child(static_cast<int>(i));
        if (child) indexElements(child, depth + 1);
    }
}

void PageRenderer::layout(int width, int height, int scrollX, int scrollY) {
    container_->setViewport(scrollX, scrollY, width, height);
    if (doc_) {
        doc_->media_changed();
        doc_->render(width > 0 ? width : 1);
    }
}

void PageRenderer::draw(cairo_t* cr, int width, int height, int scrollX, int scrollY) {
    // The canvas is white where the page paints nothing, as in a browser.
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_restore(cr);
    if (!doc_) return;
    container_->setViewport(scrollX, scrollY, width, height);
    litehtml::position clip(0, 0, width, height);
    doc_->draw(reinterpret_cast<litehtml::uint_ptr>(cr), -scrollX, -scrollY, &clip);
}

int PageRenderer::contentWidth() const {
    return doc_ ? doc_->width() : 0;
}

int PageRenderer::contentHeight() const {
    return doc_ ? doc_->height() : 0;
}

uint64_t PageRenderer::hitTest(int x, int y, int scrollX, int scrollY) const {
    if (!doc_ || !doc_->root()) return 0;
    litehtml::element::ptr el = doc_->root()->get_element_by_point(x + scrollX, y + scrollY, x, y);
    return el ? NodeIdOf(el) : 0;
}

bool PageRenderer::boxOf(uint64_t nodeId, Box& box) const {
    auto found = byNode_.find(nodeId);
    if (found == byNode_.end()) return false;
    const litehtml::element::ptr& el = found->second;
    litehtml::position p = el->get_placement();
    box.x = p.x - el->padding_left() - el->border_left();
    box.y = p.y - el->padding_top() - el->border_top();
    box.w =
        p.width + el->padding_left() + el->padding_right() + el->border_left() + el->border_right();
    box.h = p.height + el->padding_top() + el->padding_bottom() + el->border_top() +
            el->border_bottom();
    return true;
}

bool PageRenderer::caretOf(uint64_t nodeId, const std::string& text, Box& caret) const {
    auto found = byNode_.find(nodeId);
    if (found == byNode_.end()) return false;
    const litehtml::element::ptr& el = found->second;
    litehtml::position p = el->get_placement();
    litehtml::font_metrics fm;
    litehtml::uint_ptr font = el->get_font(&fm);
    int advance = text.empty() ? 0 : container_->textWidth(text, font);
    if (advance > p.width) advance = p.width;
    int height = fm.height > 0 ? fm.height : p.height;
    caret.x = p.x + advance;
    caret.y = p.y + (p.height > height ? (p.height - height) / 2 : 0);
    caret.w = 1;
    caret.h = height;
    return true;
}

bool PageRenderer::pointerMoved(int x, int y, int scrollX, int scrollY) {
    if (!doc_) return false;
    litehtml::position::vector boxes;
    return doc_->on_mouse_over(x + scrollX, y + scrollY, x, y, boxes);
}

bool PageRenderer::pointerLeft() {
    if (!doc_) return false;
    litehtml::position::vector boxes;
    return doc_->on_mouse_leave(boxes);
}

bool PageRenderer::buttonDown(int x, int y, int scrollX, int scrollY) {
    if (!doc_) return false;
    litehtml::position::vector boxes;
    return doc_->on_lbutton_down(x + scrollX, y + scrollY, x, y, boxes);
}

bool PageRenderer::buttonUp(int x, int y, int scrollX, int scrollY) {
    if (!doc_) return false;
    litehtml::position::vector boxes;
    return doc_->on_lbutton_up(x + scrollX, y + scrollY, x, y, boxes);
}

}  // namespace webengine
