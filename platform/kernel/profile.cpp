// Private-profile (INI) files, read and written as real files in the ANSI code page.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_kernel.h"
#include "platform/win_profile.h"

namespace {

constexpr DWORD kErrorWriteFault = 29;

// Keeps a read-modify-write of one file from interleaving with another in this process.
std::mutex g_profileLock;

enum class LineKind { Blank, Comment, Header, Key };

struct IniLine {
    size_t begin;  // first byte of the line
    size_t next;   // first byte of the following line (after the line break)
    bool hasBreak;
    LineKind kind;
    std::string_view name;   // section name for a header, key name for a key line
    std::string_view value;  // value of a key line
};

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

IniLine ClassifyLine(std::string_view text, size_t begin, size_t contentBegin, size_t end,
                     size_t next) {
    IniLine line{begin, next, next > end, LineKind::Blank, {}, {}};
    std::string_view content = Trim(text.substr(contentBegin, end - contentBegin));
    if (content.empty()) return line;
    if (content.front() == ';' || content.front() == '#') {
        line.kind = LineKind::Comment;
    } else if (content.front() == '[') {
        line.kind = LineKind::Header;
        size_t close = content.find(']');
        line.name = Trim(content.substr(
            1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    } else {
        line.kind = LineKind::Key;
        size_t equals = content.find('=');
        line.name = Trim(content.substr(0, equals));
        if (equals != std::string_view::npos)
            line.value = Unquote(Trim(content.substr(equals + 1)));
    }
    return line;
}

std::vector<IniLine> ParseLines(std::string_view text) {
    std::vector<IniLine> lines;
    size_t pos = 0;
    // A byte-order mark is kept in the file but is no part of the first line's content.
    size_t contentBegin = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (pos < text.size()) {
        size_t newline = text.find('\n', pos);
        size_t end = newline == std::string_view::npos ? text.size() : newline;
        size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        lines.push_back(
            ClassifyLine(text, pos, contentBegin > pos ? contentBegin : pos, end, next));
        pos = next;
    }
    return lines;
}

// Index of the first header of the section, or lines.size().
size_t FindSection(const std::vector<IniLine>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Header && SameName(lines[i].name, section)) return i;
    }
    return lines.size();
}

// Index of the first line after the section's body (the next header or lines.size()).
size_t SectionEnd(const std::vector<IniLine>& lines, size_t header) {
    size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Header) ++i;
    return i;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        default:
            return kErrorWriteFault;
    }
}

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
    text.clear();
    if (path.empty()) return ReadResult::Missing;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    char chunk[8192];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof(chunk));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(ErrorFromErrno(errno));
            close(fd);
            return ReadResult::Failed;
        }
        text.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    return ReadResult::Read;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool CreateNewFile(const std::string& path, const std::string& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes);
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(path.c_str());
        errno = error;
    }
    return ok;
}

// Last resort for a writable file in a folder where no new file may be made.
bool RewriteInPlace(const std::string& path, const std::string& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) ok = false;
    if (!ok) errno = error;
    return ok;
}

// Writes the new content beside the file and renames it over the file, so that a write that
// fails half-way (a full disk) leaves the old content whole.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
    std::string target = path;
    if (char* real = realpath(path.c_str(), nullptr)) {
        target = real;  // replace what a link points at, not the link
        std::free(real);
    }
    struct stat info;
    if (stat(target.c_str(), &info) != 0) return false;
    std::string temp = target + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) return RewriteInPlace(target, bytes);
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    int error = errno;
    if (ok) {
        fchmod(fd, info.st_mode & 07777);
        if (geteuid() == 0 && fchown(fd, info.st_uid, info.st_gid) != 0) {
            // Ownership is kept where we may; the content matters more.
        }
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        errno = error;
    }
    return ok;
}

bool Narrow(LPCWSTR text, std::string& out) {
    out.clear();
    if (text == nullptr) return false;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    std::vector<char> buffer(static_cast<size_t>(bytes));
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), bytes, nullptr, nullptr) <= 0) {
        return false;
    }
    out.assign(buffer.data());
    return true;
}

std::wstring Widen(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > static_cast<size_t>(INT_MAX)) return {};
    int chars =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (chars <= 0) return {};
    std::wstring out(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), chars);
    return out;
}

DWORD CopyText(const std::wstring& text, LPWSTR out, DWORD size) {
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    text.copy(out, n);
    out[n] = L'\0';
    return static_cast<DWORD>(n);
}

DWORD CopyList(const std::vector<std::wstring>& names, LPWSTR out, DWORD size) {
    std::wstring flat;
    for (const auto& name : names) {
        flat += name;
        flat += L'\0';
    }
    flat += L'\0';
    if (flat.size() <= size) {
        flat.copy(out, flat.size());
        return static_cast<DWORD>(flat.size() - 1);
    }
    if (size < 2) {
        out[0] = L'\0';
        return 0;
    }
    flat.copy(out, size - 2);
    out[size - 2] = L'\0';
    out[size - 1] = L'\0';
    return size - 2;
}

// Reads the file for one of the Get functions; a missing or unreadable file reads as empty.
bool LoadForReading(LPCWSTR fileName, std::string& text) {
    std::string path;
    if (!Narrow(fileName, path) || path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        text.clear();
        return false;
    }
    std::lock_guard<std::mutex> lock(g_profileLock);
    if (ReadWholeFile(path, text) != ReadResult::Read) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    SetLastError(ERROR_SUCCESS);
    return true;
}

bool FindValue(std::string_view text, LPCWSTR appName, LPCWSTR keyName, std::string& value) {
    std::string section, key;
    if (!Narrow(appName, section) || !Narrow(keyName, key)) return false;
    std::vector<IniLine> lines = ParseLines(text);
    size_t header = FindSection(lines, section);
    if (header == lines.size()) return false;
    size_t end = SectionEnd(lines, header);
    for (size_t i = header + 1; i < end; ++i) {
        if (lines[i].kind == LineKind::Key && SameName(lines[i].name, key)) {
            value.assign(lines[i].value);
            return true;
        }
    }
    return false;
}

}  // namespace

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
    std::string text, value;
    LoadForReading(lpFileName, text);
    if (!FindValue(text, lpAppName, lpKeyName, value) || value.empty()) {
        return static_cast<UINT>(nDefault);
    }
    // A quoted value keeps its inner blanks; they still come before the number.
    size_t pos = value.find_first_not_of(" \t");
    if (pos == std::string::npos) return 0;
    bool negative = false;
    if (value[pos] == '+' || value[pos] == '-') negative = value[pos++] == '-';
    unsigned long long number = 0;
    for (; pos < value.size() && value[pos] >= '0' && value[pos] <= '9'; ++pos) {
        number = number * 10 + static_cast<unsigned>(value[pos] - '0');
        if (number > UINT_MAX) number = UINT_MAX;
    }
    return negative ? 0 : static_cast<UINT>(number);
}

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    LoadForReading(lpFileName, text);
    std::vector<IniLine> lines = ParseLines(text);
    if (lpAppName == nullptr) {
        std::vector<std::wstring> names;
        for (const auto& line : lines) {
            if (line.kind == LineKind::Header) names.push_back(Widen(line.name));
        }
        return CopyList(names, lpReturnedString, nSize);
    }
    if (lpKeyName == nullptr) {
        std::vector<std::wstring> names;
        std::string section;
        Narrow(lpAppName, section);
        size_t header = FindSection(lines, section);
        if (header < lines.size()) {
            size_t end = SectionEnd(lines, header);
            for (size_t i = header + 1; i < end; ++i) {
                if (lines[i].kind == LineKind::Key) names.push_back(Widen(lines[i].name));
            }
        }
        return CopyList(names, lpReturnedString, nSize);
    }
    std::string value;
    if (FindValue(text, lpAppName, lpKeyName, value)) {
        return CopyText(Widen(value), lpReturnedString, nSize);
    }
    std::wstring fallback = lpDefault != nullptr ? lpDefault : L"";
    size_t last = fallback.find_last_not_of(L" \t");
    fallback.resize(last == std::wstring::npos ? 0 : last + 1);
    return CopyText(fallback, lpReturnedString, nSize);
}

BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpFileName == nullptr || *lpFileName == '\0' ||
        std::strpbrk(lpAppName, "]\r\n") != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string path = lpFileName;
    std::lock_guard<std::mutex> lock(g_profileLock);
    std::string text;
    ReadResult read = ReadWholeFile(path, text);
    if (read == ReadResult::Failed) return FALSE;  // never overwrite what could not be read

    size_t firstBreak = text.find('\n');
    const std::string lineBreak =
        firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] == '\r' ? "\r\n"
                                                                                          : "\n";
    std::string body;
    for (const char* p = lpString; p != nullptr && *p != '\0'; p += std::strlen(p) + 1) {
        std::string line = p;
        for (char& c : line) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        body += line;
        body += lineBreak;
    }

    std::vector<IniLine> lines = ParseLines(text);
    size_t header = FindSection(lines, lpAppName);
    std::string updated;
    if (header == lines.size()) {
        if (lpString == nullptr) return TRUE;  // nothing to remove
        updated = text;
        if (!updated.empty() && updated.back() != '\n') updated += lineBreak;
        updated += "[";
        updated += lpAppName;
        updated += "]";
        updated += lineBreak;
        updated += body;
    } else {
        size_t end = SectionEnd(lines, header);
        size_t tail = end < lines.size() ? lines[end].begin : text.size();
        if (lpString == nullptr) {
            updated = text.substr(0, lines[header].begin) + text.substr(tail);
        } else {
            updated = text.substr(0, lines[header].next);
            if (!lines[header].hasBreak) updated += lineBreak;
            size_t insertAt = header + 1;
            while (insertAt < end && lines[insertAt].kind != LineKind::Key) ++insertAt;
            if (insertAt == end) insertAt = header + 1;
            for (size_t i = header + 1; i <= end; ++i) {
                if (i == insertAt) updated += body;
                if (i == end) break;
                if (lines[i].kind != LineKind::Key) {
                    updated.append(text, lines[i].begin, lines[i].next - lines[i].begin);
                }
            }
            updated += text.substr(tail);
        }
    }

    bool ok =
        read == ReadResult::Missing ? CreateNewFile(path, updated) : ReplaceFile(path, updated);
    if (!ok) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
