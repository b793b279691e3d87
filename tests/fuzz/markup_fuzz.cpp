// Feeds arbitrary bytes to the skin markup parser through every entry point and then reads the
// whole parsed tree, so any read outside the text buffer shows up under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "skinframe/markup.h"

namespace {

size_t Touch(const wchar_t* text) {
    return text == nullptr ? 0 : std::wcslen(text);
}

void Walk(CMarkup& markup) {
    wchar_t buffer[16];
    markup.GetLastErrorMessage(buffer, 16);
    markup.GetLastErrorLocation(buffer, 16);
    // Iterative, as documents may nest deeply.
    std::vector<CMarkupNode> pending;
    if (markup.GetRoot().IsValid()) pending.push_back(markup.GetRoot());
    size_t total = 0;
    while (!pending.empty()) {
        CMarkupNode node = pending.back();
        pending.pop_back();
        total += Touch(node.GetName()) + Touch(node.GetValue());
        const int count = node.GetAttributeCount();
        for (int i = 0; i < count; ++i) {
            total += Touch(node.GetAttributeName(i)) + Touch(node.GetAttributeValue(i));
            total += Touch(node.GetAttributeValue(node.GetAttributeName(i)));
            node.GetAttributeValue(i, buffer, 16);
        }
        total += Touch(node.GetAttributeValue(-1)) + Touch(node.GetAttributeValue(L"name"));
        if (node.GetChild(L"a").IsValid()) ++total;
        if (node.GetParent().IsValid()) ++total;
        if (node.HasSiblings()) pending.push_back(node.GetSibling());
        if (node.HasChildren()) pending.push_back(node.GetChild());
    }
    if (total == static_cast<size_t>(-1)) __builtin_trap();  // keep the reads
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the entry point and the whitespace mode; the rest is the document.
    const uint8_t mode = data[0];
    const uint8_t* body = data + 1;
    const size_t length = size - 1;
    CMarkup markup;
    markup.SetPreserveWhitespace((mode & 0x80) == 0);
    switch (mode & 0x03) {
        case 0:
        case 1:
        case 2:
            // 0 UTF-8, 1 UTF-16 by its mark, 2 the ANSI code page.
            markup.LoadFromMem(body, static_cast<DWORD>(length), mode & 0x03);
            break;
        case 3: {
            // Wide text: each pair of bytes is one character, up to the first zero.
            std::wstring text;
            for (size_t i = 0; i + 1 < length; i += 2) {
                wchar_t ch = static_cast<wchar_t>(body[i] | (body[i + 1] << 8));
                if (ch == 0) break;
                text += ch;
            }
            markup.Load(text.c_str());
            break;
        }
    }
    Walk(markup);
    return 0;
}
