// Reader for skin layout files, a small XML dialect. The document is parsed in place: names,
// values and attribute strings are cut out of one wide-text buffer by writing zeros into it,
// and a flat element table refers to them by character offsets.
#pragma once

#include <cstddef>

#include "platform/win_base.h"

enum {
    XMLFILE_ENCODING_UTF8 = 0,
    XMLFILE_ENCODING_UNICODE = 1,  // UTF-16 with a byte-order mark
    XMLFILE_ENCODING_ASNI = 2,     // the ANSI code page
};

class CMarkup;

// A handle onto one element of a parsed CMarkup. Valid while that markup lives and is not
// reloaded; copying is cheap and the copy keeps its own attribute index.
class CMarkupNode {
    friend class CMarkup;

  public:
    // An invalid node.
    CMarkupNode();

    bool IsValid() const { return m_pOwner != nullptr; }

    CMarkupNode GetParent() const;
    CMarkupNode GetSibling() const;
    CMarkupNode GetChild() const;
    // The first child (in document order) named pstrName, compared case-sensitively.
    CMarkupNode GetChild(LPCWSTR pstrName) const;

    bool HasSiblings() const;
    bool HasChildren() const;
    // Null for an invalid node.
    LPCWSTR GetName() const;
    LPCWSTR GetValue() const;

    // Only the first MAX_XML_ATTRIBUTES attributes of an element are visible.
    bool HasAttributes() const;
    bool HasAttribute(LPCWSTR pstrName) const;
    int GetAttributeCount() const;
    // Null for an invalid node; the empty text for an index out of range or a name not found.
    LPCWSTR GetAttributeName(int iIndex) const;
    LPCWSTR GetAttributeValue(int iIndex) const;
    LPCWSTR GetAttributeValue(LPCWSTR pstrName) const;
    // Copies like wcsncpy (no terminator when the value fills cchMax); false for an invalid
    // node, an index out of range or a name not found.
    bool GetAttributeValue(int iIndex, LPWSTR pstrValue, size_t cchMax) const;
    bool GetAttributeValue(LPCWSTR pstrName, LPWSTR pstrValue, size_t cchMax) const;

    enum { MAX_XML_ATTRIBUTES = 64 };

  private:
    CMarkupNode(CMarkup* pOwner, int iPos);
    void MapAttributes() const;
    int FindAttribute(LPCWSTR pstrName) const;

    struct XMLATTRIBUTE {
        ULONG iName;
        ULONG iValue;
    };

    int m_iPos;
    mutable int m_nAttributes;
    mutable XMLATTRIBUTE m_aAttributes[MAX_XML_ATTRIBUTES];
    CMarkup* m_pOwner;
};

class CMarkup {
    friend class CMarkupNode;

  public:
    // A non-null text is loaded at once.
    explicit CMarkup(LPCWSTR pstrXML = nullptr);
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    // Each load replaces the previous document; on failure the markup is left empty and the
    // error message and location say why.
    bool Load(LPCWSTR pstrXML);
    // encoding: XMLFILE_ENCODING_UTF8 (a leading EF BB BF is skipped), XMLFILE_ENCODING_ASNI,
    // or anything else for UTF-16 starting with FF FE or FE FF.
    bool LoadFromMem(const BYTE* pByte, DWORD dwSize, int encoding = XMLFILE_ENCODING_UTF8);
    // pstrFilename is relative to the paint manager's resource path, or names an item of its
    // resource archive when one is set.
    bool LoadFromFile(LPCWSTR pstrFilename, int encoding = XMLFILE_ENCODING_UTF8);
    void Release();
    bool IsValid() const { return m_pElements != nullptr; }

    // With whitespace not preserved, a space in a value swallows the whitespace after it.
    void SetPreserveWhitespace(bool bPreserve = true) { m_bPreserveWhitespace = bPreserve; }
    // Copy like wcsncpy: no terminator is added when the text fills cchMax.
    void GetLastErrorMessage(LPWSTR pstrMessage, size_t cchMax) const;
    void GetLastErrorLocation(LPWSTR pstrSource, size_t cchMax) const;

    // The first top-level element, or an invalid node when there is none.
    CMarkupNode GetRoot();

    // Largest file (or archive item) LoadFromFile reads, in bytes.
    static constexpr DWORD kMaxFileSize = 0x400000;

  private:
    struct tagXMLELEMENT {
        ULONG iStart;
        ULONG iChild;
        ULONG iNext;
        ULONG iParent;
        ULONG iData;
    };

    bool Parse();
    bool ParseAttributes(LPWSTR& pstrText);
    LPWSTR ParseData(LPWSTR& pstrText, WCHAR cEnd);
    // Index of a fresh element, or -1 when memory runs out.
    long ReserveElement();
    bool Failed(LPCWSTR pstrError, LPCWSTR pstrLocation = nullptr);
    // Takes ownership of a zero-terminated buffer of length chars and parses it.
    bool LoadBuffer(LPWSTR pstrText, size_t length);

    LPWSTR m_pstrXML = nullptr;
    tagXMLELEMENT* m_pElements = nullptr;
    ULONG m_nElements = 0;
    ULONG m_nReservedElements = 0;
    WCHAR m_szErrorMsg[100] = {};
    WCHAR m_szErrorXML[50] = {};
    bool m_bPreserveWhitespace = true;
};
