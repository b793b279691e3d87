#include "webengine/html_parser.h"

#include <gumbo.h>

#include <cstring>
#include <memory>

#include "webengine/text_util.h"

namespace webengine {

namespace {

struct GumboOutputDeleter {
    void operator()(GumboOutput* out) const { gumbo_destroy_output(&kGumboDefaultOptions, out); }
};
using GumboOutputPtr = std::unique_ptr<GumboOutput, GumboOutputDeleter>;

std::string TagName(const GumboNode* node) {
    const GumboElement& el = node->v.element;
    if (el.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(el.tag);
    GumboStringPiece piece = el.original_tag;
    gumbo_tag_from_original_text(&piece);
    if (piece.data == nullptr || piece.length == 0) return "span";
    return AsciiLower(std::string_view(piece.data, piece.length));
}

// Copies gumbo's tree below source into target; nodes deeper than the document's bound are
// attached to the deepest allowed ancestor, as browsers flatten over-deep markup.
void Convert(Document& doc, const GumboNode* source, Node* target) {
    const GumboVector* children = nullptr;
    if (source->type == GUMBO_NODE_DOCUMENT) {
        children = &source->v.document.children;
    } else if (source->type == GUMBO_NODE_ELEMENT || source->type == GUMBO_NODE_TEMPLATE) {
        children = &source->v.element.children;
    }
    if (children == nullptr) return;
    struct Frame {
        const GumboVector* children;
        unsigned int next;
        Node* target;
    };
    std::vector<Frame> stack{{children, 0, target}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next >= frame.children->length) {
            stack.pop_back();
            continue;
        }
        const auto* child = static_cast<const GumboNode*>(frame.children->data[frame.next++]);
        Node* parent = frame.target;
        Node::Ptr created;
        switch (child->type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA:
                created = doc.CreateText(SanitizeUtf8(child->v.text.text));
                break;
            case GUMBO_NODE_COMMENT:
                created = doc.CreateComment(SanitizeUtf8(child->v.text.text));
                break;
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                created = doc.CreateElement(TagName(child));
                if (!created) break;
                const GumboVector& attrs = child->v.element.attributes;
                for (unsigned int i = 0; i < attrs.length; ++i) {
                    const auto* attr = static_cast<const GumboAttribute*>(attrs.data[i]);
                    std::string name = SanitizeUtf8(attr->name);
                    if (name.empty() || name == kNodeIdAttribute) continue;
                    created->setAttribute(name, SanitizeUtf8(attr->value));
                }
                break;
            }
            default:
                break;
        }
        if (!created) continue;
        // Merge adjacent text so the tree matches what script expects to see.
        if (created->type() == NodeType::Text && parent->lastChild() != nullptr &&
            parent->lastChild()->type() == NodeType::Text) {
            Node* last = parent->lastChild();
            last->setData(last->data() + created->data());
            continue;
        }
        if (parent->depth() + 1 > Document::kMaxDepth) {
            parent = parent->parent();
        }
        if (!parent->appendChild(created, nullptr)) continue;
        if (created->isElement() && child->v.element.children.length > 0) {
            Node* next = created.get();
            if (created->depth() >= Document::kMaxDepth) next = parent;
            stack.push_back({&child->v.element.children, 0, next});
        }
    }
}

GumboTag ContextTag(std::string_view tag) {
    GumboTag t = gumbo_tagn_enum(tag.data(), static_cast<unsigned int>(tag.size()));
    return t == GUMBO_TAG_UNKNOWN ? GUMBO_TAG_DIV : t;
}

bool IsRawTextElement(std::string_view tag) {
    return tag == "script" || tag == "style" || tag == "xmp" || tag == "iframe" ||
           tag == "noembed" || tag == "noframes" || tag == "plaintext";
}

struct SerializeOptions {
    bool forLayout = false;
};

void SerializeNode(const Node& node, std::string& out, const SerializeOptions& opts);

void SerializeChildren(const Node& node, std::string& out, const SerializeOptions& opts) {
    for (const auto& child : node.children()) SerializeNode(*child, out, opts);
}

void SerializeNode(const Node& node, std::string& out, const SerializeOptions& opts) {
    switch (node.type()) {
        case NodeType::Text: {
            const Node* parent = node.parent();
            if (parent != nullptr && IsRawTextElement(parent->tag())) {
                out += node.data();
            } else {
                AppendEscapedText(out, node.data());
            }
            return;
        }
        case NodeType::Comment:
            if (opts.forLayout) return;
            out += "<!--";
            out += node.data();
            out += "-->";
            return;
        case NodeType::Document:
            SerializeChildren(node, out, opts);
            return;
        case NodeType::Element:
            break;
    }
    out.push_back('<');
    out += node.tag();
    for (const auto& attr : node.attributes()) {
        out.push_back(' ');
        out += attr.name;
        out += "=\"";
        AppendEscapedAttribute(out, attr.value);
        out.push_back('"');
    }
    if (opts.forLayout) {
        out += ' ';
        out += kNodeIdAttribute;
        out += "=\"";
        out += std::to_string(node.id());
        out += '"';
    }
    out.push_back('>');
    if (IsVoidElement(node.tag())) return;
    if (opts.forLayout && node.tag() == "script") {
        // Layout never needs script text, and its text could end the element early.
    } else if (IsRawTextElement(node.tag())) {
        // Raw text ends at the first matching end tag; cut there rather than let it leak out.
        std::string text = node.textContent();
        std::string lower = AsciiLower(text);
        size_t end = lower.find("</" + node.tag());
        if (end != std::string::npos) text.resize(end);
        out += text;
    } else {
        SerializeChildren(node, out, opts);
    }
    out += "</";
    out += node.tag();
    out.push_back('>');
}

}  // namespace

bool IsVoidElement(std::string_view tag) {
    static const char* const kVoid[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    for (const char* v : kVoid) {
        if (tag == v) return true;
    }
    return false;
}

void ParseDocument(Document& doc, std::string_view html) {
    doc.root()->removeAllChildren();
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutputPtr output(gumbo_parse_with_options(&options, html.data(), html.size()));
    if (!output) return;
    Convert(doc, output->document, doc.root());
}

std::vector<Node::Ptr> ParseFragment(Document& doc, std::string_view html,
                                     std::string_view contextTag) {
    std::vector<Node::Ptr> result;
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    options.fragment_context = ContextTag(contextTag);
    GumboOutputPtr output(gumbo_parse_with_options(&options, html.data(), html.size()));
    if (!output) return result;
    // A fragment parse yields an <html> root holding the fragment's nodes.
    Node::Ptr holder = doc.CreateElement("html");
    if (!holder) return result;
    Convert(doc, output->root, holder.get());
    std::vector<Node::Ptr> kids = holder->children();
    holder->removeAllChildren();
    return kids;
}

std::string InnerHtml(const Node& node) {
    std::string out;
    SerializeChildren(node, out, {});
    return out;
}

std::string OuterHtml(const Node& node) {
    std::string out;
    SerializeNode(node, out, {});
    return out;
}

std::string SerializeForLayout(const Document& doc) {
    std::string out = "<!DOCTYPE html>";
    SerializeOptions opts;
    opts.forLayout = true;
    SerializeNode(*doc.root(), out, opts);
    return out;
}

}  // namespace webengine
