// The paint manager's skin-file settings, kept apart from the window side so that code reading
// skin files links without the window system.
#include <zip.h>

#include <string>

#include "platform/win_kernel.h"
#include "skinframe/paint_manager.h"

CSkinString CPaintManagerUI::m_pStrResourcePath;
CSkinString CPaintManagerUI::m_pStrResourceZip;
bool CPaintManagerUI::m_bCachedResourceZip = false;
HANDLE CPaintManagerUI::m_hResourceZip = nullptr;

namespace {

std::string ToUtf8(const CSkinString& text) {
    if (text.IsEmpty()) return std::string();
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

void CPaintManagerUI::SetResourcePath(LPCWSTR pStrPath) {
    m_pStrResourcePath = pStrPath;
    if (m_pStrResourcePath.IsEmpty()) return;
    WCHAR last = m_pStrResourcePath[m_pStrResourcePath.GetLength() - 1];
    if (last != L'\\' && last != L'/') m_pStrResourcePath += L'/';
}

const CSkinString& CPaintManagerUI::GetResourcePath() {
    return m_pStrResourcePath;
}

void CPaintManagerUI::SetResourceZip(LPCWSTR pstrZip, bool bCachedResourceZip) {
    if (m_hResourceZip != nullptr) {
        zip_discard(static_cast<zip_t*>(m_hResourceZip));
        m_hResourceZip = nullptr;
    }
    m_pStrResourceZip = pstrZip;
    m_bCachedResourceZip = bCachedResourceZip && !m_pStrResourceZip.IsEmpty();
    if (!m_bCachedResourceZip) return;
    const std::string path = ToUtf8(m_pStrResourcePath + m_pStrResourceZip);
    int error = 0;
    m_hResourceZip = zip_open(path.c_str(), ZIP_RDONLY, &error);
}

const CSkinString& CPaintManagerUI::GetResourceZip() {
    return m_pStrResourceZip;
}

bool CPaintManagerUI::IsCachedResourceZip() {
    return m_bCachedResourceZip;
}

HANDLE CPaintManagerUI::GetResourceZipHandle() {
    return m_hResourceZip;
}
