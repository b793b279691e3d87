#include "webengine/selector.h"

#include <cstdlib>

#include "webengine/text_util.h"

namespace webengine {

namespace {

enum class AttrOp { Exists, Equals, Word, Prefix, Suffix, Contains, DashPrefix };

struct AttrTest {
    std::string name;
    AttrOp op = AttrOp::Exists;
    std::string value;
    bool ignoreCase = false;
};

struct Compound;

struct Pseudo {
    enum Kind { FirstChild, LastChild, OnlyChild, NthChild, NthLastChild, Empty, Not, Root };
    Kind kind;
    int a = 0;
    int b = 0;
    std::vector<Compound> negated;
};

struct Compound {
    std::string tag;  // empty or "*": any
    std::vector<std::string> ids;
    std::vector<std::string> classes;
    std::vector<AttrTest> attrs;
    std::vector<Pseudo> pseudos;
};

enum class Combinator { None, Descendant, Child, Adjacent, Sibling };

}  // namespace

struct SelectorList::Complex {
    // Parts from left to right; combinator[i] joins parts[i-1] and parts[i].
    std::vector<Compound> parts;
    std::vector<Combinator> combinators;
};

namespace {

constexpr size_t kMaxSelectorLength = 4096;

class Parser {
  public:
    explicit Parser(std::string_view text) : s_(text) {}

    bool ParseList(std::vector<SelectorList::Complex>& out) {
        while (true) {
            SkipSpace();
            SelectorList::Complex complex;
            if (!ParseComplex(complex)) return false;
            out.push_back(std::move(complex));
            SkipSpace();
            if (AtEnd()) return true;
            if (s_[pos_] != ',') return false;
            ++pos_;
        }
    }

  private:
    bool AtEnd() const { return pos_ >= s_.size(); }
    void SkipSpace() {
        while (!AtEnd() && IsAsciiSpace(s_[pos_])) ++pos_;
    }
    static bool IsNameChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    }
    bool ParseName(std::string& out) {
        size_t start = pos_;
        while (!AtEnd()) {
            if (s_[pos_] == '\\' && pos_ + 1 < s_.size()) {
                out.push_back(s_[pos_ + 1]);
                pos_ += 2;
                continue;
            }
            if (!IsNameChar(s_[pos_])) break;
            out.push_back(s_[pos_++]);
        }
        return pos_ > start;
    }

    bool ParseComplex(SelectorList::Complex& out) {
        Compound first;
        if (!ParseCompound(first)) return false;
        out.parts.push_back(std::move(first));
        out.combinators.push_back(Combinator::None);
        while (true) {
            size_t before = pos_;
            SkipSpace();
            if (AtEnd() || s_[pos_] == ',' || s_[pos_] == ')') {
                return true;
            }
            Combinator comb = Combinator::Descendant;
            if (s_[pos_] == '>') {
                comb = Combinator::Child;
            } else if (s_[pos_] == '+') {
                comb = Combinator::Adjacent;
            } else if (s_[pos_] == '~') {
                comb = Combinator::Sibling;
            } else if (pos_ == before) {
                return false;  // two compounds with nothing between them
            }
            if (comb != Combinator::Descendant) {
                ++pos_;
                SkipSpace();
            }
            Compound next;
            if (!ParseCompound(next)) return false;
            out.parts.push_back(std::move(next));
            out.combinators.push_back(comb);
        }
    }

    bool ParseCompound(Compound& out) {
        bool any = false;
        if (!AtEnd() && s_[pos_] == '*') {
            out.tag.assign(1, '*');
            ++pos_;
            any = true;
        } else if (!AtEnd() && IsNameChar(s_[pos_])) {
            std::string name;
            if (!ParseName(name)) return false;
            out.tag = AsciiLower(name);
            any = true;
        }
        while (!AtEnd()) {
            char c = s_[pos_];
            if (c == '#') {
                ++pos_;
                std::string id;
                if (!ParseName(id)) return false;
                out.ids.push_back(std::move(id));
            } else if (c == '.') {
                ++pos_;
                std::string cls;
                if (!ParseName(cls)) return false;
                out.classes.push_back(std::move(cls));
            } else if (c == '[') {
                ++pos_;
                AttrTest test;
                if (!ParseAttr(test)) return false;
                out.attrs.push_back(std::move(test));
            } else if (c == ':') {
                ++pos_;
                Pseudo pseudo;
                if (!ParsePseudo(pseudo)) return false;
                out.pseudos.push_back(std::move(pseudo));
            } else {
                break;
            }
            any = true;
        }
        return any;
    }

    bool ParseAttr(AttrTest& out) {
        SkipSpace();
        std::string name;
        if (!ParseName(name)) return false;
        out.name = AsciiLower(name);
        SkipSpace();
        if (AtEnd()) return false;
        if (s_[pos_] == ']') {
            ++pos_;
            return true;
        }
        char c = s_[pos_];
        if (c == '=') {
            out.op = AttrOp::Equals;
            ++pos_;
        } else if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '=') {
            switch (c) {
                case '~':
                    out.op = AttrOp::Word;
                    break;
                case '^':
                    out.op = AttrOp::Prefix;
                    break;
                case '$':
                    out.op = AttrOp::Suffix;
                    break;
                case '*':
                    out.op = AttrOp::Contains;
                    break;
                case '|':
                    out.op = AttrOp::DashPrefix;
                    break;
                default:
                    return false;
            }
            pos_ += 2;
        } else {
            return false;
        }
        SkipSpace();
        if (AtEnd()) return false;
        if (s_[pos_] == '"' || s_[pos_] == '\'') {
            char quote = s_[pos_++];
            while (!AtEnd() && s_[pos_] != quote) {
                if (s_[pos_] == '\\' && pos_ + 1 < s_.size()) ++pos_;
                out.value.push_back(s_[pos_++]);
            }
            if (AtEnd()) return false;
            ++pos_;
        } else if (!ParseName(out.value)) {
            return false;
        }
        SkipSpace();
        if (!AtEnd() && (s_[pos_] == 'i' || s_[pos_] == 'I')) {
            out.ignoreCase = true;
            ++pos_;
            SkipSpace();
        }
        if (AtEnd() || s_[pos_] != ']') return false;
        ++pos_;
        return true;
    }

    bool ParseNth(Pseudo& out) {
        size_t close = s_.find(')', pos_);
        if (close == std::string_view::npos) return false;
        std::string arg = AsciiLower(TrimAscii(s_.substr(pos_, close - pos_)));
        pos_ = close + 1;
        if (arg == "odd") {
            out.a = 2;
            out.b = 1;
            return true;
        }
        if (arg == "even") {
            out.a = 2;
            out.b = 0;
            return true;
        }
        std::string compact;
        for (char c : arg) {
            if (!IsAsciiSpace(c)) compact.push_back(c);
        }
        size_t n = compact.find('n');
        auto parseInt = [](const std::string& t, int& v) {
            if (t.empty() || t.size() > 6) return false;
            char* end = nullptr;
            long value = std::strtol(t.c_str(), &end, 10);
            if (end == nullptr || *end != '\0') return false;
            v = static_cast<int>(value);
            return true;
        };
        if (n == std::string::npos) {
            out.a = 0;
            return parseInt(compact, out.b);
        }
        std::string aPart = compact.substr(0, n);
        std::string bPart = compact.substr(n + 1);
        if (aPart.empty() || aPart == "+") {
            out.a = 1;
        } else if (aPart == "-") {
            out.a = -1;
        } else if (!parseInt(aPart, out.a)) {
            return false;
        }
        if (bPart.empty()) {
            out.b = 0;
            return true;
        }
        if (bPart[0] == '+') bPart.erase(0, 1);
        return parseInt(bPart, out.b);
    }

    bool ParsePseudo(Pseudo& out) {
        std::string name;
        if (!ParseName(name)) return false;
        name = AsciiLower(name);
        if (name == "first-child") {
            out.kind = Pseudo::FirstChild;
        } else if (name == "last-child") {
            out.kind = Pseudo::LastChild;
        } else if (name == "only-child") {
            out.kind = Pseudo::OnlyChild;
        } else if (name == "empty") {
            out.kind = Pseudo::Empty;
        } else if (name == "root") {
            out.kind = Pseudo::Root;
        } else if (name == "nth-child" || name == "nth-last-child") {
            out.kind = name == "nth-child" ? Pseudo::NthChild : Pseudo::NthLastChild;
            if (AtEnd() || s_[pos_] != '(') return false;
            ++pos_;
            return ParseNth(out);
        } else if (name == "not") {
            out.kind = Pseudo::Not;
            if (AtEnd() || s_[pos_] != '(' || ++depth_ > 8) return false;
            ++pos_;
            while (true) {
                SkipSpace();
                Compound inner;
                if (!ParseCompound(inner)) return false;
                out.negated.push_back(std::move(inner));
                SkipSpace();
                if (AtEnd()) return false;
                if (s_[pos_] == ')') break;
                if (s_[pos_] != ',') return false;
                ++pos_;
            }
            ++pos_;
            --depth_;
        } else {
            return false;
        }
        return true;
    }

    std::string_view s_;
    size_t pos_ = 0;
    int depth_ = 0;
};

bool AttrMatches(const Node& el, const AttrTest& test) {
    const std::string* value = el.attribute(test.name);
    if (value == nullptr) return false;
    std::string v = test.ignoreCase ? AsciiLower(*value) : *value;
    std::string want = test.ignoreCase ? AsciiLower(test.value) : test.value;
    switch (test.op) {
        case AttrOp::Exists:
            return true;
        case AttrOp::Equals:
            return v == want;
        case AttrOp::Prefix:
            return !want.empty() && v.compare(0, want.size(), want) == 0;
        case AttrOp::Suffix:
            return !want.empty() && v.size() >= want.size() &&
                   v.compare(v.size() - want.size(), want.size(), want) == 0;
        case AttrOp::Contains:
            return !want.empty() && v.find(want) != std::string::npos;
        case AttrOp::DashPrefix:
            return v == want || (v.size() > want.size() && v.compare(0, want.size(), want) == 0 &&
                                 v[want.size()] == '-');
        case AttrOp::Word: {
            size_t pos = 0;
            while (pos < v.size()) {
                while (pos < v.size() && IsAsciiSpace(v[pos])) ++pos;
                size_t start = pos;
                while (pos < v.size() && !IsAsciiSpace(v[pos])) ++pos;
                if (pos > start && v.compare(start, pos - start, want) == 0) return true;
            }
            return false;
        }
    }
    return false;
}

// 1-based position of el among its parent's element children, from the front or the back.
int ElementIndex(const Node& el, bool fromEnd) {
    Node* parent = el.parent();
    if (parent == nullptr) return 1;
    int index = 0;
    const auto& kids = parent->children();
    if (!fromEnd) {
        for (const auto& k : kids) {
            if (k->isElement()) ++index;
            if (k.get() == &el) return index;
        }
    } else {
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
            if ((*it)->isElement()) ++index;
            if (it->get() == &el) return index;
        }
    }
    return index;
}

bool NthMatches(int a, int b, int index) {
    if (a == 0) return index == b;
    int diff = index - b;
    if (diff % a != 0) return false;
    return diff / a >= 0;
}

bool CompoundMatches(const Node& el, const Compound& c) {
    if (!el.isElement()) return false;
    if (!c.tag.empty() && c.tag != "*" && c.tag != el.tag()) return false;
    for (const auto& id : c.ids) {
        const std::string* v = el.attribute("id");
        if (v == nullptr || *v != id) return false;
    }
    for (const auto& cls : c.classes) {
        if (!el.hasClass(cls)) return false;
    }
    for (const auto& a : c.attrs) {
        if (!AttrMatches(el, a)) return false;
    }
    for (const auto& p : c.pseudos) {
        switch (p.kind) {
            case Pseudo::FirstChild:
                if (ElementIndex(el, false) != 1) return false;
                break;
            case Pseudo::LastChild:
                if (ElementIndex(el, true) != 1) return false;
                break;
            case Pseudo::OnlyChild:
                if (ElementIndex(el, false) != 1 || ElementIndex(el, true) != 1) return false;
                break;
            case Pseudo::NthChild:
                if (!NthMatches(p.a, p.b, ElementIndex(el, false))) return false;
                break;
            case Pseudo::NthLastChild:
                if (!NthMatches(p.a, p.b, ElementIndex(el, true))) return false;
                break;
            case Pseudo::Empty:
                for (const auto& k : el.children()) {
                    if (k->isElement() || (k->type() == NodeType::Text && !k->data().empty()))
                        return false;
                }
                break;
            case Pseudo::Root:
                if (el.parent() == nullptr || el.parent()->type() != NodeType::Document)
                    return false;
                break;
            case Pseudo::Not:
                for (const auto& n : p.negated) {
                    if (CompoundMatches(el, n)) return false;
                }
                break;
        }
    }
    return true;
}

Node* PreviousElement(const Node& el) {
    for (Node* n = el.previousSibling(); n != nullptr; n = n->previousSibling()) {
        if (n->isElement()) return n;
    }
    return nullptr;
}

enum class MatchResult { Match, NoMatch, NoMatchAbove };

// Matches parts[0..index] with parts[index] at el, walking right to left. NoMatchAbove says that
// no ancestor can do better either, which keeps descendant chains from backtracking forever.
MatchResult MatchFrom(const SelectorList::Complex& c, int index, const Node& el) {
    if (!CompoundMatches(el, c.parts[index])) return MatchResult::NoMatch;
    if (index == 0) return MatchResult::Match;
    switch (c.combinators[index]) {
        case Combinator::Child: {
            Node* p = el.parentElement();
            if (p == nullptr) return MatchResult::NoMatchAbove;
            return MatchFrom(c, index - 1, *p);
        }
        case Combinator::Descendant:
            for (Node* p = el.parentElement(); p != nullptr; p = p->parentElement()) {
                MatchResult r = MatchFrom(c, index - 1, *p);
                if (r != MatchResult::NoMatch) return r;
            }
            return MatchResult::NoMatchAbove;
        case Combinator::Adjacent: {
            Node* s = PreviousElement(el);
            if (s == nullptr) return MatchResult::NoMatch;
            return MatchFrom(c, index - 1, *s);
        }
        case Combinator::Sibling:
            for (Node* s = PreviousElement(el); s != nullptr; s = PreviousElement(*s)) {
                MatchResult r = MatchFrom(c, index - 1, *s);
                if (r != MatchResult::NoMatch) return r;
            }
            return MatchResult::NoMatch;
        case Combinator::None:
            return MatchResult::Match;
    }
    return MatchResult::NoMatch;
}

}  // namespace

SelectorList::SelectorList() = default;
SelectorList::~SelectorList() = default;

std::unique_ptr<SelectorList> SelectorList::Parse(std::string_view text) {
    if (text.size() > kMaxSelectorLength) return nullptr;
    std::unique_ptr<SelectorList> list(new SelectorList());
    Parser parser(text);
    if (!parser.ParseList(list->alternatives_) || list->alternatives_.empty()) return nullptr;
    return list;
}

bool SelectorList::Matches(const Node& element) const {
    if (!element.isElement()) return false;
    for (const auto& c : alternatives_) {
        if (MatchFrom(c, static_cast<int>(c.parts.size()) - 1, element) == MatchResult::Match)
            return true;
    }
    return false;
}

Node* SelectorList::QueryFirst(Node& scope) const {
    Node* found = nullptr;
    ForEachInTree(&scope, [&](Node* n) {
        if (n != &scope && Matches(*n)) {
            found = n;
            return false;
        }
        return true;
    });
    return found;
}

std::vector<Node*> SelectorList::QueryAll(Node& scope) const {
    std::vector<Node*> out;
    ForEachInTree(&scope, [&](Node* n) {
        if (n != &scope && Matches(*n)) out.push_back(n);
        return true;
    });
    return out;
}

}  // namespace webengine
