// The repair itself: comment out every hosts line that names the browser's online settings host
// and map that host to the loopback address at the end of the file.
#pragma once

#include <mutex>
#include <string>

constexpr const char kSettingsHost[] = IEFIX_SETTINGS_HOST;
static_assert(sizeof(kSettingsHost) > 1, "the settings host must not be empty");

// How one rewrite ended. Only tests and diagnostics look at it; the repair goes on either way.
enum class HostsFixResult {
    kReplaced,          // a new file with the output took the old one's place
    kRewrittenInPlace,  // the file could not be replaced (a mount point); rewritten where it is
    kNotOpened,         // missing, not a regular file, or not writable: left untouched
    kReadFailed,        // reading failed part way: left untouched
    kWriteFailed,       // the output could not be stored: left untouched
};

class HostsFixer {
  public:
    static HostsFixer& Instance();

    // Rewrites the system hosts file.
    void FixHosts();
    // Rewrites the hosts file at `path`. The file ends up holding exactly the output, or is left
    // as it was; a missing file is not created. One rewrite at a time in this process, and
    // other instances of the tool wait on the file's lock.
    HostsFixResult FixHostsAt(const std::string& path);

    static void GetHostsPath(std::string& out);
    // `line` without its leading and trailing space characters (0x20 only); a line made only of
    // spaces comes back unchanged.
    static std::string TrimSpaces(const std::string& line);
    // The new content for the hosts text `in`, read in text mode (a CR LF pair is a line feed).
    static std::string RewriteText(const std::string& in);

    HostsFixer(const HostsFixer&) = delete;
    HostsFixer& operator=(const HostsFixer&) = delete;

  private:
    HostsFixer() = default;

    std::mutex m_rewriteLock;
};
