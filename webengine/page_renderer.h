// Lays out and draws the document tree with litehtml, and answers where things are on screen.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "webengine/dom.h"
#include "webengine/geometry.h"

namespace litehtml {
class document;
class element;
}  // namespace litehtml

namespace webengine {

class PageContainer;

class PageRenderer {
  public:
    PageRenderer();
    ~PageRenderer();
    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;

    // A new page: forget its images and style sheets, resolve links against baseUrl.
    void reset(const std::string& baseUrl);
    // Builds the layout tree afresh from the document tree.
    void rebuild(const Document& doc);
    bool hasDocument() const { return doc_ != nullptr; }
    // Lays the page out for the viewport; the scroll position only moves fixed boxes.
    void layout(int width, int height, int scrollX, int scrollY);
    void draw(cairo_t* cr, int width, int height, int scrollX, int scrollY);

    int contentWidth() const;
    int contentHeight() const;

    // Node id of the deepest element under a view point, 0 for none.
    uint64_t hitTest(int x, int y, int scrollX, int scrollY) const;
    // Border box of an element in page coordinates; false when it has no box.
    bool boxOf(uint64_t nodeId, Box& box) const;
    // Caret box after the given text in the element's content box (page coordinates).
    bool caretOf(uint64_t nodeId, const std::string& text, Box& caret) const;

    // Moves litehtml's :hover and :active state; true when the look changed and a new layout
    // and paint are due. Coordinates are view pixels.
    bool pointerMoved(int x, int y, int scrollX, int scrollY);
    bool pointerLeft();
    bool buttonDown(int x, int y, int scrollX, int scrollY);
    bool buttonUp(int x, int y, int scrollX, int scrollY);

  private:
    void indexElements(const std::shared_ptr<litehtml::element>& el, int depth);

    std::unique_ptr<PageContainer> container_;
    std::shared_ptr<litehtml::document> doc_;
    std::unordered_map<uint64_t, std::shared_ptr<litehtml::element>> byNode_;
};

}  // namespace webengine
