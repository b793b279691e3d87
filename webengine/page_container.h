// What litehtml needs from its host to lay out and draw a page: fonts and text with pango,
// boxes, borders and images with cairo, style sheets and images from the page's folder.
#pragma once

#include <cairo.h>
#include <litehtml.h>
#include <pango/pangocairo.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace webengine {

class PageContainer : public litehtml::document_container {
  public:
    PageContainer();
    ~PageContainer();
    PageContainer(const PageContainer&) = delete;
    PageContainer& operator=(const PageContainer&) = delete;

    void setViewport(int scrollX, int scrollY, int width, int height);
    void setBaseUrl(const std::string& url) { baseUrl_ = url; }
    const std::string& baseUrl() const { return baseUrl_; }
    // Forgets the images and style sheets read for the previous page.
    void clearResources();
    // Drops cached fonts when there are many; call only while no document uses them.
    void trimFonts();
    int textWidth(const std::string& text, litehtml::uint_ptr font);

    // litehtml::document_container
    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr font) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr font,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const litehtml::tchar_t* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                    bool redraw_on_ready) override;
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                        litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                      const litehtml::position& draw_pos, bool root) override;
    void set_caption(const litehtml::tchar_t* caption) override;
    void set_base_url(const litehtml::tchar_t* base_url) override;
    void link(const std::shared_ptr<litehtml::document>& doc,
              const litehtml::element::ptr& el) override;
    void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override;
    void set_cursor(const litehtml::tchar_t* cursor) override;
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                    litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius,
                  bool valid_x, bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element> create_element(
        const litehtml::tchar_t* tag_name, const litehtml::string_map& attributes,
        const std::shared_ptr<litehtml::document>& doc) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;
    void split_text(const char* text, const std::function<void(const litehtml::tchar_t*)>& on_word,
                    const std::function<void(const litehtml::tchar_t*)>& on_space) override;

    struct Font;

  private:
    struct Clip {
        litehtml::position box;
        litehtml::border_radiuses radius;
    };
    cairo_surface_t* image(const std::string& src, const std::string& baseurl);
    void applyClips(cairo_t* cr) const;

    PangoContext* pango_ = nullptr;
    std::map<std::string, std::unique_ptr<Font>> fonts_;
    std::unordered_map<std::string, cairo_surface_t*> images_;
    std::vector<Clip> clips_;
    std::string baseUrl_;
    int scrollX_ = 0;
    int scrollY_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace webengine
