// Parsing a large generated skin layout with CMarkup against pugixml parsing the same text in
// place, in the same run. Both decode the five entities; pugixml reads UTF-8 bytes, CMarkup its
// wide text (Load) or the same UTF-8 bytes (LoadFromMem, which converts first).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "skinframe/markup.h"

namespace {

// About 24,000 elements, nested up to a dozen levels, with attributes and entities.
std::string GenerateLayout() {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Window size=\"800,600\" caption=\"0,0,0,32\" roundcorner=\"4,4\">\n"
        "  <!-- generated layout -->\n"
        "  <Font name=\"Tahoma\" size=\"12\" bold=\"false\" default=\"true\" />\n"
        "  <VerticalLayout name=\"root\" bkcolor=\"#FFFFFFFF\">\n";
    for (int group = 0; group < 400; ++group) {
        const std::string g = std::to_string(group);
        text += "    <VerticalLayout name=\"group" + g + "\" inset=\"4,4,4,4\">\n";
        std::string open, close;
        for (int depth = 0; depth < 8; ++depth) {
            open +=
                "<Container name=\"c" + g + "_" + std::to_string(depth) + "\" padding=\"1,1,1,1\">";
            close = "</Container>" + close;
        }
        text += "      " + open + "\n";
        for (int row = 0; row < 6; ++row) {
            const std::string r = g + "_" + std::to_string(row);
            text += "        <HorizontalLayout name=\"row" + r +
                    "\" height=\"24\" childpadding=\"4\">\n"
                    "          <Label name=\"label" +
                    r + "\" text=\"Item " + r +
                    " &amp; more &lt;b&gt;\" textcolor=\"#FF333333\" align=\"left\" />\n"
                    "          <Button name=\"btn" +
                    r +
                    "\" text=\"&quot;Go&quot;\" tooltip=\"Press &apos;Go&apos; to run\" "
                    "width=\"60\" normalimage=\"btn.png\" hotimage=\"btn_hot.png\" />\n"
                    "          <Text>Row " +
                    r +
                    " says &lt;hello&gt;</Text>\n"
                    "        </HorizontalLayout>\n";
        }
        text += "      " + close + "\n    </VerticalLayout>\n";
    }
    text += "  </VerticalLayout>\n</Window>\n";
    return text;
}

const std::string& Utf8() {
    static const std::string text = GenerateLayout();
    return text;
}

const std::wstring& Wide() {
    static const std::wstring text(Utf8().begin(), Utf8().end());  // the layout is ASCII
    return text;
}

size_t WalkMarkup(CMarkupNode node) {
    size_t total = 0;
    for (; node.IsValid(); node = node.GetSibling()) {
        total += std::wcslen(node.GetValue());
        for (int i = 0; i < node.GetAttributeCount(); ++i) {
            total += std::wcslen(node.GetAttributeValue(i));
        }
        total += WalkMarkup(node.GetChild());
    }
    return total;
}

size_t WalkPugi(pugi::xml_node node) {
    size_t total = 0;
    for (; node; node = node.next_sibling()) {
        total += std::strlen(node.child_value());
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            total += std::strlen(a.value());
        }
        total += WalkPugi(node.first_child());
    }
    return total;
}

void BM_CMarkupLoadWide(benchmark::State& state) {
    CMarkup markup;
    for (auto _ : state) {
        if (!markup.Load(Wide().c_str())) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(markup.GetRoot());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Utf8().size()));
}

// What Load spends on taking its own copy of the caller's wide text (4 bytes a character here):
// finding the length, allocating and copying. The rest of BM_CMarkupLoadWide is the parse.
void BM_WideCopyOnly(benchmark::State& state) {
    for (auto _ : state) {
        const size_t length = std::wcslen(Wide().c_str());
        auto* copy = static_cast<wchar_t*>(std::malloc((length + 9) * sizeof(wchar_t)));
        std::wmemcpy(copy, Wide().c_str(), length + 1);
        benchmark::DoNotOptimize(copy);
        std::free(copy);
    }
}

void BM_CMarkupLoadFromMemUtf8(benchmark::State& state) {
    CMarkup markup;
    const auto* bytes = reinterpret_cast<const BYTE*>(Utf8().data());
    for (auto _ : state) {
        if (!markup.LoadFromMem(bytes, static_cast<DWORD>(Utf8().size()))) {
            state.SkipWithError("parse failed");
        }
        benchmark::DoNotOptimize(markup.GetRoot());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Utf8().size()));
}

void BM_PugiInPlace(benchmark::State& state) {
    std::vector<char> buffer(Utf8().size());
    pugi::xml_document doc;
    for (auto _ : state) {
        // In place destroys the text, so each round starts from a fresh copy (as Load copies).
        std::memcpy(buffer.data(), Utf8().data(), buffer.size());
        if (!doc.load_buffer_inplace(buffer.data(), buffer.size(), pugi::parse_default,
                                     pugi::encoding_utf8)) {
            state.SkipWithError("parse failed");
        }
        benchmark::DoNotOptimize(doc.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Utf8().size()));
}

// Parse, then read every value and attribute (CMarkup indexes attributes on first use).
void BM_CMarkupLoadWideAndWalk(benchmark::State& state) {
    CMarkup markup;
    for (auto _ : state) {
        markup.Load(Wide().c_str());
        benchmark::DoNotOptimize(WalkMarkup(markup.GetRoot()));
    }
}

void BM_PugiInPlaceAndWalk(benchmark::State& state) {
    std::vector<char> buffer(Utf8().size());
    pugi::xml_document doc;
    for (auto _ : state) {
        std::memcpy(buffer.data(), Utf8().data(), buffer.size());
        doc.load_buffer_inplace(buffer.data(), buffer.size(), pugi::parse_default,
                                pugi::encoding_utf8);
        benchmark::DoNotOptimize(WalkPugi(doc.first_child()));
    }
}

BENCHMARK(BM_CMarkupLoadWide)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideCopyOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CMarkupLoadFromMemUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugiInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CMarkupLoadWideAndWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugiInPlaceAndWalk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
