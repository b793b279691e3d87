// Mouse, wheel, keyboard and focus input of a view, turned into DOM events.
#include <algorithm>
#include <cstdlib>

#include "webengine/js_value.h"
#include "webengine/text_util.h"
#include "webengine/web_view.h"

namespace webengine {

namespace {

// Window message numbers of the mouse messages the host forwards.
constexpr unsigned int kMouseMove = 0x0200;
constexpr unsigned int kLButtonDown = 0x0201;
constexpr unsigned int kLButtonUp = 0x0202;
constexpr unsigned int kLButtonDblClk = 0x0203;
constexpr unsigned int kRButtonDown = 0x0204;
constexpr unsigned int kRButtonUp = 0x0205;
constexpr unsigned int kRButtonDblClk = 0x0206;
constexpr unsigned int kMButtonDown = 0x0207;
constexpr unsigned int kMButtonUp = 0x0208;
constexpr unsigned int kMButtonDblClk = 0x0209;
constexpr unsigned int kMouseLeave = 0x02A3;

// Virtual-key codes with a meaning of their own here.
constexpr unsigned int kVkTab = 0x09;
constexpr unsigned int kVkReturn = 0x0D;
constexpr unsigned int kVkShift = 0x10;
constexpr unsigned int kVkControl = 0x11;
constexpr unsigned int kVkMenu = 0x12;
constexpr unsigned int kVkSpace = 0x20;
constexpr unsigned int kVkPrior = 0x21;
constexpr unsigned int kVkNext = 0x22;
constexpr unsigned int kVkEnd = 0x23;
constexpr unsigned int kVkHome = 0x24;
constexpr unsigned int kVkLeft = 0x25;
constexpr unsigned int kVkUp = 0x26;
constexpr unsigned int kVkRight = 0x27;
constexpr unsigned int kVkDown = 0x28;

constexpr int64_t kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 4;
constexpr int kLineScroll = 40;

std::string KeyName(unsigned int vk, bool shift) {
    switch (vk) {
        case 0x08:
            return "Backspace";
        case kVkTab:
            return "Tab";
        case kVkReturn:
            return "Enter";
        case kVkShift:
            return "Shift";
        case kVkControl:
            return "Control";
        case kVkMenu:
            return "Alt";
        case 0x13:
            return "Pause";
        case 0x14:
            return "CapsLock";
        case 0x1B:
            return "Escape";
        case kVkSpace:
            return " ";
        case kVkPrior:
            return "PageUp";
        case kVkNext:
            return "PageDown";
        case kVkEnd:
            return "End";
        case kVkHome:
            return "Home";
        case kVkLeft:
            return "ArrowLeft";
        case kVkUp:
            return "ArrowUp";
        case kVkRight:
            return "ArrowRight";
        case kVkDown:
            return "ArrowDown";
        case 0x2D:
            return "Insert";
        case 0x2E:
            return "Delete";
        case 0x5B:
        case 0x5C:
            return "Meta";
        case 0x5D:
            return "ContextMenu";
        default:
            break;
    }
    if (vk >= '0' && vk <= '9') return std::string(1, static_cast<char>(vk));
    if (vk >= 'A' && vk <= 'Z') {
        return std::string(1, static_cast<char>(shift ? vk : vk - 'A' + 'a'));
    }
    if (vk >= 0x60 && vk <= 0x69) return std::string(1, static_cast<char>('0' + vk - 0x60));
    if (vk >= 0x70 && vk <= 0x87) return "F" + std::to_string(vk - 0x70 + 1);
    return "Unidentified";
}

bool IsFocusable(const Node& n) {
    if (!n.isElement()) return false;
    if (n.hasAttribute("disabled")) return false;
    const std::string* tabindex = n.attribute("tabindex");
    if (tabindex != nullptr) return true;
    const std::string& t = n.tag();
    if (t == "a") return n.hasAttribute("href");
    if (t == "input") return AsciiLower(n.attributeOr("type")) != "hidden";
    return t == "button" || t == "select" || t == "textarea";
}

bool IsTabStop(const Node& n) {
    if (!IsFocusable(n)) return false;
    const std::string* tabindex = n.attribute("tabindex");
    return tabindex == nullptr || std::atoi(tabindex->c_str()) >= 0;
}

bool IsTextField(const Node& n) {
    if (!n.isElement()) return false;
    if (n.tag() == "textarea") return true;
    if (n.attribute("contenteditable") != nullptr &&
        AsciiLower(n.attributeOr("contenteditable")) != "false")
        return true;
    if (n.tag() != "input") return false;
    std::string type = AsciiLower(n.attributeOr("type", "text"));
    return type == "text" || type == "password" || type == "search" || type == "email" ||
           type == "url" || type == "tel" || type == "number" || type.empty();
}

bool IsActivatable(const Node& n) {
    if (!n.isElement()) return false;
    const std::string& t = n.tag();
    if (t == "a") return n.hasAttribute("href");
    if (t == "button") return true;
    if (t == "input") {
        std::string type = AsciiLower(n.attributeOr("type"));
        return type == "button" || type == "submit" || type == "reset" || type == "checkbox" ||
               type == "radio";
    }
    return false;
}

Node* CommonAncestor(Node* a, Node* b) {
    for (Node* n = a; n != nullptr; n = n->parent()) {
        if (n->contains(b)) return n;
    }
    return nullptr;
}

}  // namespace

Node* WebView::hitNode(int x, int y) {
    updateLayout();
    uint64_t id = renderer_.hitTest(x, y, scrollX_, scrollY_);
    Node* n = id != 0 ? nodeById(id) : nullptr;
    return n;
}

Node* WebView::eventTarget(Node* hit) {
    if (hit != nullptr && hit->isConnected()) return hit;
    if (Node* body = document_->body()) return body;
    return document_->documentElement();
}

EventInit WebView::mouseInit(const char* type, int x, int y, int button, unsigned int flags) {
    EventInit init;
    init.type = type;
    init.mouse = true;
    init.clientX = x;
    init.clientY = y;
    init.button = button;
    init.buttons = ((flags & WV_LBUTTON) ? 1 : 0) | ((flags & WV_RBUTTON) ? 2 : 0) |
                   ((flags & WV_MBUTTON) ? 4 : 0);
    init.ctrlKey = (flags & WV_CONTROL) != 0;
    init.shiftKey = (flags & WV_SHIFT) != 0;
    init.altKey = altDown_;
    return init;
}

void WebView::moveHover(Node* target, int x, int y) {
    pointerInside_ = true;
    pointerX_ = x;
    pointerY_ = y;
    if (renderer_.pointerMoved(x, y, scrollX_, scrollY_)) needsLayout_ = true;
    Node::Ptr next = target != nullptr ? target->ptr() : nullptr;
    if (next == hover_) return;
    Node::Ptr previous = hover_;
    hover_ = next;
    if (!script_) return;
    if (previous && previous->isConnected()) {
        EventInit out = mouseInit("mouseout", x, y, 0, 0);
        out.relatedTarget = next.get();
        script_->dispatch(previous.get(), out);
        // mouseleave goes to each element the pointer left, without bubbling.
        for (Node* n = previous.get(); n != nullptr && n->isElement(); n = n->parent()) {
            if (next && n->contains(next.get())) break;
            EventInit leave = mouseInit("mouseleave", x, y, 0, 0);
            leave.bubbles = false;
            leave.cancelable = false;
            leave.relatedTarget = next.get();
            script_->dispatch(n, leave);
        }
    }
    if (next && next->isConnected()) {
        EventInit over = mouseInit("mouseover", x, y, 0, 0);
        over.relatedTarget = previous.get();
        script_->dispatch(next.get(), over);
        std::vector<Node*> entered;
        for (Node* n = next.get(); n != nullptr && n->isElement(); n = n->parent()) {
            if (previous && n->contains(previous.get())) break;
            entered.push_back(n);
        }
        for (auto it = entered.rbegin(); it != entered.rend(); ++it) {
            EventInit enter = mouseInit("mouseenter", x, y, 0, 0);
            enter.bubbles = false;
            enter.cancelable = false;
            enter.relatedTarget = previous.get();
            script_->dispatch(*it, enter);
        }
    }
}

bool WebView::mouseEvent(unsigned int message, int x, int y, unsigned int flags) {
    if (!script_) return false;
    CallScope scope(*this);
    if (message == kMouseLeave) {
        pointerInside_ = false;
        if (renderer_.pointerLeft()) needsLayout_ = true;
        if (hover_ && hover_->isConnected() && script_) {
            Node::Ptr previous = hover_;
            hover_.reset();
            script_->dispatch(previous.get(), mouseInit("mouseout", x, y, 0, flags));
            for (Node* n = previous.get(); n != nullptr && n->isElement(); n = n->parent()) {
                EventInit leave = mouseInit("mouseleave", x, y, 0, flags);
                leave.bubbles = false;
                leave.cancelable = false;
                script_->dispatch(n, leave);
            }
        }
        hover_.reset();
        return true;
    }

    int button = -1;
    bool down = false;
    bool up = false;
    bool dbl = false;
    switch (message) {
        case kMouseMove:
            break;
        case kLButtonDblClk:
            dbl = true;
            [[fallthrough]];
        case kLButtonDown:
            button = 0;
            down = true;
            break;
        case kRButtonDblClk:
            dbl = true;
            [[fallthrough]];
        case kRButtonDown:
            button = 2;
            down = true;
            break;
        case kMButtonDblClk:
            dbl = true;
            [[fallthrough]];
        case kMButtonDown:
            button = 1;
            down = true;
            break;
        case kLButtonUp:
            button = 0;
            up = true;
            break;
        case kRButtonUp:
            button = 2;
            up = true;
            break;
        case kMButtonUp:
            button = 1;
            up = true;
            break;
        default:
            return false;
    }

    Node::Ptr target = eventTarget(hitNode(x, y))->ptr();
    moveHover(target.get(), x, y);

    if (!down && !up) {
        script_->dispatch(target.get(), mouseInit("mousemove", x, y, 0, flags));
        return true;
    }

    if (down) {
        // Two presses of the same button close in time and place count as a double click.
        int64_t now = NowMs();
        bool again = button == lastDownButton_ && now - lastDownTime_ <= kDoubleClickMs &&
                     std::abs(x - lastDownX_) <= kDoubleClickSlop &&
                     std::abs(y - lastDownY_) <= kDoubleClickSlop;
        clickCount_ = again ? clickCount_ + 1 : 1;
        if (dbl && clickCount_ < 2) clickCount_ = 2;
        lastDownButton_ = button;
        lastDownTime_ = now;
        lastDownX_ = x;
        lastDownY_ = y;
        EventInit init = mouseInit("mousedown", x, y, button, flags);
        init.detail = clickCount_;
        bool proceed = script_->dispatch(target.get(), init);
        if (!script_) return true;
        if (button == 0) {
            pressed_ = target;
            if (renderer_.buttonDown(x, y, scrollX_, scrollY_)) needsLayout_ = true;
            if (proceed) {
                Node* focusTarget = nullptr;
                for (Node* n = target.get(); n != nullptr; n = n->parent()) {
                    if (IsFocusable(*n)) {
                        focusTarget = n;
                        break;
                    }
                }
                setFocusedNode(focusTarget);
            }
        }
        return true;
    }

    EventInit init = mouseInit("mouseup", x, y, button, flags);
    init.detail = clickCount_;
    bool proceed = script_->dispatch(target.get(), init);
    if (!script_) return true;
    if (button == 2) return !proceed;
    if (button != 0) return true;
    if (renderer_.buttonUp(x, y, scrollX_, scrollY_)) needsLayout_ = true;
    Node::Ptr pressed = std::move(pressed_);
    pressed_.reset();
    if (!pressed || !pressed->isConnected() || !target->isConnected()) return true;
    Node* clickTarget = CommonAncestor(pressed.get(), target.get());
    if (clickTarget == nullptr || !clickTarget->isElement()) return true;
    Node::Ptr keep = clickTarget->ptr();
    EventInit click = mouseInit("click", x, y, 0, flags);
    click.detail = clickCount_;
    if (script_->dispatch(keep.get(), click)) clickDefault(keep.get());
    if (clickCount_ == 2 && script_ && keep->isConnected()) {
        EventInit dblclick = mouseInit("dblclick", x, y, 0, flags);
        dblclick.detail = 2;
        script_->dispatch(keep.get(), dblclick);
    }
    return true;
}

void WebView::clickDefault(Node* target) {
    for (Node* n = target; n != nullptr; n = n->parent()) {
        if (!n->isElement()) continue;
        if (n->tag() == "input") {
            std::string type = AsciiLower(n->attributeOr("type"));
            if (type != "checkbox" && type != "radio") continue;
            if (n->hasAttribute("disabled")) return;
            Node::Ptr keep = n->ptr();
            if (type == "checkbox") {
                if (n->hasAttribute("checked")) {
                    n->removeAttribute("checked");
                } else {
                    n->setAttribute("checked", "");
                }
            } else {
                if (n->hasAttribute("checked")) return;
                std::string name = n->attributeOr("name");
                if (!name.empty()) {
                    std::vector<Node*> group;
                    ForEachInTree(document_->root(), [&](Node* other) {
                        if (other->isElement() && other->tag() == "input" &&
                            AsciiLower(other->attributeOr("type")) == "radio" &&
                            other->attributeOr("name") == name)
                            group.push_back(other);
                        return true;
                    });
                    for (Node* other : group) other->removeAttribute("checked");
                }
                n->setAttribute("checked", "");
            }
            if (!script_) return;
            EventInit input;
            input.type = "input";
            input.cancelable = false;
            script_->dispatch(keep.get(), input);
            input.type = "change";
            if (script_) script_->dispatch(keep.get(), input);
            return;
        }
        if (n->tag() == "a" && n->hasAttribute("href")) {
            navigate(n->attributeOr("href"));
            return;
        }
    }
}

bool WebView::contextMenuEvent(int x, int y, unsigned int flags) {
    if (!script_) return false;
    CallScope scope(*this);
    Node* target = nullptr;
    int cx = x, cy = y;
    if (x == -1 && y == -1) {
        // From the keyboard: the menu belongs to the focused element.
        target = eventTarget(focusedNode());
        cx = 0;
        cy = 0;
    } else {
        target = eventTarget(hitNode(x, y));
    }
    Node::Ptr keep = target->ptr();
    EventInit init = mouseInit("contextmenu", cx, cy, 2, flags);
    script_->dispatch(keep.get(), init);
    return true;
}

bool WebView::scrollBy(int dx, int dy) {
    int oldX = scrollX_, oldY = scrollY_;
    scrollTo(scrollX_ + dx, scrollY_ + dy);
    return oldX != scrollX_ || oldY != scrollY_;
}

bool WebView::mouseWheel(int x, int y, int delta, unsigned int flags) {
    if (!script_) return false;
    CallScope scope(*this);
    Node::Ptr target = eventTarget(hitNode(x, y))->ptr();
    // One notch (120) scrolls 100 pixels; a positive delta turns the wheel away from the user.
    double deltaY = -static_cast<double>(delta) * 100.0 / 120.0;
    EventInit init = mouseInit("wheel", x, y, 0, flags);
    init.wheel = true;
    init.deltaY = deltaY;
    bool proceed = script_->dispatch(target.get(), init);
    if (!script_) return true;
    if (!proceed) return true;
    return scrollBy(0, static_cast<int>(deltaY));
}

EventInit WebView::keyInit(const char* type, unsigned int code, unsigned int flags) {
    EventInit init;
    init.type = type;
    init.keyboard = true;
    init.keyCode = static_cast<int>(code);
    init.key = KeyName(code, shiftDown_);
    init.repeat = (flags & WV_REPEAT) != 0;
    init.ctrlKey = ctrlDown_;
    init.shiftKey = shiftDown_;
    init.altKey = altDown_;
    return init;
}

bool WebView::moveFocus(bool backwards) {
    std::vector<Node*> stops;
    ForEachInTree(document_->root(), [&](Node* n) {
        if (IsTabStop(*n)) stops.push_back(n);
        return true;
    });
    if (stops.empty()) return false;
    Node* current = focusedNode();
    auto at = std::find(stops.begin(), stops.end(), current);
    Node* next = nullptr;
    if (at == stops.end()) {
        next = backwards ? stops.back() : stops.front();
    } else if (backwards) {
        next = at == stops.begin() ? stops.back() : *(at - 1);
    } else {
        next = (at + 1) == stops.end() ? stops.front() : *(at + 1);
    }
    setFocusedNode(next);
    return true;
}

bool WebView::keyDown(unsigned int virtualKeyCode, unsigned int flags, bool) {
    if (!script_) return false;
    CallScope scope(*this);
    if (virtualKeyCode == kVkShift) shiftDown_ = true;
    if (virtualKeyCode == kVkControl) ctrlDown_ = true;
    if (virtualKeyCode == kVkMenu) altDown_ = true;
    Node::Ptr target = eventTarget(focusedNode())->ptr();
    bool proceed = script_->dispatch(target.get(), keyInit("keydown", virtualKeyCode, flags));
    if (!script_) return true;
    if (!proceed) return true;
    Node* focused = focusedNode();
    bool inText = focused != nullptr && IsTextField(*focused);
    switch (virtualKeyCode) {
        case kVkTab:
            return moveFocus(shiftDown_);
        case kVkReturn:
            if (focused != nullptr && IsActivatable(*focused)) {
                Node::Ptr keep = focused->ptr();
                EventInit click = mouseInit("click", 0, 0, 0, 0);
                click.detail = 0;
                if (script_->dispatch(keep.get(), click)) clickDefault(keep.get());
                return true;
            }
            return false;
        case kVkUp:
            return !inText && scrollBy(0, -kLineScroll);
        case kVkDown:
            return !inText && scrollBy(0, kLineScroll);
        case kVkLeft:
            return !inText && scrollBy(-kLineScroll, 0);
        case kVkRight:
            return !inText && scrollBy(kLineScroll, 0);
        case kVkPrior:
            return scrollBy(0, -std::max(height_ * 7 / 8, kLineScroll));
        case kVkNext:
            return scrollBy(0, std::max(height_ * 7 / 8, kLineScroll));
        case kVkHome:
            return !inText && scrollBy(0, -scrollY_);
        case kVkEnd:
            return !inText && scrollBy(0, renderer_.contentHeight());
        case kVkSpace:
            if (inText || (focused != nullptr && IsActivatable(*focused))) return false;
            return scrollBy(0, (shiftDown_ ? -1 : 1) * std::max(height_ * 7 / 8, kLineScroll));
        default:
            return false;
    }
}

bool WebView::keyUp(unsigned int virtualKeyCode, unsigned int flags, bool) {
    if (!script_) return false;
    CallScope scope(*this);
    if (virtualKeyCode == kVkShift) shiftDown_ = false;
    if (virtualKeyCode == kVkControl) ctrlDown_ = false;
    if (virtualKeyCode == kVkMenu) altDown_ = false;
    Node::Ptr target = eventTarget(focusedNode())->ptr();
    bool proceed = script_->dispatch(target.get(), keyInit("keyup", virtualKeyCode, flags));
    if (!script_) return true;
    if (!proceed) return true;
    Node* focused = focusedNode();
    // A space released on a button or link activates it, as a click would.
    if (virtualKeyCode == kVkSpace && focused != nullptr && IsActivatable(*focused)) {
        Node::Ptr keep = focused->ptr();
        EventInit click = mouseInit("click", 0, 0, 0, 0);
        click.detail = 0;
        if (script_->dispatch(keep.get(), click)) clickDefault(keep.get());
        return true;
    }
    return false;
}

bool WebView::keyPress(unsigned int charCode, unsigned int flags, bool) {
    if (!script_) return false;
    CallScope scope(*this);
    Node::Ptr target = eventTarget(focusedNode())->ptr();
    EventInit init = keyInit("keypress", charCode, flags);
    init.keyCode = static_cast<int>(charCode);
    init.charCode = static_cast<int>(charCode);
    if (charCode == '\r') {
        init.key = "Enter";
    } else if (charCode >= 0x20 && charCode <= 0x10FFFF &&
               !(charCode >= 0xD800 && charCode <= 0xDFFF)) {
        init.key.clear();
        AppendUtf8(init.key, static_cast<char32_t>(charCode));
    } else {
        init.key = "Unidentified";
    }
    return !script_->dispatch(target.get(), init);
}

void WebView::focus() {
    CallScope scope(*this);
    if (viewFocused_) return;
    viewFocused_ = true;
    if (!script_) return;
    script_->dispatchToWindow("focus");
    if (Node* n = focusedNode()) {
        EventInit init;
        init.type = "focus";
        init.bubbles = false;
        init.cancelable = false;
        if (script_) script_->dispatch(n, init);
    }
}

void WebView::unfocus() {
    CallScope scope(*this);
    if (!viewFocused_) return;
    viewFocused_ = false;
    shiftDown_ = ctrlDown_ = altDown_ = false;
    if (!script_) return;
    if (Node* n = focusedNode()) {
        EventInit init;
        init.type = "blur";
        init.bubbles = false;
        init.cancelable = false;
        script_->dispatch(n, init);
    }
    if (script_) script_->dispatchToWindow("blur");
}

wvRect WebView::getCaret() {
    wvRect none{0, 0, 0, 0};
    Node* n = focusedNode();
    if (!viewFocused_ || n == nullptr || !IsTextField(*n)) return none;
    CallScope scope(*this);
    updateLayout();
    std::string text = n->tag() == "input" ? n->attributeOr("value") : n->textContent();
    if (AsciiLower(n->attributeOr("type")) == "password") text.assign(text.size(), '*');
    Box caret;
    if (!renderer_.caretOf(n->id(), text, caret)) return none;
    return wvRect{caret.x - scrollX_, caret.y - scrollY_, caret.w, caret.h};
}

}  // namespace webengine
