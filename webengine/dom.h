// The page's document tree: the one place script reads and changes, and what layout draws.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace webengine {

enum class NodeType : int { Element = 1, Text = 3, Comment = 8, Document = 9 };

class Document;

struct Attribute {
    std::string name;
    std::string value;
};

class Node : public std::enable_shared_from_this<Node> {
  public:
    using Ptr = std::shared_ptr<Node>;

    // Use Document::Create* to make nodes.
    Node(Document* doc, NodeType type, std::string nameOrData);
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    NodeType type() const { return type_; }
    bool isElement() const { return type_ == NodeType::Element; }
    uint64_t id() const { return id_; }
    Document* document() const { return doc_; }
    // Lower-case tag name of an element; empty for other nodes.
    const std::string& tag() const { return tag_; }
    // Text of a text or comment node.
    const std::string& data() const { return data_; }
    void setData(std::string data);

    const std::vector<Attribute>& attributes() const { return attrs_; }
    const std::string* attribute(std::string_view name) const;
    std::string attributeOr(std::string_view name, std::string_view fallback = {}) const;
    bool hasAttribute(std::string_view name) const { return attribute(name) != nullptr; }
    // Names are matched without regard to ASCII case and stored in lower case.
    void setAttribute(std::string_view name, std::string value);
    bool removeAttribute(std::string_view name);

    bool hasClass(std::string_view cls) const;
    std::vector<std::string> classes() const;

    Node* parent() const { return parent_; }
    const std::vector<Ptr>& children() const { return children_; }
    Node* firstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
    Node* lastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
    Node* nextSibling() const;
    Node* previousSibling() const;
    int indexInParent() const;
    Node* parentElement() const;
    // Element children only.
    std::vector<Node*> elementChildren() const;

    // Both return false and fill error when the change would break the tree (a node into its own
    // subtree, a tree too deep, a node of another document, a document node as a child).
    bool appendChild(const Ptr& child, std::string* error);
    bool insertBefore(const Ptr& child, Node* reference, std::string* error);
    Ptr removeChild(Node* child);
    void removeAllChildren();

    // Inclusive: a node contains itself.
    bool contains(const Node* other) const;
    bool isConnected() const;
    int depth() const;

    std::string textContent() const;
    void setTextContent(std::string_view text);

    Ptr ptr() { return shared_from_this(); }

  private:
    friend class Document;
    bool checkInsert(const Ptr& child, std::string* error) const;

    Document* doc_;
    NodeType type_;
    uint64_t id_;
    std::string tag_;
    std::string data_;
    std::vector<Attribute> attrs_;
    Node* parent_ = nullptr;
    std::vector<Ptr> children_;
};

class Document {
  public:
    // Bounds that keep recursion in layout and drawing and the memory of hostile pages in check.
    static constexpr int kMaxDepth = 256;
    static constexpr size_t kMaxNodes = 200000;

    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    Node* root() const { return root_.get(); }
    Node* documentElement() const;
    Node* head() const;
    Node* body() const;

    // Null once the node limit is reached.
    Node::Ptr CreateElement(std::string_view tag);
    Node::Ptr CreateText(std::string_view text);
    Node::Ptr CreateComment(std::string_view text);

    Node* getElementById(std::string_view id) const;
    std::string title() const;
    void setTitle(std::string_view title);

    // Bumped by every change of the tree, an attribute or a text.
    uint64_t version() const { return version_; }
    void touch() { ++version_; }
    size_t nodeCount() const { return nodeCount_; }

    // Told when a node's storage goes, so that what is kept per node elsewhere can go too.
    void setNodeGoneHook(std::function<void(uint64_t)> hook) { nodeGone_ = std::move(hook); }

  private:
    friend class Node;
    Node::Ptr make(NodeType type, std::string_view nameOrData);

    Node::Ptr root_;
    uint64_t version_ = 1;
    uint64_t nextId_ = 1;
    size_t nodeCount_ = 0;
    std::function<void(uint64_t)> nodeGone_;
};

// Visits node and its descendants in document order; stops when visit returns false.
void ForEachInTree(Node* node, const std::function<bool(Node*)>& visit);

}  // namespace webengine
