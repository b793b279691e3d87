#include "app/hosts_fixer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>

#include "support/hosts_reference.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace {

// "{H}" stands for the settings host, "{LOOP}" for the line the repair appends.
std::string Expand(std::string text) {
    const std::string host = kSettingsHost;
    const std::string loop = "\n127.0.0.1 " + host;
    for (auto [key, value] : {std::pair<std::string, std::string>{"{LOOP}", loop}, {"{H}", host}}) {
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at))
            text.replace(at, key.size(), value), at += value.size();
    }
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct RewriteCase {
    const char* name;
    std::string input;
    std::string output;
};

void PrintTo(const RewriteCase& c, std::ostream* os) {
    *os << c.name;
}

class HostsRewriteTest : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(HostsRewriteTest, FileHoldsExactlyTheOutput) {
    TempDir dir;
    const std::string hosts = dir.File("hosts");
    TempDir::Write(hosts, Expand(GetParam().input));

    EXPECT_EQ(HostsFixer::Instance().FixHostsAt(hosts), HostsFixResult::kReplaced);
    EXPECT_EQ(TempDir::Read(hosts), Expand(GetParam().output));
    // Nothing but the hosts file is left behind in its folder.
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"hosts"});
}

const std::string kLong(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, HostsRewriteTest,
    ::testing::Values(
        RewriteCase{"LastLineWithoutBreak", "127.0.0.1 localhost", "127.0.0.1 localhost{LOOP}"},
        RewriteCase{"EndsWithBreakGainsEmptyLine", "127.0.0.1 localhost\n",
                    "127.0.0.1 localhost\n{LOOP}"},
        RewriteCase{"EmptyFile", "", "{LOOP}"},
        RewriteCase{"ActiveHostLineCommentedCommentKept", "127.0.0.1 {H}\n# 127.0.0.1 {H}\n",
                    "#127.0.0.1 {H}\n# 127.0.0.1 {H}\n{LOOP}"},
        RewriteCase{"HostInTrailingCommentOrLongerName", "1.2.3.4 other # {H}\n1.2.3.4 x{H}.net\n",
                    "#1.2.3.4 other # {H}\n#1.2.3.4 x{H}.net\n{LOOP}"},
        RewriteCase{"CapitalHostNotMatched", "1.2.3.4 " + Upper(kSettingsHost) + "\n",
                    "1.2.3.4 " + Upper(kSettingsHost) + "\n{LOOP}"},
        RewriteCase{"IndentationDropped", "   # note\n  1.2.3.4 a  \n  127.0.0.1 {H}\n",
                    "# note\n1.2.3.4 a  \n#127.0.0.1 {H}\n{LOOP}"},
        RewriteCase{"LastLineLosesTrailingSpaces", "  127.0.0.1 {H}   ", "#127.0.0.1 {H}{LOOP}"},
        RewriteCase{"SpaceOnlyLines", "    \na\n   ", "\na\n   {LOOP}"},
        RewriteCase{"OnlySpacesAreTrimmed", "\t1.2.3.4 {H}\n\ta\n", "#\t1.2.3.4 {H}\n\ta\n{LOOP}"},
        RewriteCase{"CrLfReadAsLineBreak", "a\r\n  # c\r\n127.0.0.1 {H}\r\n\r\n",
                    "a\n# c\n#127.0.0.1 {H}\n\n{LOOP}"},
        RewriteCase{"LoneCarriageReturnKept", "a\rb\r\r\n  \r\n", "a\rb\r\n\n{LOOP}"},
        RewriteCase{"ZeroByteKept", std::string("a\0b {H}\n", 8),
                    std::string("#a\0b {H}\n", 9) + "{LOOP}"},
        // Long lines are one line each: the host far in is found, and a long comment is not cut
        // into pieces that could be commented out alone.
        RewriteCase{"LongLineWithHostFarIn", "  1.2.3.4 " + kLong + " {H}\n",
                    "#1.2.3.4 " + kLong + " {H}\n{LOOP}"},
        RewriteCase{"LongCommentStaysWhole", "#" + kLong + " {H}\n", "#" + kLong + " {H}\n{LOOP}"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostsFixerTest, TrimSpacesTouchesOnlySpaces) {
    EXPECT_EQ(HostsFixer::TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(HostsFixer::TrimSpaces("  a \n"), "a \n");
    EXPECT_EQ(HostsFixer::TrimSpaces("   "), "   ");
    EXPECT_EQ(HostsFixer::TrimSpaces(""), "");
    EXPECT_EQ(HostsFixer::TrimSpaces("\t a\t "), "\t a\t");
}

// The rewrite searches the host once per occurrence rather than once per line; compare it with
// the plain line-by-line rule on many mixed files.
TEST(HostsFixerTest, RewriteMatchesTheLineByLineRule) {
    const std::string host = kSettingsHost;
    const std::string pieces[] = {" ",
                                  "  ",
                                  "#",
                                  "\n",
                                  "\r",
                                  "\r\n",
                                  "\t",
                                  "a",
                                  "1.2.3.4 ",
                                  host,
                                  host.substr(0, host.size() / 2),
                                  host.substr(host.size() / 2)};
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string in;
        int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i) in += pieces[random() % std::size(pieces)];
        ASSERT_EQ(HostsFixer::RewriteText(in), hosts_reference::Rewrite(in, host))
            << ::testing::PrintToString(in);
    }
}

TEST(HostsFixerTest, RunningTwiceLeavesOneCommentedCopyAndOneActiveLine) {
    TempDir dir;
    const std::string hosts = dir.File("hosts");
    TempDir::Write(hosts, "127.0.0.1 localhost\n");
    HostsFixer::Instance().FixHostsAt(hosts);
    HostsFixer::Instance().FixHostsAt(hosts);
    EXPECT_EQ(TempDir::Read(hosts), Expand("127.0.0.1 localhost\n\n#127.0.0.1 {H}{LOOP}"));
}

TEST(HostsFixerTest, ReplacementKeepsOwnerModeAndLink) {
    TempDir dir;
    const std::string real = dir.File("real-hosts");
    const std::string link = dir.File("hosts");
    TempDir::Write(real, "a\n");
    ASSERT_EQ(chown(real.c_str(), 1234, 5678), 0);
    ASSERT_EQ(chmod(real.c_str(), 0604), 0);
    ASSERT_EQ(symlink("real-hosts", link.c_str()), 0);
    struct stat before;
    ASSERT_EQ(stat(real.c_str(), &before), 0);

    EXPECT_EQ(HostsFixer::Instance().FixHostsAt(link), HostsFixResult::kReplaced);

    struct stat after;
    ASSERT_EQ(lstat(link.c_str(), &after), 0);
    EXPECT_TRUE(S_ISLNK(after.st_mode));
    ASSERT_EQ(stat(real.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file took its place
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 5678u);
    EXPECT_EQ(after.st_mode & 07777, 0604u);
    EXPECT_EQ(TempDir::Read(real), Expand("a\n{LOOP}"));
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"hosts", "real-hosts"}));
}

TEST(HostsFixerTest, NothingIsCreatedOrChangedWhenTheFileCannotBeOpened) {
    TempDir dir;
    const std::string missing = dir.File("missing");
    EXPECT_EQ(HostsFixer::Instance().FixHostsAt(missing), HostsFixResult::kNotOpened);
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string folder = dir.File("folder");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(HostsFixer::Instance().FixHostsAt(folder), HostsFixResult::kNotOpened);

    // A pipe would block the read; it is not a hosts file.
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(HostsFixer::Instance().FixHostsAt(pipe), HostsFixResult::kNotOpened);

    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"folder", "pipe"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(HostsFixerTest, ReadErrorEndsTheRewrite) {
    // A regular file whose read fails at once: the start of this process's memory is unmapped.
    EXPECT_EQ(HostsFixer::Instance().FixHostsAt("/proc/self/mem"), HostsFixResult::kReadFailed);
}

// The following run the fixer in a private mount namespace, the way a container presents the
// hosts file: bind-mounted over the name, perhaps read-only, in a folder that may be read-only.
class HostsMountTest : public ::testing::Test {
  protected:
    void SetUp() override {
        hosts_ = dir_.File("hosts");
        mounted_ = source_.File("mounted");
        TempDir::Write(hosts_, "underneath\n");
        TempDir::Write(mounted_, kInput);
    }

    // Runs the fixer on the hosts name after `setup` has arranged the mounts.
    HostsFixResult FixInNamespace(const std::function<bool()>& setup) {
        const std::string hosts = hosts_;
        int status = RunInMountNamespace([&]() {
            if (!setup()) return 200;
            return static_cast<int>(HostsFixer::Instance().FixHostsAt(hosts));
        });
        if (status == kNoMountNamespace) {
            skipped_ = true;
            return HostsFixResult::kNotOpened;
        }
        EXPECT_NE(status, 200) << "mount setup failed";
        EXPECT_GE(status, 0);
        return static_cast<HostsFixResult>(status);
    }

    void ExpectOnlyOriginalNames() {
        EXPECT_EQ(TempDir::Read(hosts_), "underneath\n");
        EXPECT_EQ(FolderEntries(dir_.path()), std::vector<std::string>{"hosts"});
        EXPECT_EQ(FolderEntries(source_.path()), std::vector<std::string>{"mounted"});
    }

    // Indented lines make the output shorter than the input, so a missing truncation shows.
    const std::string kInput = Expand("        # comment\n        127.0.0.1 {H}\n        a b\n");
    const std::string kOutput = Expand("# comment\n#127.0.0.1 {H}\na b\n{LOOP}");
    TempDir dir_;     // holds the name "hosts"
    TempDir source_;  // holds the file mounted on it, outside any read-only mount
    std::string hosts_;
    std::string mounted_;
    bool skipped_ = false;
};

TEST_F(HostsMountTest, MountedFileIsRewrittenInPlace) {
    HostsFixResult result = FixInNamespace([&] { return BindMount(mounted_, hosts_, false); });
    if (skipped_) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(result, HostsFixResult::kRewrittenInPlace);
    EXPECT_EQ(TempDir::Read(mounted_), kOutput);
    ExpectOnlyOriginalNames();
}

TEST_F(HostsMountTest, ReadOnlyFolderWithWritableMountedFileIsRewrittenInPlace) {
    HostsFixResult result = FixInNamespace([&] {
        return BindMount(dir_.path(), dir_.path(), true) && BindMount(mounted_, hosts_, false);
    });
    if (skipped_) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(result, HostsFixResult::kRewrittenInPlace);
    EXPECT_EQ(TempDir::Read(mounted_), kOutput);
    ExpectOnlyOriginalNames();
}

TEST_F(HostsMountTest, ReadOnlyFileIsLeftUntouched) {
    // Read-only even for root, which every other permission check lets through.
    HostsFixResult result = FixInNamespace([&] { return BindMount(mounted_, hosts_, true); });
    if (skipped_) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(result, HostsFixResult::kNotOpened);
    EXPECT_EQ(TempDir::Read(mounted_), kInput);
    ExpectOnlyOriginalNames();
}

}  // namespace
