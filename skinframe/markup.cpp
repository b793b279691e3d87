#include "skinframe/markup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/win_kernel.h"
#include "skinframe/paint_manager.h"
#include "skinframe/skin_string.h"
#include "skinframe/wide_ctype.h"

namespace {

// Offsets into the text are 32-bit.
constexpr size_t kMaxTextChars = 0xFFFFFFF0u;

inline bool IsSpace(WCHAR ch) {
    return static_cast<unsigned>(ch) - 1u < 32u;  // codes 1 to 32
}

inline void SkipWhitespace(LPWSTR& p) {
    while (IsSpace(*p)) ++p;
}

// Which ASCII characters may appear in a name, looked up in one step.
constexpr auto kAsciiNameChar = [] {
    struct Table {
        bool c[128] = {};
    } t;
    for (int ch = '0'; ch <= '9'; ++ch) t.c[ch] = true;
    for (int ch = 'a'; ch <= 'z'; ++ch) t.c[ch] = true;
    for (int ch = 'A'; ch <= 'Z'; ++ch) t.c[ch] = true;
    t.c[int{'_'}] = t.c[int{':'}] = true;
    return t;
}();

// Steps over a name; combining marks after a name character go with it, as CharNextW steps.
inline void SkipIdentifier(LPWSTR& p) {
    LPWSTR const start = p;
    for (;;) {
        const WCHAR ch = *p;
        if (static_cast<unsigned>(ch) < 128) {
            if (!kAsciiNameChar.c[ch]) return;
        } else if (!(p != start && skin::IsCombiningMark(ch)) && !skin::IsWideAlnum(ch)) {
            return;
        }
        ++p;
    }
}

// The text buffer carries a few zero characters after its terminator, so that scans reading a
// block of characters at a time never leave the allocation.
constexpr size_t kTextPadding = 8;

LPWSTR AllocateText(size_t length) {
    return static_cast<LPWSTR>(std::malloc((length + 1 + kTextPadding) * sizeof(WCHAR)));
}

// The first position at or after p holding one of the stop characters a, b, c, d. The text must
// be padded (above) and contain a stop before its end; the terminator always is one.
inline LPWSTR FindStop(LPWSTR p, WCHAR a, WCHAR b, WCHAR c, WCHAR d) {
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi32(a), vb = _mm_set1_epi32(b);
    const __m128i vc = _mm_set1_epi32(c), vd = _mm_set1_epi32(d);
    for (;; p += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v, va), _mm_cmpeq_epi32(v, vb)),
                         _mm_or_si128(_mm_cmpeq_epi32(v, vc), _mm_cmpeq_epi32(v, vd)));
        const int mask = _mm_movemask_ps(_mm_castsi128_ps(hit));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
#else
    while (*p != a && *p != b && *p != c && *p != d) ++p;
    return p;
#endif
}

inline bool StartsWith(LPCWSTR p, LPCWSTR prefix) {
    while (*prefix != 0) {
        if (*p++ != *prefix++) return false;
    }
    return true;
}

std::string ToUtf8(const CSkinString& text) {
    if (text.IsEmpty()) return std::string();
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), out.data(), bytes, nullptr, nullptr);
    return out;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using ByteBuffer = std::unique_ptr<BYTE, FreeDeleter>;

class FileCloser {
  public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() {
        if (fd_ >= 0) close(fd_);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

  private:
    int fd_;
};

// Closes an archive this load opened itself; the paint manager's kept archive stays open.
class ZipCloser {
  public:
    ZipCloser(zip_t* archive, bool owned) : archive_(archive), owned_(owned) {}
    ~ZipCloser() {
        if (owned_ && archive_ != nullptr) zip_discard(archive_);
    }
    ZipCloser(const ZipCloser&) = delete;
    ZipCloser& operator=(const ZipCloser&) = delete;

  private:
    zip_t* archive_;
    bool owned_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// CMarkupNode

CMarkupNode::CMarkupNode() : m_iPos(0), m_nAttributes(0), m_pOwner(nullptr) {}

CMarkupNode::CMarkupNode(CMarkup* pOwner, int iPos)
    : m_iPos(iPos), m_nAttributes(0), m_pOwner(pOwner) {}

CMarkupNode CMarkupNode::GetParent() const {
    if (m_pOwner == nullptr) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iParent;
    if (iPos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetSibling() const {
    if (m_pOwner == nullptr) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iNext;
    if (iPos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetChild() const {
    if (m_pOwner == nullptr) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    if (iPos == 0) return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetChild(LPCWSTR pstrName) const {
    if (m_pOwner == nullptr || pstrName == nullptr) return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    while (iPos != 0) {
        if (std::wcscmp(m_pOwner->m_pstrXML + m_pOwner->m_pElements[iPos].iStart, pstrName) == 0) {
            return CMarkupNode(m_pOwner, static_cast<int>(iPos));
        }
        iPos = m_pOwner->m_pElements[iPos].iNext;
    }
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const {
    return m_pOwner != nullptr && m_pOwner->m_pElements[m_iPos].iNext != 0;
}

bool CMarkupNode::HasChildren() const {
    return m_pOwner != nullptr && m_pOwner->m_pElements[m_iPos].iChild != 0;
}

LPCWSTR CMarkupNode::GetName() const {
    if (m_pOwner == nullptr) return nullptr;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iStart;
}

LPCWSTR CMarkupNode::GetValue() const {
    if (m_pOwner == nullptr) return nullptr;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iData;
}

// The parse leaves each attribute between the element's name and its data as: name, zero,
// whitespace (a space where "=" was), quote, value, zero. The index walks that shape and never
// leaves the stretch before the data, so a document that ended inside a start tag's content
// cannot lead it past the end of the text.
void CMarkupNode::MapAttributes() const {
    m_nAttributes = 0;
    const WCHAR* text = m_pOwner->m_pstrXML;
    const CMarkup::tagXMLELEMENT& element = m_pOwner->m_pElements[m_iPos];
    const ULONG data = element.iData;
    ULONG pos = element.iStart;
    auto skipString = [&]() {
        while (pos < data && text[pos] != 0) ++pos;
        if (pos >= data) return false;
        ++pos;  // its zero
        return true;
    };
    auto skipWhitespace = [&]() {
        while (pos < data && IsSpace(text[pos])) ++pos;
    };
    if (!skipString()) return;
    while (pos < data) {
        skipWhitespace();
        const ULONG name = pos;
        if (!skipString()) return;
        skipWhitespace();
        if (pos >= data || text[pos] != L'"') return;
        ++pos;
        m_aAttributes[m_nAttributes].iName = name;
        m_aAttributes[m_nAttributes].iValue = pos;
        if (++m_nAttributes == MAX_XML_ATTRIBUTES) return;
        if (!skipString()) return;
    }
}

int CMarkupNode::GetAttributeCount() const {
    if (m_pOwner == nullptr) return 0;
    if (m_nAttributes == 0) MapAttributes();
    return m_nAttributes;
}

int CMarkupNode::FindAttribute(LPCWSTR pstrName) const {
    if (pstrName == nullptr) return -1;
    if (m_nAttributes == 0) MapAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (std::wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0) return i;
    }
    return -1;
}

bool CMarkupNode::HasAttributes() const {
    return GetAttributeCount() > 0;
}

bool CMarkupNode::HasAttribute(LPCWSTR pstrName) const {
    return m_pOwner != nullptr && FindAttribute(pstrName) >= 0;
}

LPCWSTR CMarkupNode::GetAttributeName(int iIndex) const {
    if (m_pOwner == nullptr) return nullptr;
    if (m_nAttributes == 0) MapAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iName;
}

LPCWSTR CMarkupNode::GetAttributeValue(int iIndex) const {
    if (m_pOwner == nullptr) return nullptr;
    if (m_nAttributes == 0) MapAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue;
}

LPCWSTR CMarkupNode::GetAttributeValue(LPCWSTR pstrName) const {
    if (m_pOwner == nullptr) return nullptr;
    int i = FindAttribute(pstrName);
    return i < 0 ? L"" : m_pOwner->m_pstrXML + m_aAttributes[i].iValue;
}

bool CMarkupNode::GetAttributeValue(int iIndex, LPWSTR pstrValue, size_t cchMax) const {
    if (m_pOwner == nullptr || pstrValue == nullptr) return false;
    if (m_nAttributes == 0) MapAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return false;
    std::wcsncpy(pstrValue, m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue, cchMax);
    return true;
}

bool CMarkupNode::GetAttributeValue(LPCWSTR pstrName, LPWSTR pstrValue, size_t cchMax) const {
    if (m_pOwner == nullptr || pstrValue == nullptr) return false;
    int i = FindAttribute(pstrName);
    if (i < 0) return false;
    std::wcsncpy(pstrValue, m_pOwner->m_pstrXML + m_aAttributes[i].iValue, cchMax);
    return true;
}

// ---------------------------------------------------------------------------------------------
// CMarkup

CMarkup::CMarkup(LPCWSTR pstrXML) {
    if (pstrXML != nullptr) Load(pstrXML);
}

CMarkup::~CMarkup() {
    Release();
}

void CMarkup::Release() {
    std::free(m_pstrXML);
    std::free(m_pElements);
    m_pstrXML = nullptr;
    m_pElements = nullptr;
    m_nElements = 0;
}

bool CMarkup::Load(LPCWSTR pstrXML) {
    Release();
    if (pstrXML == nullptr) pstrXML = L"";
    const size_t length = std::wcslen(pstrXML);
    if (length > kMaxTextChars) return Failed(L"File too large");
    LPWSTR text = AllocateText(length);
    if (text == nullptr) return Failed(L"Out of memory");
    std::wmemcpy(text, pstrXML, length + 1);
    return LoadBuffer(text, length);
}

bool CMarkup::LoadBuffer(LPWSTR pstrText, size_t length) {
    std::wmemset(pstrText + length, 0, 1 + kTextPadding);
    m_pstrXML = pstrText;
    if (Parse()) return true;
    Release();
    return false;
}

bool CMarkup::LoadFromMem(const BYTE* pByte, DWORD dwSize, int encoding) {
    Release();
    if (pByte == nullptr) dwSize = 0;
    if (encoding == XMLFILE_ENCODING_UTF8 || encoding == XMLFILE_ENCODING_ASNI) {
        const char* bytes = reinterpret_cast<const char*>(pByte);
        if (encoding == XMLFILE_ENCODING_UTF8 && dwSize >= 3 &&
            std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
            bytes += 3;
            dwSize -= 3;
        }
        if (dwSize > static_cast<DWORD>(INT_MAX)) return Failed(L"File too large");
        const UINT codePage = encoding == XMLFILE_ENCODING_UTF8 ? CP_UTF8 : CP_ACP;
        int chars = 0;
        if (dwSize > 0) {
            chars = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(dwSize), nullptr, 0);
        }
        if (chars < 0) chars = 0;
        LPWSTR text = AllocateText(static_cast<size_t>(chars));
        if (text == nullptr) return Failed(L"Out of memory");
        if (chars > 0) {
            chars = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(dwSize), text, chars);
            if (chars < 0) chars = 0;
        }
        return LoadBuffer(text, static_cast<size_t>(chars));
    }

    // UTF-16 in either byte order, told by its mark. Our wide characters are 32-bit, so
    // surrogate pairs are joined; a lone surrogate becomes U+FFFD.
    if (dwSize < 2) return Failed(L"Missing byte-order mark");
    bool bigEndian;
    if (pByte[0] == 0xFF && pByte[1] == 0xFE) {
        bigEndian = false;
    } else if (pByte[0] == 0xFE && pByte[1] == 0xFF) {
        bigEndian = true;
    } else {
        return Failed(L"Missing byte-order mark");
    }
    const size_t units = dwSize / 2 - 1;
    LPWSTR text = AllocateText(units);
    if (text == nullptr) return Failed(L"Out of memory");
    const BYTE* in = pByte + 2;
    auto unitAt = [&](size_t i) -> unsigned {
        const BYTE* u = in + 2 * i;
        return bigEndian ? (u[0] << 8 | u[1]) : (u[1] << 8 | u[0]);
    };
    size_t out = 0;
    for (size_t i = 0; i < units; ++i) {
        unsigned unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            unsigned low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text[out++] =
                    static_cast<WCHAR>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
        text[out++] = static_cast<WCHAR>(unit);
    }
    return LoadBuffer(text, out);
}

bool CMarkup::LoadFromFile(LPCWSTR pstrFilename, int encoding) {
    Release();
    if (pstrFilename == nullptr) return Failed(L"Error opening file");
    const CSkinString& resourcePath = CPaintManagerUI::GetResourcePath();
    const CSkinString& zipName = CPaintManagerUI::GetResourceZip();

    if (zipName.IsEmpty()) {
        const std::string path = ToUtf8(resourcePath + pstrFilename);
        // Non-blocking, so a named pipe cannot hang the load; only regular files are read.
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return Failed(L"Error opening file");
        FileCloser closer(fd);
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Failed(L"Error opening file");
        if (st.st_size == 0) return Failed(L"File is empty");
        if (st.st_size > static_cast<off_t>(kMaxFileSize)) return Failed(L"File too large");
        const size_t size = static_cast<size_t>(st.st_size);
        ByteBuffer buffer(static_cast<BYTE*>(std::malloc(size)));
        if (!buffer) return Failed(L"Out of memory");
        size_t got = 0;
        while (got < size) {
            ssize_t n = read(fd, buffer.get() + got, size - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        if (got < size) return Failed(L"Could not read file");
        return LoadFromMem(buffer.get(), static_cast<DWORD>(size), encoding);
    }

    zip_t* archive = nullptr;
    bool owned = false;
    if (CPaintManagerUI::IsCachedResourceZip()) {
        archive = static_cast<zip_t*>(CPaintManagerUI::GetResourceZipHandle());
    }
    if (archive == nullptr) {
        const std::string path = ToUtf8(resourcePath + zipName);
        int error = 0;
        archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
        owned = true;
    }
    if (archive == nullptr) return Failed(L"Error opening zip file");
    ZipCloser closer(archive, owned);

    // Items are named with "/" inside an archive, whatever separator the caller used.
    CSkinString itemName(pstrFilename);
    itemName.Replace(L"\\", L"/");
    const std::string item = ToUtf8(itemName);
    zip_int64_t index = item.empty() ? -1 : zip_name_locate(archive, item.c_str(), ZIP_FL_NOCASE);
    if (index < 0) return Failed(L"Could not find ziped file");
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
        (st.valid & ZIP_STAT_SIZE) == 0) {
        return Failed(L"Could not unzip file");
    }
    if (st.size == 0) return Failed(L"File is empty");
    if (st.size > kMaxFileSize) return Failed(L"File too large");
    const size_t size = static_cast<size_t>(st.size);
    ByteBuffer buffer(static_cast<BYTE*>(std::malloc(size)));
    if (!buffer) return Failed(L"Out of memory");
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) return Failed(L"Could not unzip file");
    size_t got = 0;
    while (got < size) {
        zip_int64_t n = zip_fread(file, buffer.get() + got, size - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    // Reading on to the end lets the archive reader check the item's checksum.
    BYTE extra;
    const bool intact = got == size && zip_fread(file, &extra, 1) == 0;
    zip_fclose(file);
    if (!intact) return Failed(L"Could not unzip file");
    return LoadFromMem(buffer.get(), static_cast<DWORD>(size), encoding);
}

void CMarkup::GetLastErrorMessage(LPWSTR pstrMessage, size_t cchMax) const {
    if (pstrMessage != nullptr) std::wcsncpy(pstrMessage, m_szErrorMsg, cchMax);
}

void CMarkup::GetLastErrorLocation(LPWSTR pstrSource, size_t cchMax) const {
    if (pstrSource != nullptr) std::wcsncpy(pstrSource, m_szErrorXML, cchMax);
}

CMarkupNode CMarkup::GetRoot() {
    if (m_nElements <= 1) return CMarkupNode();
    return CMarkupNode(this, 1);
}

bool CMarkup::Failed(LPCWSTR pstrError, LPCWSTR pstrLocation) {
    const size_t msgMax = sizeof(m_szErrorMsg) / sizeof(m_szErrorMsg[0]) - 1;
    const size_t locMax = sizeof(m_szErrorXML) / sizeof(m_szErrorXML[0]) - 1;
    std::wcsncpy(m_szErrorMsg, pstrError, msgMax);
    m_szErrorMsg[msgMax] = 0;
    std::wcsncpy(m_szErrorXML, pstrLocation != nullptr ? pstrLocation : L"", locMax);
    m_szErrorXML[locMax] = 0;
    return false;
}

long CMarkup::ReserveElement() {
    if (m_nElements == 0) m_nReservedElements = 0;
    if (m_nElements >= m_nReservedElements) {
        const size_t capacity =
            static_cast<size_t>(m_nReservedElements) + m_nReservedElements / 2 + 500;
        if (capacity > 0xFFFFFFFFu) return -1;
        void* table = std::realloc(m_pElements, capacity * sizeof(tagXMLELEMENT));
        if (table == nullptr) return -1;
        m_pElements = static_cast<tagXMLELEMENT*>(table);
        m_nReservedElements = static_cast<ULONG>(capacity);
    }
    return static_cast<long>(m_nElements++);
}

// The element structure is walked with an explicit parent chain instead of recursion, so deep
// nesting cannot exhaust the stack. An element's children are parsed with it as the current
// parent; its end tag pops back to its own parent through the table.
bool CMarkup::Parse() {
    m_szErrorMsg[0] = 0;
    m_szErrorXML[0] = 0;
    m_nElements = 0;
    if (ReserveElement() < 0) return Failed(L"Out of memory");
    m_pElements[0] = tagXMLELEMENT{0, 0, 0, 0, 0};

    LPWSTR const text = m_pstrXML;
    LPWSTR p = text;
    ULONG iParent = 0;
    ULONG iPrevious = 0;
    SkipWhitespace(p);
    for (;;) {
        // A document may end inside its root or inside a direct child of the root.
        if (*p == 0 && iParent <= 1) return true;
        SkipWhitespace(p);
        if (*p != L'<') return Failed(L"Expected start tag", p);
        if (p[1] == L'/') {
            // An end tag at the top level ends the document; nothing after it is read.
            if (iParent == 0) return true;
            // The end tag of the current parent.
            const ULONG iElement = iParent;
            LPCWSTR name = text + m_pElements[iElement].iStart;
            *p = 0;
            p += 2;
            SkipWhitespace(p);
            // The end tag repeats the name exactly (the name is cut off by its zero).
            LPWSTR q = p;
            while (*name != 0 && *q == *name) {
                ++q;
                ++name;
            }
            if (*name != 0) return Failed(L"Unmatched closing tag", p);
            p = q;
            SkipWhitespace(p);
            if (*p != L'>') return Failed(L"Unmatched closing tag", *p != 0 ? p + 1 : p);
            ++p;
            iParent = m_pElements[iElement].iParent;
            iPrevious = iElement;
            SkipWhitespace(p);
            continue;
        }
        *p++ = 0;
        SkipWhitespace(p);

        // Comments, processing instructions, declarations and CDATA make no element.
        if (*p == L'!' || *p == L'?') {
            const WCHAR first = *p == L'!' ? L'-' : L'?';
            while (*p != 0 && !(p[0] == first && p[1] == L'>')) p = skin::NextChar(p);
            if (*p != 0) p += 2;
            SkipWhitespace(p);
            continue;
        }

        const long reserved = ReserveElement();
        if (reserved < 0) return Failed(L"Out of memory");
        const ULONG iElement = static_cast<ULONG>(reserved);
        tagXMLELEMENT& element = m_pElements[iElement];
        element = tagXMLELEMENT{static_cast<ULONG>(p - text), 0, 0, iParent, 0};
        if (iPrevious != 0) {
            m_pElements[iPrevious].iNext = iElement;
        } else if (iParent > 0) {
            m_pElements[iParent].iChild = iElement;
        }
        iPrevious = iElement;

        SkipIdentifier(p);
        LPWSTR const nameEnd = p;
        if (*p == 0) return Failed(L"Error parsing element name", p);
        if (!ParseAttributes(p)) return false;
        SkipWhitespace(p);

        if (p[0] == L'/' && p[1] == L'>') {
            m_pElements[iElement].iData = static_cast<ULONG>(p - text);
            *p = 0;
            *nameEnd = 0;
            p += 2;
            SkipWhitespace(p);
            continue;
        }
        if (*p != L'>') return Failed(L"Expected start-tag closing", p);
        ++p;
        // The name is cut here rather than after the end tag, so that it is whole also when
        // the document ends inside this element.
        *nameEnd = 0;
        m_pElements[iElement].iData = static_cast<ULONG>(p - text);
        LPWSTR const valueEnd = ParseData(p, L'<');
        // Where decoding shortened the value, the stretch after it is not its terminator; the
        // "<" that ends an unshortened value becomes one when the next tag is read.
        if (valueEnd != p) *valueEnd = 0;
        if (*p == 0 && iParent <= 1) return true;
        if (*p != L'<') return Failed(L"Expected end-tag start", p);
        // Children (or straight away the end tag) belong to this element.
        iParent = iElement;
        iPrevious = 0;
    }
}

bool CMarkup::ParseAttributes(LPWSTR& pstrText) {
    LPWSTR p = pstrText;
    if (*p == L'>') return true;
    // "<Name/>" is an empty element like "<Name />".
    if (p[0] == L'/' && p[1] == L'>') return true;
    *p++ = 0;
    SkipWhitespace(p);
    while (*p != 0 && *p != L'>' && *p != L'/') {
        SkipIdentifier(p);
        LPWSTR const nameEnd = p;
        SkipWhitespace(p);
        if (*p != L'=') {
            pstrText = p;
            return Failed(L"Error while parsing attributes", p);
        }
        *p = L' ';
        *nameEnd = 0;
        ++p;
        SkipWhitespace(p);
        if (*p != L'"') {
            // Report from just after the offending character, but never past the end.
            pstrText = p;
            return Failed(L"Expected attribute value", *p != 0 ? p + 1 : p);
        }
        ++p;
        LPWSTR const valueEnd = ParseData(p, L'"');
        if (*p == 0) {
            pstrText = p;
            return Failed(L"Error while parsing attribute string", p);
        }
        *valueEnd = 0;
        if (valueEnd != p) *p = L' ';
        ++p;
        SkipWhitespace(p);
    }
    pstrText = p;
    return true;
}

LPWSTR CMarkup::ParseData(LPWSTR& pstrText, WCHAR cEnd) {
    LPWSTR p = pstrText;
    // Until the first change the text stays where it is; nothing needs copying.
    const WCHAR space = m_bPreserveWhitespace ? 0 : L' ';
    p = FindStop(p, 0, L'&', cEnd, space);
    LPWSTR dest = p;
    for (;;) {
        const WCHAR ch = *p;
        if (ch == 0 || ch == cEnd) break;
        if (ch == L'&') {
            WCHAR decoded = 0;
            int length = 0;
            switch (p[1]) {
                case L'a':
                    if (StartsWith(p + 2, L"mp;")) {
                        decoded = L'&';
                        length = 5;
                    } else if (StartsWith(p + 2, L"pos;")) {
                        decoded = L'\'';
                        length = 6;
                    }
                    break;
                case L'l':
                    if (StartsWith(p + 2, L"t;")) {
                        decoded = L'<';
                        length = 4;
                    }
                    break;
                case L'g':
                    if (StartsWith(p + 2, L"t;")) {
                        decoded = L'>';
                        length = 4;
                    }
                    break;
                case L'q':
                    if (StartsWith(p + 2, L"uot;")) {
                        decoded = L'"';
                        length = 6;
                    }
                    break;
                default:
                    break;
            }
            if (length > 0) {
                *dest++ = decoded;
                p += length;
            } else {
                *dest++ = *p++;  // not one of ours: kept as written
            }
        } else {
            *dest++ = *p++;
            if (ch == L' ' && !m_bPreserveWhitespace) SkipWhitespace(p);
        }
        // Move the run up to the next character that needs a look.
        LPWSTR const stop = FindStop(p, 0, L'&', cEnd, space);
        std::wmemmove(dest, p, static_cast<size_t>(stop - p));
        dest += stop - p;
        p = stop;
    }
    // Fill the gap the decoding left so the attribute index can step over it.
    for (LPWSTR q = dest + 1; q < p; ++q) *q = L' ';
    pstrText = p;
    return dest;
}
