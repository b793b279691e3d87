// Code-page conversions through iconv. The ANSI code pages stand for UTF-8 on this platform.
#include <errno.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/win_kernel.h"

namespace {

const char* CharsetOf(UINT codePage) {
    switch (codePage) {
        case CP_ACP:
        case CP_THREAD_ACP:
        case CP_UTF8:
            return "UTF-8";
        case CP_GBK:
            return "GBK";
        default:
            return nullptr;
    }
}

// iconv descriptors are costly to open; each thread keeps the few it has used.
class ConverterCache {
  public:
    ~ConverterCache() {
        for (auto& entry : entries_) iconv_close(entry.second);
    }
    iconv_t Get(const char* to, const char* from) {
        std::string key = std::string(to) + "<" + from;
        for (auto& entry : entries_) {
            if (entry.first == key) {
                iconv(entry.second, nullptr, nullptr, nullptr, nullptr);  // reset shift state
                return entry.second;
            }
        }
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
        entries_.emplace_back(std::move(key), cd);
        return cd;
    }

  private:
    std::vector<std::pair<std::string, iconv_t>> entries_;
};

iconv_t Converter(const char* to, const char* from) {
    thread_local ConverterCache cache;
    return cache.Get(to, from);
}

// Converts all of [in, in + inBytes) and appends to out. An input unit iconv cannot take is
// replaced by `replacement` (one unit of `unitBytes` skipped); returns false when replacement
// is not allowed and such a unit occurs.
bool ConvertAll(iconv_t cd, const char* in, size_t inBytes, size_t unitBytes,
                const std::string& replacement, bool allowReplacement, std::string& out) {
    char chunk[1024];
    char* inPtr = const_cast<char*>(in);
    size_t inLeft = inBytes;
    while (inLeft > 0) {
        char* outPtr = chunk;
        size_t outLeft = sizeof(chunk);
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(chunk, static_cast<size_t>(outPtr - chunk));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!allowReplacement) return false;
        out += replacement;
        size_t skip = inLeft < unitBytes ? inLeft : unitBytes;
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH src, int srcBytes, LPWSTR dst,
                        int dstChars) {
    const char* charset = CharsetOf(codePage);
    if (charset == nullptr || src == nullptr || srcBytes == 0 || srcBytes < -1 || dstChars < 0 ||
        (dst == nullptr && dstChars != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t inBytes = srcBytes == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcBytes);
    iconv_t cd = Converter("WCHAR_T", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const wchar_t replacementChar = 0xFFFD;
    std::string replacement(reinterpret_cast<const char*>(&replacementChar), sizeof(wchar_t));
    std::string converted;
    if (!ConvertAll(cd, src, inBytes, 1, replacement, (flags & MB_ERR_INVALID_CHARS) == 0,
                    converted)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    size_t chars = converted.size() / sizeof(wchar_t);
    if (dstChars == 0) return static_cast<int>(chars);
    if (chars > static_cast<size_t>(dstChars)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, converted.data(), chars * sizeof(wchar_t));
    return static_cast<int>(chars);
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWCH src, int srcChars, LPSTR dst,
                        int dstBytes, LPCCH defaultChar, LPBOOL usedDefaultChar) {
    const char* charset = CharsetOf(codePage);
    if (charset == nullptr || src == nullptr || srcChars == 0 || srcChars < -1 || dstBytes < 0 ||
        (dst == nullptr && dstBytes != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t inChars = srcChars == -1 ? std::wcslen(src) + 1 : static_cast<size_t>(srcChars);
    iconv_t cd = Converter(charset, "WCHAR_T");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string replacement = defaultChar != nullptr ? std::string(defaultChar, 1) : "?";
    std::string converted;
    ConvertAll(cd, reinterpret_cast<const char*>(src), inChars * sizeof(wchar_t), sizeof(wchar_t),
               replacement, true, converted);
    if (usedDefaultChar != nullptr) {
        // Recount to learn whether a replacement happened: convert strictly once more.
        std::string strict;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        bool clean = ConvertAll(cd, reinterpret_cast<const char*>(src), inChars * sizeof(wchar_t),
                                sizeof(wchar_t), replacement, false, strict);
        *usedDefaultChar = clean ? FALSE : TRUE;
    }
    if (dstBytes == 0) return static_cast<int>(converted.size());
    if (converted.size() > static_cast<size_t>(dstBytes)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, converted.data(), converted.size());
    return static_cast<int>(converted.size());
}
