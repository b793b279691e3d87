// The hub of one skinned window. Its static side holds the process-wide settings: the folder of
// skin files and, optionally, a zip archive inside that folder from which skin files are read.
#pragma once

#include "platform/win_base.h"
#include "skinframe/skin_string.h"

class CPaintManagerUI {
  public:
    // Stores the folder of skin files; a non-empty path gets a trailing "/" unless it already
    // ends with "/" or "\".
    static void SetResourcePath(LPCWSTR pStrPath);
    static const CSkinString& GetResourcePath();

    // Names a zip archive (relative to the resource path) that skin files are read from; an
    // empty or null name reads plain files again. With bCachedResourceZip the archive is opened
    // now and kept open; otherwise each load opens it.
    static void SetResourceZip(LPCWSTR pstrZip, bool bCachedResourceZip = false);
    static const CSkinString& GetResourceZip();
    static bool IsCachedResourceZip();
    // The kept archive (a libzip zip_t*), or null when none is open.
    static HANDLE GetResourceZipHandle();

  private:
    static CSkinString m_pStrResourcePath;
    static CSkinString m_pStrResourceZip;
    static bool m_bCachedResourceZip;
    static HANDLE m_hResourceZip;
};
