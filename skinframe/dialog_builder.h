// Builds a tree of controls from a skin layout document: the root "Window" element's settings
// and the shared "Image", "Font" and "Default" declarations go to the paint manager, and every
// other element becomes a control attached to its parent's container.
#pragma once

#include <cstddef>

#include "platform/win_base.h"
#include "skinframe/markup.h"
#include "skinframe/skin_string.h"
#include "skinframe/stringorid.h"

class CControlUI;
class CPaintManagerUI;

// Asked for element names the builder does not know itself.
class IDialogBuilderCallback {
  public:
    // A new control for the element name, or null to leave the element unbuilt.
    virtual CControlUI* CreateControl(LPCWSTR pstrClass) = 0;

  protected:
    ~IDialogBuilderCallback() = default;
};

// One builder serves one document: create it, build, discard it. The controls it built outlive
// it; they belong to the caller (usually through the paint manager's AttachDialog).
class CDialogBuilder {
  public:
    CDialogBuilder() = default;
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    // Loads the layout and builds it. Text starting with "<" is markup; other text names a
    // UTF-8 file under the resource path. A resource identifier gives null: there are no
    // executable resources on this platform, so `type` (their resource type) is never used.
    // Answers the first control built at the top level, or null.
    CControlUI* Create(STRINGorID xml, LPCWSTR type = nullptr,
                       IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    // Builds the document already loaded into GetMarkup().
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);

    CMarkup* GetMarkup() { return &m_xml; }
    void GetLastErrorMessage(LPWSTR pstrMessage, size_t cchMax) const;
    void GetLastErrorLocation(LPWSTR pstrSource, size_t cchMax) const;

    // Elements (and included documents) nested deeper than this are left out: the control
    // library walks trees recursively, and a hostile file must not exhaust the stack.
    static constexpr int kMaxNesting = 200;

  private:
    CControlUI* Parse(const CMarkupNode& parent, CControlUI* pParent, CPaintManagerUI* pManager,
                      int depth);
    void Include(const CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager,
                 int depth);
    // Answers false when the tree node ended the level (its parent holds no tree view).
    bool BuildTreeNode(const CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager,
                       int depth);
    CControlUI* CreateControlFor(LPCWSTR pstrClass) const;
    // True when this builder or one that included it is building the file `name`.
    bool IsBuilding(LPCWSTR name) const;

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
    // Include bookkeeping: the builder whose "Include" made this one, the file this one loaded
    // (empty for markup text) and the nesting depth its top level starts at.
    const CDialogBuilder* m_pIncluder = nullptr;
    CSkinString m_sFile;
    int m_nDepth = 0;
};
