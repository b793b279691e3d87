#include "webengine/script_host.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/win_kernel.h"
#include "webengine/html_parser.h"
#include "webengine/js_value.h"
#include "webengine/script_prelude.h"
#include "webengine/selector.h"
#include "webengine/text_util.h"

namespace webengine {

namespace {

constexpr size_t kHeapLimit = 256u * 1024u * 1024u;
constexpr size_t kMaxTimers = 10000;
constexpr int kMaxDelay = 0x7FFFFFFF;
constexpr const char* kNodeBox = DUK_HIDDEN_SYMBOL("node");
constexpr const char* kNativeFn = DUK_HIDDEN_SYMBOL("fn");
constexpr const char* kStashCache = "wvcache";
constexpr const char* kStashProtos = "wvprotos";
constexpr const char* kStashHost = "wvhost";
constexpr const char* kStashValues = "wvvalues";

void Log(const char* prefix, const std::string& text) {
    std::string line = "webengine: ";
    line += prefix;
    line += text;
    if (line.empty() || line.back() != '\n') line.push_back('\n');
    OutputDebugStringA(line.c_str());
}

// Duktape keeps characters beyond U+FFFF as surrogate pairs, each written as three bytes
// (CESU-8). Page text is proper UTF-8, so pairs are joined and lone halves replaced.
std::string CesuToUtf8(const char* text, size_t len) {
    std::string out;
    out.reserve(len);
    size_t pos = 0;
    std::string_view view(text, len);
    char32_t pendingHigh = 0;
    while (pos < len) {
        unsigned char c = static_cast<unsigned char>(view[pos]);
        char32_t cp;
        if (c == 0xED && pos + 2 < len) {
            // A surrogate half: decode it by hand, NextCodePoint refuses them.
            unsigned char c1 = static_cast<unsigned char>(view[pos + 1]);
            unsigned char c2 = static_cast<unsigned char>(view[pos + 2]);
            if ((c1 & 0xC0) == 0x80 && (c2 & 0xC0) == 0x80) {
                cp = ((c & 0x0F) << 12) | ((c1 & 0x3F) << 6) | (c2 & 0x3F);
                pos += 3;
            } else {
                cp = NextCodePoint(view, pos);
            }
        } else if (c == 0) {
            cp = ' ';
            ++pos;
        } else {
            cp = NextCodePoint(view, pos);
        }
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (pendingHigh != 0) AppendUtf8(out, 0xFFFD);
            pendingHigh = cp;
            continue;
        }
        if (cp >= 0xDC00 && cp <= 0xDFFF) {
            if (pendingHigh != 0) {
                AppendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (cp - 0xDC00));
                pendingHigh = 0;
            } else {
                AppendUtf8(out, 0xFFFD);
            }
            continue;
        }
        if (pendingHigh != 0) {
            AppendUtf8(out, 0xFFFD);
            pendingHigh = 0;
        }
        AppendUtf8(out, cp);
    }
    if (pendingHigh != 0) AppendUtf8(out, 0xFFFD);
    return out;
}

std::string StringArg(duk_context* ctx, duk_idx_t index) {
    duk_size_t len = 0;
    const char* text = duk_safe_to_lstring(ctx, index, &len);
    return CesuToUtf8(text, len);
}

void PushString(duk_context* ctx, const std::string& text) {
    duk_push_lstring(ctx, text.data(), text.size());
}

struct HeapHeader {
    size_t size;
    size_t pad;
};

void Fatal(void*, const char* msg) {
    Log("fatal script engine error: ", msg != nullptr ? msg : "");
    std::abort();
}

ScriptHost* HostOf(duk_context* ctx) {
    return ScriptHost::fromContext(ctx);
}

// Natives. Each does its C++ work in a helper that cannot throw a script error and reports
// failures through a small buffer; the error is raised only once no C++ object is left alive,
// because a script error unwinds with longjmp.
using Impl = duk_ret_t (*)(duk_context* ctx, ScriptHost& host, char* error);

template <Impl impl, int errorType>
duk_ret_t Native(duk_context* ctx) {
    char error[192] = {0};
    duk_ret_t result = 0;
    ScriptHost* host = HostOf(ctx);
    try {
        result = impl(ctx, *host, error);
    } catch (...) {
        std::snprintf(error, sizeof error, "out of memory");
    }
    if (error[0] != '\0') return duk_error(ctx, errorType, "%s", error);
    return result;
}

Node* NodeOrFail(duk_context* ctx, duk_idx_t index, char* error) {
    Node* node = ScriptHost::nodeAt(ctx, index);
    if (node == nullptr) std::snprintf(error, 192, "argument %d is not a node", index + 1);
    return node;
}

#define NODE_ARG(var, index)                     \
    Node* var = NodeOrFail(ctx, (index), error); \
    if (var == nullptr) return 0

duk_ret_t SetPrototypes(duk_context* ctx, ScriptHost&, char*) {
    duk_push_global_stash(ctx);
    duk_push_array(ctx);
    for (duk_idx_t i = 0; i < 4; ++i) {
        duk_dup(ctx, i);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    duk_put_prop_string(ctx, -2, kStashProtos);
    duk_pop(ctx);
    return 0;
}

duk_ret_t TypeOf(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    duk_push_int(ctx, static_cast<int>(n->type()));
    return 1;
}

duk_ret_t TagOf(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    PushString(ctx, n->tag());
    return 1;
}

duk_ret_t IdOf(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    duk_push_number(ctx, static_cast<double>(n->id()));
    return 1;
}

duk_ret_t ParentOf(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    host.pushNode(ctx, n->parent());
    return 1;
}

std::vector<Node*> Kids(Node* n, bool elementsOnly) {
    if (elementsOnly) return n->elementChildren();
    std::vector<Node*> out;
    for (const auto& c : n->children()) out.push_back(c.get());
    return out;
}

duk_ret_t ChildOf(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    int index = duk_get_int(ctx, 1);
    std::vector<Node*> kids = Kids(n, duk_get_boolean(ctx, 2));
    if (index < 0) index += static_cast<int>(kids.size());
    host.pushNode(ctx, index >= 0 && index < static_cast<int>(kids.size()) ? kids[index] : nullptr);
    return 1;
}

duk_ret_t ChildrenOf(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    std::vector<Node*> kids = Kids(n, duk_get_boolean(ctx, 1));
    duk_push_array(ctx);
    for (size_t i = 0; i < kids.size(); ++i) {
        host.pushNode(ctx, kids[i]);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    return 1;
}

duk_ret_t SiblingOf(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    int dir = duk_get_int(ctx, 1);
    bool elementsOnly = duk_get_boolean(ctx, 2);
    Node* s = n;
    do {
        s = dir > 0 ? s->nextSibling() : s->previousSibling();
    } while (s != nullptr && elementsOnly && !s->isElement());
    host.pushNode(ctx, s);
    return 1;
}

duk_ret_t GetAttr(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    const std::string* value = n->attribute(StringArg(ctx, 1));
    if (value == nullptr) {
        duk_push_null(ctx);
    } else {
        PushString(ctx, *value);
    }
    return 1;
}

bool ValidAttributeName(const std::string& name) {
    if (name.empty() || name.size() > 256) return false;
    for (char c : name) {
        if (IsAsciiSpace(c) || c == '"' || c == '\'' || c == '>' || c == '/' || c == '=' ||
            c == '<' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return name != kNodeIdAttribute;
}

duk_ret_t SetAttr(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    std::string name = StringArg(ctx, 1);
    if (!n->isElement()) return 0;
    if (!ValidAttributeName(name)) {
        std::snprintf(error, 192, "'%.64s' is not a valid attribute name", name.c_str());
        return 0;
    }
    n->setAttribute(name, StringArg(ctx, 2));
    return 0;
}

duk_ret_t RemoveAttr(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    n->removeAttribute(StringArg(ctx, 1));
    return 0;
}

duk_ret_t HasAttr(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    duk_push_boolean(ctx, n->hasAttribute(StringArg(ctx, 1)));
    return 1;
}

duk_ret_t AttrNames(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    duk_push_array(ctx);
    duk_uarridx_t i = 0;
    for (const auto& a : n->attributes()) {
        PushString(ctx, a.name);
        duk_put_prop_index(ctx, -2, i++);
    }
    return 1;
}

duk_ret_t TextOf(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    PushString(ctx, n->textContent());
    return 1;
}

duk_ret_t SetText(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    n->setTextContent(StringArg(ctx, 1));
    return 0;
}

duk_ret_t InnerHtmlOf(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    PushString(ctx, InnerHtml(*n));
    return 1;
}

duk_ret_t OuterHtmlOf(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    PushString(ctx, OuterHtml(*n));
    return 1;
}

duk_ret_t SetInnerHtml(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    if (!n->isElement()) return 0;
    std::string html = StringArg(ctx, 1);
    std::vector<Node::Ptr> nodes = ParseFragment(host.document(), html, n->tag());
    n->removeAllChildren();
    for (const auto& child : nodes) n->appendChild(child, nullptr);
    return 0;
}

duk_ret_t Insert(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(parent, 0);
    NODE_ARG(child, 1);
    Node* ref = duk_is_null_or_undefined(ctx, 2) ? nullptr : ScriptHost::nodeAt(ctx, 2);
    std::string why;
    if (!parent->insertBefore(child->ptr(), ref, &why)) {
        std::snprintf(error, 192, "cannot insert the node: %s", why.c_str());
    }
    return 0;
}

duk_ret_t Remove(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(parent, 0);
    NODE_ARG(child, 1);
    if (child->parent() != parent) {
        std::snprintf(error, 192, "the node to remove is not a child of this node");
        return 0;
    }
    parent->removeChild(child);
    return 0;
}

duk_ret_t Contains(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(a, 0);
    Node* b = ScriptHost::nodeAt(ctx, 1);
    duk_push_boolean(ctx, b != nullptr && a->contains(b));
    return 1;
}

duk_ret_t Connected(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    duk_push_boolean(ctx, n->isConnected());
    return 1;
}

Node::Ptr CloneTree(Document& doc, const Node& source, bool deep, int depth) {
    Node::Ptr copy;
    switch (source.type()) {
        case NodeType::Element:
            copy = doc.CreateElement(source.tag());
            if (copy) {
                for (const auto& a : source.attributes()) copy->setAttribute(a.name, a.value);
            }
            break;
        case NodeType::Text:
            copy = doc.CreateText(source.data());
            break;
        case NodeType::Comment:
            copy = doc.CreateComment(source.data());
            break;
        case NodeType::Document:
            return nullptr;
    }
    if (copy && deep && depth < Document::kMaxDepth) {
        for (const auto& child : source.children()) {
            Node::Ptr c = CloneTree(doc, *child, true, depth + 1);
            if (c) copy->appendChild(c, nullptr);
        }
    }
    return copy;
}

duk_ret_t Clone(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    Node::Ptr copy = CloneTree(host.document(), *n, duk_get_boolean(ctx, 1), 0);
    if (!copy) {
        std::snprintf(error, 192, "this node cannot be cloned");
        return 0;
    }
    host.pushNode(ctx, copy.get());
    return 1;
}

duk_ret_t Query(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    std::string text = StringArg(ctx, 1);
    bool all = duk_get_boolean(ctx, 2);
    auto selector = SelectorList::Parse(text);
    if (!selector) {
        std::snprintf(error, 192, "'%.100s' is not a valid selector", text.c_str());
        return 0;
    }
    if (!all) {
        host.pushNode(ctx, selector->QueryFirst(*n));
        return 1;
    }
    std::vector<Node*> found = selector->QueryAll(*n);
    duk_push_array(ctx);
    for (size_t i = 0; i < found.size(); ++i) {
        host.pushNode(ctx, found[i]);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    return 1;
}

duk_ret_t Matches(duk_context* ctx, ScriptHost&, char* error) {
    NODE_ARG(n, 0);
    std::string text = StringArg(ctx, 1);
    auto selector = SelectorList::Parse(text);
    if (!selector) {
        std::snprintf(error, 192, "'%.100s' is not a valid selector", text.c_str());
        return 0;
    }
    duk_push_boolean(ctx, selector->Matches(*n));
    return 1;
}

void PushNodeList(duk_context* ctx, ScriptHost& host, const std::vector<Node*>& nodes) {
    duk_push_array(ctx);
    for (size_t i = 0; i < nodes.size(); ++i) {
        host.pushNode(ctx, nodes[i]);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
}

duk_ret_t ByTag(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    std::string tag = AsciiLower(StringArg(ctx, 1));
    std::vector<Node*> found;
    ForEachInTree(n, [&](Node* x) {
        if (x != n && x->isElement() && (tag == "*" || x->tag() == tag)) found.push_back(x);
        return true;
    });
    PushNodeList(ctx, host, found);
    return 1;
}

duk_ret_t ByClass(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    std::string names = StringArg(ctx, 1);
    std::vector<std::string> wanted;
    size_t pos = 0;
    while (pos < names.size()) {
        while (pos < names.size() && IsAsciiSpace(names[pos])) ++pos;
        size_t start = pos;
        while (pos < names.size() && !IsAsciiSpace(names[pos])) ++pos;
        if (pos > start) wanted.push_back(names.substr(start, pos - start));
    }
    std::vector<Node*> found;
    if (!wanted.empty()) {
        ForEachInTree(n, [&](Node* x) {
            if (x == n || !x->isElement()) return true;
            for (const auto& w : wanted) {
                if (!x->hasClass(w)) return true;
            }
            found.push_back(x);
            return true;
        });
    }
    PushNodeList(ctx, host, found);
    return 1;
}

duk_ret_t CreateElement(duk_context* ctx, ScriptHost& host, char* error) {
    std::string tag = StringArg(ctx, 0);
    bool valid = !tag.empty() && tag.size() <= 64;
    for (char c : tag) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == ':' || c == '.';
        valid = valid && ok;
    }
    if (!valid) {
        std::snprintf(error, 192, "'%.64s' is not a valid tag name", tag.c_str());
        return 0;
    }
    Node::Ptr node = host.document().CreateElement(tag);
    if (!node) {
        std::snprintf(error, 192, "too many nodes");
        return 0;
    }
    host.pushNode(ctx, node.get());
    return 1;
}

duk_ret_t CreateText(duk_context* ctx, ScriptHost& host, char* error) {
    Node::Ptr node = host.document().CreateText(StringArg(ctx, 0));
    if (!node) {
        std::snprintf(error, 192, "too many nodes");
        return 0;
    }
    host.pushNode(ctx, node.get());
    return 1;
}

duk_ret_t CreateComment(duk_context* ctx, ScriptHost& host, char* error) {
    Node::Ptr node = host.document().CreateComment(StringArg(ctx, 0));
    if (!node) {
        std::snprintf(error, 192, "too many nodes");
        return 0;
    }
    host.pushNode(ctx, node.get());
    return 1;
}

duk_ret_t DocumentNode(duk_context* ctx, ScriptHost& host, char*) {
    host.pushNode(ctx, host.document().root());
    return 1;
}

duk_ret_t DocumentElement(duk_context* ctx, ScriptHost& host, char*) {
    host.pushNode(ctx, host.document().documentElement());
    return 1;
}

duk_ret_t Head(duk_context* ctx, ScriptHost& host, char*) {
    host.pushNode(ctx, host.document().head());
    return 1;
}

duk_ret_t Body(duk_context* ctx, ScriptHost& host, char*) {
    host.pushNode(ctx, host.document().body());
    return 1;
}

duk_ret_t ById(duk_context* ctx, ScriptHost& host, char*) {
    host.pushNode(ctx, host.document().getElementById(StringArg(ctx, 0)));
    return 1;
}

duk_ret_t Title(duk_context* ctx, ScriptHost& host, char*) {
    PushString(ctx, host.document().title());
    return 1;
}

duk_ret_t SetTitle(duk_context* ctx, ScriptHost& host, char*) {
    host.document().setTitle(StringArg(ctx, 0));
    return 0;
}

duk_ret_t Rect(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    host.client().flushLayout();
    Box box;
    if (!n->isConnected() || !host.client().elementBox(n->id(), box)) {
        duk_push_null(ctx);
        return 1;
    }
    duk_push_array(ctx);
    int values[4] = {box.x, box.y, box.w, box.h};
    for (duk_uarridx_t i = 0; i < 4; ++i) {
        duk_push_int(ctx, values[i]);
        duk_put_prop_index(ctx, -2, i);
    }
    return 1;
}

duk_ret_t Focus(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    if (n->isConnected()) host.client().setFocusedNode(n);
    return 0;
}

duk_ret_t Blur(duk_context* ctx, ScriptHost& host, char* error) {
    NODE_ARG(n, 0);
    if (host.client().focusedNode() == n) host.client().setFocusedNode(nullptr);
    return 0;
}

duk_ret_t ActiveElement(duk_context* ctx, ScriptHost& host, char*) {
    host.pushNode(ctx, host.client().focusedNode());
    return 1;
}

duk_ret_t HasFocus(duk_context* ctx, ScriptHost& host, char*) {
    duk_push_boolean(ctx, host.client().viewHasFocus());
    return 1;
}

duk_ret_t SetTimer(duk_context* ctx, ScriptHost& host, char*) {
    double delay = duk_get_number_default(ctx, 0, 0);
    int ms = 0;
    if (std::isfinite(delay) && delay > 0)
        ms = delay >= kMaxDelay ? kMaxDelay : static_cast<int>(delay);
    duk_push_int(ctx, host.setTimer(ms, duk_get_boolean(ctx, 1)));
    return 1;
}

duk_ret_t ClearTimer(duk_context* ctx, ScriptHost& host, char*) {
    host.clearTimer(duk_get_int(ctx, 0));
    return 0;
}

duk_ret_t LogText(duk_context* ctx, ScriptHost&, char*) {
    std::string level = StringArg(ctx, 0);
    std::string text = StringArg(ctx, 1);
    if (text.size() > 4096) text.resize(4096);
    Log(("console." + level + ": ").c_str(), text);
    return 0;
}

duk_ret_t Report(duk_context* ctx, ScriptHost& host, char*) {
    std::string where = duk_is_string(ctx, 1) ? StringArg(ctx, 1) : std::string("script");
    duk_dup(ctx, 0);
    host.reportError(ctx, where.c_str());
    return 0;
}

duk_ret_t Url(duk_context* ctx, ScriptHost& host, char*) {
    PushString(ctx, host.client().pageUrl());
    return 1;
}

duk_ret_t Navigate(duk_context* ctx, ScriptHost& host, char*) {
    host.client().navigate(StringArg(ctx, 0));
    return 0;
}

void PushPair(duk_context* ctx, int a, int b) {
    duk_push_array(ctx);
    duk_push_int(ctx, a);
    duk_put_prop_index(ctx, -2, 0);
    duk_push_int(ctx, b);
    duk_put_prop_index(ctx, -2, 1);
}

duk_ret_t ViewSize(duk_context* ctx, ScriptHost& host, char*) {
    int w = 0, h = 0;
    host.client().viewSize(w, h);
    PushPair(ctx, w, h);
    return 1;
}

duk_ret_t Scroll(duk_context* ctx, ScriptHost& host, char*) {
    int x = 0, y = 0;
    host.client().scrollPosition(x, y);
    PushPair(ctx, x, y);
    return 1;
}

duk_ret_t ScrollTo(duk_context* ctx, ScriptHost& host, char*) {
    double x = duk_get_number_default(ctx, 0, 0);
    double y = duk_get_number_default(ctx, 1, 0);
    auto clamp = [](double v) {
        return std::isfinite(v) ? static_cast<int>(std::clamp(v, -1e8, 1e8)) : 0;
    };
    host.client().scrollTo(clamp(x), clamp(y));
    return 0;
}

struct NativeEntry {
    const char* name;
    duk_c_function fn;
    duk_idx_t nargs;
};

#define N_ENTRY(name, impl, nargs) \
    { name, &Native<impl, DUK_ERR_TYPE_ERROR>, nargs }
#define N_ENTRY_SYNTAX(name, impl, nargs) \
    { name, &Native<impl, DUK_ERR_SYNTAX_ERROR>, nargs }

const NativeEntry kNatives[] = {
    N_ENTRY("setPrototypes", SetPrototypes, 4),
    N_ENTRY("type", TypeOf, 1),
    N_ENTRY("tag", TagOf, 1),
    N_ENTRY("id", IdOf, 1),
    N_ENTRY("parent", ParentOf, 1),
    N_ENTRY("child", ChildOf, 3),
    N_ENTRY("children", ChildrenOf, 2),
    N_ENTRY("sibling", SiblingOf, 3),
    N_ENTRY("getAttr", GetAttr, 2),
    N_ENTRY_SYNTAX("setAttr", SetAttr, 3),
    N_ENTRY("removeAttr", RemoveAttr, 2),
    N_ENTRY("hasAttr", HasAttr, 2),
    N_ENTRY("attrNames", AttrNames, 1),
    N_ENTRY("text", TextOf, 1),
    N_ENTRY("setText", SetText, 2),
    N_ENTRY("innerHTML", InnerHtmlOf, 1),
    N_ENTRY("outerHTML", OuterHtmlOf, 1),
    N_ENTRY("setInnerHTML", SetInnerHtml, 2),
    N_ENTRY("insert", Insert, 3),
    N_ENTRY("remove", Remove, 2),
    N_ENTRY("contains", Contains, 2),
    N_ENTRY("connected", Connected, 1),
    N_ENTRY("clone", Clone, 2),
    N_ENTRY_SYNTAX("query", Query, 3),
    N_ENTRY_SYNTAX("matches", Matches, 2),
    N_ENTRY("byTag", ByTag, 2),
    N_ENTRY("byClass", ByClass, 2),
    N_ENTRY_SYNTAX("createElement", CreateElement, 1),
    N_ENTRY("createText", CreateText, 1),
    N_ENTRY("createComment", CreateComment, 1),
    N_ENTRY("document", DocumentNode, 0),
    N_ENTRY("documentElement", DocumentElement, 0),
    N_ENTRY("head", Head, 0),
    N_ENTRY("body", Body, 0),
    N_ENTRY("byId", ById, 1),
    N_ENTRY("title", Title, 0),
    N_ENTRY("setTitle", SetTitle, 1),
    N_ENTRY("rect", Rect, 1),
    N_ENTRY("focus", Focus, 1),
    N_ENTRY("blur", Blur, 1),
    N_ENTRY("activeElement", ActiveElement, 0),
    N_ENTRY("hasFocus", HasFocus, 0),
    N_ENTRY("setTimer", SetTimer, 2),
    N_ENTRY("clearTimer", ClearTimer, 1),
    N_ENTRY("log", LogText, 2),
    N_ENTRY("report", Report, 2),
    N_ENTRY("url", Url, 0),
    N_ENTRY("navigate", Navigate, 1),
    N_ENTRY("viewSize", ViewSize, 0),
    N_ENTRY("scroll", Scroll, 0),
    N_ENTRY("scrollTo", ScrollTo, 2),
};

duk_ret_t FinalizeNode(duk_context* ctx) {
    if (duk_get_prop_string(ctx, 0, kNodeBox)) {
        auto* box = static_cast<std::shared_ptr<Node>*>(duk_get_pointer(ctx, -1));
        delete box;
    }
    duk_pop(ctx);
    duk_push_pointer(ctx, nullptr);
    duk_put_prop_string(ctx, 0, kNodeBox);
    return 0;
}

// A bound native function: the embedder's function runs at once with this call's arguments.
duk_ret_t CallBinding(duk_context* ctx) {
    ScriptHost* host = HostOf(ctx);
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, kNativeFn);
    auto fn =
        reinterpret_cast<jsNativeFunction>(reinterpret_cast<uintptr_t>(duk_get_pointer(ctx, -1)));
    duk_pop_2(ctx);
    if (fn == nullptr) return 0;
    jsExecStateRecord state;
    state.host = host;
    state.ctx = ctx;
    state.argc = duk_get_top(ctx);
    jsValue result = jsv::Make(jsv::Undefined);
    try {
        result = fn(&state);
    } catch (...) {
        Log("native function failed with an exception", "");
    }
    host->pushValue(ctx, result);
    return 1;
}

}  // namespace

void* HeapAlloc(void* udata, duk_size_t size) {
    auto* host = static_cast<ScriptHost*>(udata);
    if (size == 0) return nullptr;
    if (host->heapBytes_ + size > kHeapLimit) return nullptr;
    auto* header = static_cast<HeapHeader*>(std::malloc(sizeof(HeapHeader) + size));
    if (header == nullptr) return nullptr;
    header->size = size;
    host->heapBytes_ += size;
    return header + 1;
}

void HeapFree(void* udata, void* ptr) {
    if (ptr == nullptr) return;
    auto* host = static_cast<ScriptHost*>(udata);
    auto* header = static_cast<HeapHeader*>(ptr) - 1;
    host->heapBytes_ -= header->size;
    std::free(header);
}

void* HeapRealloc(void* udata, void* ptr, duk_size_t size) {
    auto* host = static_cast<ScriptHost*>(udata);
    if (ptr == nullptr) return HeapAlloc(udata, size);
    if (size == 0) {
        HeapFree(udata, ptr);
        return nullptr;
    }
    auto* header = static_cast<HeapHeader*>(ptr) - 1;
    size_t old = header->size;
    if (size > old && host->heapBytes_ + (size - old) > kHeapLimit) return nullptr;
    auto* grown = static_cast<HeapHeader*>(std::realloc(header, sizeof(HeapHeader) + size));
    if (grown == nullptr) return nullptr;
    grown->size = size;
    host->heapBytes_ = host->heapBytes_ - old + size;
    return grown + 1;
}

ScriptHost::ScriptHost(Document& doc, ScriptHostClient& client) : doc_(doc), client_(client) {
    global_.host = this;
    doc_.setNodeGoneHook([this](uint64_t id) {
        if (!tearingDown_) goneNodes_.push_back(id);
    });
    ctx_ = duk_create_heap(&HeapAlloc, &HeapRealloc, &HeapFree, this, &Fatal);
    if (ctx_ == nullptr) return;
    global_.ctx = ctx_;
    duk_push_global_stash(ctx_);
    duk_push_object(ctx_);
    duk_put_prop_string(ctx_, -2, kStashCache);
    duk_push_object(ctx_);
    duk_put_prop_string(ctx_, -2, kStashHost);
    duk_push_array(ctx_);
    duk_put_prop_string(ctx_, -2, kStashValues);
    duk_pop(ctx_);

    // Evaluate the prelude and call it with the natives, the global object and the host table.
    duk_push_string(ctx_, "prelude");
    if (duk_pcompile_lstring_filename(ctx_, DUK_COMPILE_EVAL, kScriptPrelude,
                                      std::strlen(kScriptPrelude)) != 0 ||
        duk_pcall(ctx_, 0) != 0) {
        reportError(ctx_, "prelude");
        duk_pop(ctx_);
        return;
    }
    duk_push_object(ctx_);
    for (const NativeEntry& e : kNatives) {
        duk_push_c_function(ctx_, e.fn, e.nargs);
        duk_put_prop_string(ctx_, -2, e.name);
    }
    duk_push_global_object(ctx_);
    duk_push_global_stash(ctx_);
    duk_get_prop_string(ctx_, -1, kStashHost);
    duk_remove(ctx_, -2);
    if (duk_pcall(ctx_, 3) != 0) reportError(ctx_, "prelude");
    duk_pop(ctx_);
}

ScriptHost::~ScriptHost() {
    tearingDown_ = true;
    doc_.setNodeGoneHook(nullptr);
    if (ctx_ != nullptr) duk_destroy_heap(ctx_);
    ctx_ = nullptr;
}

ScriptHost* ScriptHost::fromContext(duk_context* ctx) {
    duk_memory_functions funcs;
    duk_get_memory_functions(ctx, &funcs);
    return static_cast<ScriptHost*>(funcs.udata);
}

void ScriptHost::installBindings(const std::vector<NativeBinding>& bindings) {
    if (ctx_ == nullptr) return;
    duk_push_global_object(ctx_);
    for (const NativeBinding& b : bindings) {
        duk_push_c_function(ctx_, &CallBinding, DUK_VARARGS);
        duk_push_pointer(ctx_, reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(b.fn)));
        duk_put_prop_string(ctx_, -2, kNativeFn);
        duk_push_string(ctx_, "length");
        duk_push_uint(ctx_, b.argCount);
        duk_def_prop(ctx_, -3, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_FORCE);
        duk_push_string(ctx_, "name");
        PushString(ctx_, b.name);
        duk_def_prop(ctx_, -3, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_FORCE);
        duk_put_prop_lstring(ctx_, -2, b.name.data(), b.name.size());
    }
    duk_pop(ctx_);
}

void ScriptHost::reportError(duk_context* ctx, const char* where) {
    std::string text;
    if (duk_is_error(ctx, -1)) {
        duk_get_prop_string(ctx, -1, "stack");
        if (duk_is_string(ctx, -1)) text = StringArg(ctx, -1);
        duk_pop(ctx);
    }
    if (text.empty()) text = StringArg(ctx, -1);
    if (text.size() > 4096) text.resize(4096);
    Log((std::string("script error in ") + where + ": ").c_str(), text);
}

void ScriptHost::runScript(const std::string& code, const std::string& source) {
    if (ctx_ == nullptr) return;
    ++depth_;
    PushString(ctx_, source);
    if (duk_pcompile_lstring_filename(ctx_, 0, code.data(), code.size()) != 0 ||
        duk_pcall(ctx_, 0) != 0) {
        reportError(ctx_, source.c_str());
    }
    duk_pop(ctx_);
    --depth_;
}

jsValue ScriptHost::evaluate(const std::string& code) {
    if (ctx_ == nullptr) return jsv::Make(jsv::Undefined);
    ++depth_;
    jsValue result = jsv::Make(jsv::Undefined);
    duk_push_string(ctx_, "runJS");
    if (duk_pcompile_lstring_filename(ctx_, DUK_COMPILE_EVAL, code.data(), code.size()) != 0 ||
        duk_pcall(ctx_, 0) != 0) {
        reportError(ctx_, "runJS");
    } else {
        result = keepValue(-1);
    }
    duk_pop(ctx_);
    --depth_;
    return result;
}

void ScriptHost::pushNode(duk_context* ctx, Node* node) {
    if (node == nullptr) {
        duk_push_null(ctx);
        return;
    }
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kStashCache);
    duk_push_number(ctx, static_cast<double>(node->id()));
    if (duk_get_prop(ctx, -2)) {
        duk_replace(ctx, -3);
        duk_pop(ctx);
        return;
    }
    duk_pop(ctx);
    // [stash cache] -> a new wrapper
    duk_push_object(ctx);
    duk_get_prop_string(ctx, -3, kStashProtos);
    int kind = node->type() == NodeType::Element   ? 0
               : node->type() == NodeType::Text    ? 1
               : node->type() == NodeType::Comment ? 2
                                                   : 3;
    if (duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(kind))) {
        duk_set_prototype(ctx, -3);
        duk_pop(ctx);
    } else {
        duk_pop_2(ctx);
    }
    duk_push_pointer(ctx, new std::shared_ptr<Node>(node->ptr()));
    duk_put_prop_string(ctx, -2, kNodeBox);
    duk_push_c_function(ctx, &FinalizeNode, 1);
    duk_set_finalizer(ctx, -2);
    duk_push_number(ctx, static_cast<double>(node->id()));
    duk_dup(ctx, -2);
    duk_put_prop(ctx, -4);
    wrapped_[node->id()] = node->ptr();
    duk_replace(ctx, -3);
    duk_pop(ctx);
}

Node* ScriptHost::nodeAt(duk_context* ctx, duk_idx_t index) {
    if (!duk_is_object(ctx, index)) return nullptr;
    Node* node = nullptr;
    if (duk_get_prop_string(ctx, index, kNodeBox)) {
        auto* box = static_cast<std::shared_ptr<Node>*>(duk_get_pointer(ctx, -1));
        if (box != nullptr) node = box->get();
    }
    duk_pop(ctx);
    return node;
}

int ScriptHost::setTimer(int delayMs, bool repeat) {
    if (timers_.size() >= kMaxTimers) return 0;
    int id = nextTimer_++;
    if (nextTimer_ <= 0) nextTimer_ = 1;
    Timer t;
    t.interval = repeat ? std::max(delayMs, 1) : delayMs;
    t.due = NowMs() + delayMs;
    t.repeat = repeat;
    t.order = timerOrder_++;
    timers_[id] = t;
    return id;
}

void ScriptHost::clearTimer(int id) {
    timers_.erase(id);
}

void ScriptHost::runDueTimers(int64_t nowMs) {
    if (ctx_ == nullptr || timers_.empty()) return;
    std::vector<std::pair<std::pair<int64_t, uint64_t>, int>> due;
    for (const auto& [id, t] : timers_) {
        if (t.due <= nowMs) due.push_back({{t.due, t.order}, id});
    }
    std::sort(due.begin(), due.end());
    for (const auto& entry : due) {
        int id = entry.second;
        auto found = timers_.find(id);
        if (found == timers_.end()) continue;  // cleared by an earlier timer
        bool repeat = found->second.repeat;
        if (repeat) {
            found->second.due = nowMs + found->second.interval;
            found->second.order = timerOrder_++;
        } else {
            timers_.erase(found);
        }
        ++depth_;
        duk_push_global_stash(ctx_);
        duk_get_prop_string(ctx_, -1, kStashHost);
        duk_get_prop_string(ctx_, -1, "runTimer");
        duk_push_int(ctx_, id);
        duk_push_boolean(ctx_, repeat);
        if (duk_pcall(ctx_, 2) != 0) reportError(ctx_, "timer");
        duk_pop_3(ctx_);
        --depth_;
    }
}

void ScriptHost::pushEventInit(const EventInit& init) {
    duk_push_object(ctx_);
    auto putBool = [&](const char* name, bool v) {
        duk_push_boolean(ctx_, v);
        duk_put_prop_string(ctx_, -2, name);
    };
    auto putInt = [&](const char* name, int v) {
        duk_push_int(ctx_, v);
        duk_put_prop_string(ctx_, -2, name);
    };
    PushString(ctx_, init.type);
    duk_put_prop_string(ctx_, -2, "type");
    putBool("bubbles", init.bubbles);
    putBool("cancelable", init.cancelable);
    putBool("mouse", init.mouse);
    putBool("keyboard", init.keyboard);
    putBool("wheel", init.wheel);
    if (init.mouse || init.wheel) {
        putInt("clientX", init.clientX);
        putInt("clientY", init.clientY);
        putInt("screenX", init.clientX);
        putInt("screenY", init.clientY);
        putInt("button", init.button);
        putInt("buttons", init.buttons);
        putInt("detail", init.detail);
        pushNode(ctx_, init.relatedTarget);
        duk_put_prop_string(ctx_, -2, "relatedTarget");
    }
    if (init.wheel) {
        duk_push_number(ctx_, init.deltaY);
        duk_put_prop_string(ctx_, -2, "deltaY");
    }
    if (init.keyboard) {
        putInt("keyCode", init.keyCode);
        putInt("charCode", init.charCode);
        PushString(ctx_, init.key);
        duk_put_prop_string(ctx_, -2, "key");
        putBool("repeat", init.repeat);
    }
    putBool("ctrlKey", init.ctrlKey);
    putBool("shiftKey", init.shiftKey);
    putBool("altKey", init.altKey);
}

bool ScriptHost::dispatch(Node* target, const EventInit& init) {
    if (ctx_ == nullptr) return true;
    ++depth_;
    bool notCancelled = true;
    duk_push_global_stash(ctx_);
    duk_get_prop_string(ctx_, -1, kStashHost);
    duk_get_prop_string(ctx_, -1, "dispatch");
    pushNode(ctx_, target);
    pushEventInit(init);
    if (duk_pcall(ctx_, 2) != 0) {
        reportError(ctx_, init.type.c_str());
    } else {
        notCancelled = duk_to_boolean(ctx_, -1);
    }
    duk_pop_3(ctx_);
    --depth_;
    return notCancelled;
}

void ScriptHost::dispatchToWindow(const std::string& type) {
    EventInit init;
    init.type = type;
    init.bubbles = false;
    init.cancelable = false;
    dispatch(nullptr, init);
}

void ScriptHost::dispatchToDocument(const std::string& type) {
    EventInit init;
    init.type = type;
    init.bubbles = true;
    init.cancelable = false;
    dispatch(doc_.root(), init);
}

void ScriptHost::setReadyState(const char* state) {
    if (ctx_ == nullptr) return;
    duk_push_global_stash(ctx_);
    duk_get_prop_string(ctx_, -1, kStashHost);
    duk_push_string(ctx_, state);
    duk_put_prop_string(ctx_, -2, "readyState");
    duk_pop_2(ctx_);
}

void ScriptHost::collect() {
    if (ctx_ == nullptr || depth_ > 0) return;
    duk_push_global_stash(ctx_);
    if (!goneNodes_.empty()) {
        duk_get_prop_string(ctx_, -1, kStashHost);
        duk_get_prop_string(ctx_, -1, "forget");
        duk_push_array(ctx_);
        for (size_t i = 0; i < goneNodes_.size(); ++i) {
            duk_push_number(ctx_, static_cast<double>(goneNodes_[i]));
            duk_put_prop_index(ctx_, -2, static_cast<duk_uarridx_t>(i));
        }
        goneNodes_.clear();
        if (duk_pcall(ctx_, 1) != 0) reportError(ctx_, "cleanup");
        duk_pop_2(ctx_);
    }
    // Wrappers of nodes outside the document are let go; script that still holds one keeps it.
    duk_get_prop_string(ctx_, -1, kStashCache);
    for (auto it = wrapped_.begin(); it != wrapped_.end();) {
        Node::Ptr node = it->second.lock();
        if (node && node->isConnected()) {
            ++it;
            continue;
        }
        duk_push_number(ctx_, static_cast<double>(it->first));
        duk_del_prop(ctx_, -2);
        it = wrapped_.erase(it);
    }
    duk_pop_2(ctx_);
}

jsValue ScriptHost::keepValue(duk_idx_t index) {
    if (ctx_ == nullptr) return jsv::Make(jsv::Undefined);
    duk_context* ctx = ctx_;
    switch (duk_get_type(ctx, index)) {
        case DUK_TYPE_UNDEFINED:
        case DUK_TYPE_NONE:
            return jsv::Make(jsv::Undefined);
        case DUK_TYPE_NULL:
            return jsv::Make(jsv::Null);
        case DUK_TYPE_BOOLEAN:
            return jsv::Make(duk_get_boolean(ctx, index) ? jsv::True : jsv::False);
        case DUK_TYPE_NUMBER: {
            double d = duk_get_number(ctx, index);
            if (d >= -2147483648.0 && d <= 2147483647.0 && d == std::trunc(d) &&
                !(d == 0 && std::signbit(d))) {
                return jsv::FromInt(static_cast<int32_t>(d));
            }
            return jsv::FromDouble(d);
        }
        default:
            break;
    }
    duk_idx_t absolute = duk_normalize_index(ctx, index);
    uint32_t slot = nextSlot_;
    nextSlot_ = (nextSlot_ + 1) % slotGen_.size();
    uint32_t gen = (slotGen_[slot] + 1) & 0x3FFFFFFF;
    slotGen_[slot] = gen;
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kStashValues);
    duk_dup(ctx, absolute);
    duk_put_prop_index(ctx, -2, slot);
    duk_pop_2(ctx);
    return jsv::FromSlot(slot, gen);
}

void ScriptHost::pushValue(duk_context* ctx, jsValue v) {
    if (!jsv::IsTagged(v)) {
        duk_push_number(ctx, jsv::DoubleOf(v));
        return;
    }
    switch (jsv::KindOf(v)) {
        case jsv::Null:
            duk_push_null(ctx);
            return;
        case jsv::True:
            duk_push_true(ctx);
            return;
        case jsv::False:
            duk_push_false(ctx);
            return;
        case jsv::Int:
            duk_push_int(ctx, jsv::IntOf(v));
            return;
        case jsv::Slot: {
            uint32_t slot = jsv::SlotIndex(v);
            if (slot >= slotGen_.size() || slotGen_[slot] != jsv::SlotGeneration(v)) break;
            duk_push_global_stash(ctx);
            duk_get_prop_string(ctx, -1, kStashValues);
            duk_get_prop_index(ctx, -1, slot);
            duk_replace(ctx, -3);
            duk_pop(ctx);
            return;
        }
        default:
            break;
    }
    duk_push_undefined(ctx);
}

const wchar_t* ScriptHost::keepText(std::wstring text) {
    std::wstring& slot = texts_[nextText_];
    nextText_ = (nextText_ + 1) % texts_.size();
    slot = std::move(text);
    return slot.c_str();
}

namespace {
std::mutex& BindingsLock() {
    static std::mutex lock;
    return lock;
}
std::vector<NativeBinding>& Bindings() {
    static std::vector<NativeBinding> bindings;
    return bindings;
}
}  // namespace

void RegisterBinding(const char* name, jsNativeFunction fn, unsigned int argCount) {
    if (name == nullptr || *name == '\0' || fn == nullptr) return;
    std::lock_guard<std::mutex> hold(BindingsLock());
    auto& all = Bindings();
    for (auto& b : all) {
        if (b.name == name) {
            b.fn = fn;
            b.argCount = argCount;
            return;
        }
    }
    all.push_back({name, fn, argCount});
}

std::vector<NativeBinding> RegisteredBindings() {
    std::lock_guard<std::mutex> hold(BindingsLock());
    return Bindings();
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string ScriptString(duk_context* ctx, duk_idx_t index) {
    return StringArg(ctx, index);
}

}  // namespace webengine
