#include "app/hosts_fixer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr const char kLoopbackLine[] = "\n127.0.0.1 " IEFIX_SETTINGS_HOST;
constexpr size_t kHostLength = sizeof(kSettingsHost) - 1;

class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.fd_, -1));
        return *this;
    }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }
    // Closes now and says whether the close reported an error (a late write failure).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || close(fd) == 0;
    }

  private:
    int fd_;
};

bool ReadAll(int fd, std::string& out, size_t sizeHint) {
    out.clear();
    out.resize(sizeHint + 1);
    size_t used = 0;
    for (;;) {
        if (used == out.size()) out.resize(out.size() * 2);
        ssize_t got = pread(fd, out.data() + used, out.size() - used, static_cast<off_t>(used));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        used += static_cast<size_t>(got);
    }
    out.resize(used);
    return true;
}

bool WriteAllAt(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put =
            pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// Extended attributes carry the security label and access lists of the system's hosts file;
// the new file gets them too. Best effort: a file system without them has nothing to copy.
void CopyExtendedAttributes(int from, int to) {
    ssize_t listSize = flistxattr(from, nullptr, 0);
    if (listSize <= 0) return;
    std::vector<char> names(static_cast<size_t>(listSize));
    listSize = flistxattr(from, names.data(), names.size());
    if (listSize <= 0) return;
    std::vector<char> value;
    for (size_t at = 0; at < static_cast<size_t>(listSize);) {
        const char* name = names.data() + at;
        at += strnlen(name, static_cast<size_t>(listSize) - at) + 1;
        ssize_t valueSize = fgetxattr(from, name, nullptr, 0);
        if (valueSize < 0) continue;
        value.resize(static_cast<size_t>(valueSize));
        valueSize = fgetxattr(from, name, value.data(), value.size());
        if (valueSize < 0) continue;
        fsetxattr(to, name, value.data(), static_cast<size_t>(valueSize), 0);
    }
}

void SyncFolder(const std::string& folder) {
    UniqueFd dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) fsync(dir.get());
}

// Overwrites the open file with `output` and cuts it to that length. Used where the file cannot
// be replaced; if the write fails part way, the old content is put back as well as possible.
HostsFixResult RewriteInPlace(int fd, const std::string& original, const std::string& output) {
    if (WriteAllAt(fd, output) && ftruncate(fd, static_cast<off_t>(output.size())) == 0 &&
        fsync(fd) == 0) {
        return HostsFixResult::kRewrittenInPlace;
    }
    if (WriteAllAt(fd, original)) ftruncate(fd, static_cast<off_t>(original.size()));
    fsync(fd);
    return HostsFixResult::kWriteFailed;
}

// Writes `output` to a new file beside `target` with the original's owner, mode and attributes,
// flushes it and renames it over `target`, so that a crash leaves either the old or the new
// file whole. Falls back to rewriting in place when the folder takes no new file or the name
// cannot be replaced because a file is mounted on it (containers bind-mount the hosts file).
HostsFixResult ReplaceFile(const std::string& target, int fd, const struct stat& st,
                           const std::string& original, const std::string& output) {
    size_t slash = target.rfind('/');
    std::string folder = slash == 0 ? "/" : target.substr(0, slash);
    std::string temp = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".XXXXXX";

    UniqueFd out(mkostemp(temp.data(), O_CLOEXEC));
    if (!out) {
        if (errno == EROFS || errno == EACCES || errno == EPERM)
            return RewriteInPlace(fd, original, output);
        return HostsFixResult::kWriteFailed;
    }
    struct stat created;
    bool owned = fstat(out.get(), &created) == 0 &&
                 ((created.st_uid == st.st_uid && created.st_gid == st.st_gid) ||
                  fchown(out.get(), st.st_uid, st.st_gid) == 0);
    if (!owned) {
        // A file that cannot carry the old owner must not replace the old one.
        out.Reset();
        unlink(temp.c_str());
        return RewriteInPlace(fd, original, output);
    }
    CopyExtendedAttributes(fd, out.get());
    bool written = WriteAllAt(out.get(), output) && fchmod(out.get(), st.st_mode & 07777) == 0 &&
                   fsync(out.get()) == 0;
    if (!out.Close() || !written) {
        unlink(temp.c_str());
        return HostsFixResult::kWriteFailed;
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        int renameError = errno;
        unlink(temp.c_str());
        if (renameError == EBUSY || renameError == EXDEV)
            return RewriteInPlace(fd, original, output);
        return HostsFixResult::kWriteFailed;
    }
    SyncFolder(folder);
    return HostsFixResult::kReplaced;
}

// Opens `target` for update and takes the lock that other instances of the tool take too. If the
// file was replaced while we waited, the lock is on the old file: open the new one again.
UniqueFd OpenLocked(const std::string& target, struct stat& st) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        UniqueFd fd(open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
        if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return UniqueFd();
        int locked;
        do {
            locked = flock(fd.get(), LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        struct stat now;
        if (stat(target.c_str(), &now) != 0) return UniqueFd();
        if (now.st_dev == st.st_dev && now.st_ino == st.st_ino) {
            if (fstat(fd.get(), &st) != 0) return UniqueFd();
            return fd;
        }
    }
    return UniqueFd();
}

}  // namespace

HostsFixer& HostsFixer::Instance() {
    static HostsFixer instance;
    return instance;
}

void HostsFixer::GetHostsPath(std::string& out) {
    out = IEFIX_HOSTS_FILE;
}

void HostsFixer::FixHosts() {
    std::string path;
    GetHostsPath(path);
    FixHostsAt(path);
}

std::string HostsFixer::TrimSpaces(const std::string& line) {
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return line;
    size_t last = line.find_last_not_of(' ');
    return line.substr(first, last - first + 1);
}

std::string HostsFixer::RewriteText(const std::string& in) {
    std::string out;
    out.reserve(in.size() + in.size() / 8 + sizeof(kLoopbackLine));
    const char* const text = in.data();
    const size_t size = in.size();
    // The next place the host occurs at or after the current line; found once per occurrence
    // instead of searching every line.
    size_t hit = 0;
    bool hitKnown = false;

    for (size_t start = 0; start < size;) {
        const char* lf = static_cast<const char*>(memchr(text + start, '\n', size - start));
        size_t contentEnd = lf ? static_cast<size_t>(lf - text) : size;
        size_t next = lf ? contentEnd + 1 : size;
        // Text mode: the CR of a CR LF pair is not part of the line.
        size_t end = contentEnd;
        if (lf && end > start && text[end - 1] == '\r') --end;

        size_t first = start;
        while (first < end && text[first] == ' ') ++first;
        if (!lf && first == end) {
            // A last line made only of spaces stays as it is.
            out.append(text + start, end - start);
            break;
        }
        if (!lf) {
            while (end > first && text[end - 1] == ' ') --end;
        }

        bool keep = lf && first == end;  // an empty line
        keep = keep || (first < end && text[first] == '#');
        if (!keep) {
            if (!hitKnown || (hit != size && hit < first)) {
                const void* found = memmem(text + first, size - first, kSettingsHost, kHostLength);
                hit = found ? static_cast<size_t>(static_cast<const char*>(found) - text) : size;
                hitKnown = true;
            }
            if (hit != size && hit + kHostLength <= end) out.push_back('#');
        }
        out.append(text + first, end - first);
        if (lf) out.push_back('\n');
        start = next;
    }
    out.append(kLoopbackLine, sizeof(kLoopbackLine) - 1);
    return out;
}

HostsFixResult HostsFixer::FixHostsAt(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_rewriteLock);

    // Work on the real file so that a symbolic link in its place stays a link.
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return HostsFixResult::kNotOpened;
    std::string target(resolved);
    free(resolved);

    struct stat st;
    UniqueFd fd = OpenLocked(target, st);
    if (!fd) return HostsFixResult::kNotOpened;

    std::string original;
    if (!ReadAll(fd.get(), original, static_cast<size_t>(st.st_size)))
        return HostsFixResult::kReadFailed;
    std::string output = RewriteText(original);
    return ReplaceFile(target, fd.get(), st, original, output);
}
