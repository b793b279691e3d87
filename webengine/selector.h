// CSS selectors for script queries (querySelector, matches, closest).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "webengine/dom.h"

namespace webengine {

class SelectorList {
  public:
    // Null for text that is not a selector this engine understands.
    static std::unique_ptr<SelectorList> Parse(std::string_view text);
    ~SelectorList();

    bool Matches(const Node& element) const;
    Node* QueryFirst(Node& scope) const;
    std::vector<Node*> QueryAll(Node& scope) const;

    struct Complex;

  private:
    SelectorList();
    std::vector<Complex> alternatives_;
};

}  // namespace webengine
