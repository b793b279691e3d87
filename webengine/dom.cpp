#include "webengine/dom.h"

#include <algorithm>

#include "webengine/text_util.h"

namespace webengine {

namespace {

int SubtreeHeight(const Node* node) {
    int best = 0;
    for (const auto& child : node->children()) best = std::max(best, SubtreeHeight(child.get()));
    return best + 1;
}

void AppendText(const Node* node, std::string& out) {
    if (node->type() == NodeType::Text) {
        out += node->data();
        return;
    }
    if (node->type() == NodeType::Comment) return;
    for (const auto& child : node->children()) AppendText(child.get(), out);
}

}  // namespace

Node::Node(Document* doc, NodeType type, std::string nameOrData) : doc_(doc), type_(type) {
    id_ = doc->nextId_++;
    ++doc->nodeCount_;
    if (type == NodeType::Element) {
        tag_ = std::move(nameOrData);
    } else if (type != NodeType::Document) {
        data_ = std::move(nameOrData);
    }
}

Node::~Node() {
    for (auto& child : children_) child->parent_ = nullptr;
    --doc_->nodeCount_;
    if (doc_->nodeGone_) doc_->nodeGone_(id_);
}

void Node::setData(std::string data) {
    if (data == data_) return;
    data_ = std::move(data);
    doc_->touch();
}

const std::string* Node::attribute(std::string_view name) const {
    for (const auto& attr : attrs_) {
        if (EqualsIgnoreCase(attr.name, name)) return &attr.value;
    }
    return nullptr;
}

std::string Node::attributeOr(std::string_view name, std::string_view fallback) const {
    const std::string* value = attribute(name);
    return value != nullptr ? *value : std::string(fallback);
}

void Node::setAttribute(std::string_view name, std::string value) {
    for (auto& attr : attrs_) {
        if (EqualsIgnoreCase(attr.name, name)) {
            if (attr.value == value) return;
            attr.value = std::move(value);
            doc_->touch();
            return;
        }
    }
    attrs_.push_back({AsciiLower(name), std::move(value)});
    doc_->touch();
}

bool Node::removeAttribute(std::string_view name) {
    for (auto it = attrs_.begin(); it != attrs_.end(); ++it) {
        if (EqualsIgnoreCase(it->name, name)) {
            attrs_.erase(it);
            doc_->touch();
            return true;
        }
    }
    return false;
}

std::vector<std::string> Node::classes() const {
    std::vector<std::string> out;
    const std::string* value = attribute("class");
    if (value == nullptr) return out;
    size_t pos = 0;
    while (pos < value->size()) {
        while (pos < value->size() && IsAsciiSpace((*value)[pos])) ++pos;
        size_t start = pos;
        while (pos < value->size() && !IsAsciiSpace((*value)[pos])) ++pos;
        if (pos > start) out.emplace_back(value->substr(start, pos - start));
    }
    return out;
}

bool Node::hasClass(std::string_view cls) const {
    if (cls.empty()) return false;
    for (const auto& c : classes()) {
        if (c == cls) return true;
    }
    return false;
}

Node* Node::nextSibling() const {
    if (parent_ == nullptr) return nullptr;
    int index = indexInParent();
    const auto& siblings = parent_->children_;
    return index + 1 < static_cast<int>(siblings.size()) ? siblings[index + 1].get() : nullptr;
}

Node* Node::previousSibling() const {
    if (parent_ == nullptr) return nullptr;
    int index = indexInParent();
    return index > 0 ? parent_->children_[index - 1].get() : nullptr;
}

int Node::indexInParent() const {
    if (parent_ == nullptr) return -1;
    const auto& siblings = parent_->children_;
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this) return static_cast<int>(i);
    }
    return -1;
}

Node* Node::parentElement() const {
    return parent_ != nullptr && parent_->isElement() ? parent_ : nullptr;
}

std::vector<Node*> Node::elementChildren() const {
    std::vector<Node*> out;
    for (const auto& child : children_) {
        if (child->isElement()) out.push_back(child.get());
    }
    return out;
}

bool Node::checkInsert(const Ptr& child, std::string* error) const {
    auto fail = [&](const char* text) {
        if (error != nullptr) *error = text;
        return false;
    };
    if (!child) return fail("the node to insert is null");
    if (child->doc_ != doc_) return fail("the node belongs to another document");
    if (child->type_ == NodeType::Document) return fail("a document cannot be a child");
    if (type_ != NodeType::Element && type_ != NodeType::Document)
        return fail("this node cannot have children");
    if (child->contains(this)) return fail("the new child contains the parent");
    if (depth() + SubtreeHeight(child.get()) > Document::kMaxDepth)
        return fail("the tree would be too deep");
    return true;
}

bool Node::appendChild(const Ptr& child, std::string* error) {
    return insertBefore(child, nullptr, error);
}

bool Node::insertBefore(const Ptr& child, Node* reference, std::string* error) {
    if (!checkInsert(child, error)) return false;
    if (reference != nullptr && reference->parent_ != this) {
        if (error != nullptr) *error = "the reference node is not a child of this node";
        return false;
    }
    Ptr keep = child;
    if (child->parent_ != nullptr) child->parent_->removeChild(child.get());
    auto at = children_.end();
    if (reference != nullptr) {
        at = std::find_if(children_.begin(), children_.end(),
                          [&](const Ptr& c) { return c.get() == reference; });
    }
    children_.insert(at, keep);
    keep->parent_ = this;
    doc_->touch();
    return true;
}

Node::Ptr Node::removeChild(Node* child) {
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->get() == child) {
            Ptr keep = *it;
            children_.erase(it);
            keep->parent_ = nullptr;
            doc_->touch();
            return keep;
        }
    }
    return nullptr;
}

void Node::removeAllChildren() {
    if (children_.empty()) return;
    std::vector<Ptr> gone;
    gone.swap(children_);
    for (auto& child : gone) child->parent_ = nullptr;
    doc_->touch();
}

bool Node::contains(const Node* other) const {
    for (const Node* n = other; n != nullptr; n = n->parent_) {
        if (n == this) return true;
    }
    return false;
}

bool Node::isConnected() const {
    const Node* n = this;
    while (n->parent_ != nullptr) n = n->parent_;
    return n == doc_->root();
}

int Node::depth() const {
    int d = 0;
    for (const Node* n = parent_; n != nullptr; n = n->parent_) ++d;
    return d;
}

std::string Node::textContent() const {
    if (type_ == NodeType::Text || type_ == NodeType::Comment) return data_;
    std::string out;
    AppendText(this, out);
    return out;
}

void Node::setTextContent(std::string_view text) {
    if (type_ == NodeType::Text || type_ == NodeType::Comment) {
        setData(std::string(text));
        return;
    }
    removeAllChildren();
    if (text.empty()) return;
    Ptr node = doc_->CreateText(text);
    if (node) appendChild(node, nullptr);
}

Document::Document() {
    root_ = make(NodeType::Document, "");
}

Document::~Document() {
    nodeGone_ = nullptr;
    root_.reset();
}

Node::Ptr Document::make(NodeType type, std::string_view nameOrData) {
    if (nodeCount_ >= kMaxNodes) return nullptr;
    return std::make_shared<Node>(this, type, std::string(nameOrData));
}

Node::Ptr Document::CreateElement(std::string_view tag) {
    return make(NodeType::Element, AsciiLower(tag));
}

Node::Ptr Document::CreateText(std::string_view text) {
    return make(NodeType::Text, text);
}

Node::Ptr Document::CreateComment(std::string_view text) {
    return make(NodeType::Comment, text);
}

Node* Document::documentElement() const {
    for (const auto& child : root_->children()) {
        if (child->isElement()) return child.get();
    }
    return nullptr;
}

namespace {
Node* ChildByTag(Node* parent, std::string_view tag) {
    if (parent == nullptr) return nullptr;
    for (const auto& child : parent->children()) {
        if (child->isElement() && child->tag() == tag) return child.get();
    }
    return nullptr;
}
}  // namespace

Node* Document::head() const {
    return ChildByTag(documentElement(), "head");
}

Node* Document::body() const {
    return ChildByTag(documentElement(), "body");
}

Node* Document::getElementById(std::string_view id) const {
    if (id.empty()) return nullptr;
    Node* found = nullptr;
    ForEachInTree(root_.get(), [&](Node* n) {
        if (n->isElement()) {
            const std::string* value = n->attribute("id");
            if (value != nullptr && *value == id) {
                found = n;
                return false;
            }
        }
        return true;
    });
    return found;
}

std::string Document::title() const {
    Node* titleNode = nullptr;
    ForEachInTree(root_.get(), [&](Node* n) {
        if (n->isElement() && n->tag() == "title") {
            titleNode = n;
            return false;
        }
        return true;
    });
    if (titleNode == nullptr) return {};
    // Runs of white space collapse to one space, as a browser shows the title.
    std::string raw = titleNode->textContent();
    std::string out;
    bool space = false;
    for (char c : raw) {
        if (IsAsciiSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space) out.push_back(' ');
        space = false;
        out.push_back(c);
    }
    return out;
}

void Document::setTitle(std::string_view title) {
    Node* titleNode = nullptr;
    ForEachInTree(root_.get(), [&](Node* n) {
        if (n->isElement() && n->tag() == "title") {
            titleNode = n;
            return false;
        }
        return true;
    });
    if (titleNode == nullptr) {
        Node* h = head();
        if (h == nullptr) return;
        Node::Ptr created = CreateElement("title");
        if (!created || !h->appendChild(created, nullptr)) return;
        titleNode = created.get();
    }
    titleNode->setTextContent(title);
}

void ForEachInTree(Node* node, const std::function<bool(Node*)>& visit) {
    // Iterative so that the walk itself never depends on the tree's depth.
    std::vector<std::pair<Node*, size_t>> stack;
    if (!visit(node)) return;
    stack.push_back({node, 0});
    while (!stack.empty()) {
        auto& [current, next] = stack.back();
        if (next >= current->children().size()) {
            stack.pop_back();
            continue;
        }
        Node* child = current->children()[next++].get();
        if (!visit(child)) return;
        if (!child->children().empty()) stack.push_back({child, 0});
    }
}

}  // namespace webengine
