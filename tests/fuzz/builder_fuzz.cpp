// Builds arbitrary layout text into a control tree with a paint manager, so every element name,
// shared declaration, include and attribute value a skin may hold reaches the builder and the
// controls' attribute parsing under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "skinframe/controls/controls.h"
#include "skinframe/dialog_builder.h"
#include "skinframe/paint_manager.h"

namespace {

// Unknown names become containers, so their subtrees are built too.
class AnyName : public IDialogBuilderCallback {
  public:
    CControlUI* CreateControl(LPCWSTR pstrClass) override {
        return pstrClass[0] == L'X' ? nullptr : new CContainerUI;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // UTF-8 bytes widened one by one keep the text readable in the corpus.
    std::wstring text(data, data + size);
    if (text.find(L'\0') != std::wstring::npos) return 0;
    // Markup text only: a top-level file name would reach the disk.
    if (text.empty() || text[0] != L'<') return 0;
    // Included file names resolve under a folder that does not exist, so none is ever read.
    static const bool once =
        (CPaintManagerUI::SetResourcePath(L"/nonexistent-builder-fuzz/"), true);
    (void)once;
    CPaintManagerUI manager;
    AnyName callback;
    CDialogBuilder builder;
    delete builder.Create(text.c_str(), nullptr, &callback, &manager);
    return 0;
}
