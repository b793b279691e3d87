// HTML text into the document tree (gumbo does the parsing), and the tree back into HTML.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "webengine/dom.h"

namespace webengine {

// Replaces the document's content with the parsed page. Text is taken as UTF-8.
void ParseDocument(Document& doc, std::string_view html);
// Parses markup as the content of an element with the given tag (innerHTML).
std::vector<Node::Ptr> ParseFragment(Document& doc, std::string_view html,
                                     std::string_view contextTag);

// Markup of the node's children / of the node itself.
std::string InnerHtml(const Node& node);
std::string OuterHtml(const Node& node);

// The whole document for layout: every element carries kNodeIdAttribute with its node id so that
// laid-out boxes can be traced back to the tree; script bodies are left out.
inline constexpr const char* kNodeIdAttribute = "data-wvnode";
std::string SerializeForLayout(const Document& doc);

// Elements without content or end tag.
bool IsVoidElement(std::string_view tag);

}  // namespace webengine
