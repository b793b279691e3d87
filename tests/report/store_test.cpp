#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <regex>
#include <string>

#include "report/offline_store.h"
#include "report/tool_log_record.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"
#include "sys/identity.h"

namespace {

SYSTEMTIME Utc(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

ToolLogRecord Record(const std::string& state, const std::string& data) {
    ToolLogRecord record;
    record.ename = "12";
    record.runid = "7788";
    record.uid = "00-1A-2B-3C-4D-5E";
    record.pid = "4242";
    record.state = state;
    record.data = data;
    record.t = "1709314200";
    return record;
}

std::string Section(const std::string& name, const std::string& state, const std::string& data) {
    return "[" + name + "]\nename=12\nrunid=7788\nuid=00-1A-2B-3C-4D-5E\npid=4242\nstate=" + state +
           "\ndata=" + data + "\nremarks=\nt=1709314200\nkey=\n";
}

TEST(ToolLogRecord, FreshRecordDescribesThisProcessNow) {
    std::string ename, runid;
    GetToolIdentity(ename, runid);
    const long long before = static_cast<long long>(std::time(nullptr));
    ToolLogRecord record;
    const long long after = static_cast<long long>(std::time(nullptr));
    EXPECT_EQ(record.ename, ename);
    EXPECT_EQ(record.runid, runid);
    EXPECT_TRUE(record.uid.empty() ||
                std::regex_match(record.uid, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}")))
        << record.uid;
    EXPECT_EQ(record.pid, std::to_string(getpid()));
    EXPECT_GE(std::stoll(record.t), before);
    EXPECT_LE(std::stoll(record.t), after);
    EXPECT_EQ(record.state + record.data + record.remarks + record.key, "");
}

TEST(OfflineStore, SectionNamesRunTheHourFrom08To31WithoutChangingTheDate) {
    struct Case {
        SYSTEMTIME utc;
        const char* name;
    };
    const Case cases[] = {
        {Utc(2024, 3, 1, 17, 30, 0), "sec_20240301_253000"},
        {Utc(2023, 12, 31, 23, 59, 59), "sec_20231231_315959"},
        {Utc(2024, 1, 5, 0, 0, 0), "sec_20240105_080000"},
        {Utc(2024, 11, 9, 16, 0, 1), "sec_20241109_240001"},
    };
    for (const auto& c : cases) EXPECT_EQ(OfflineSectionName(c.utc), c.name);
}

TEST(OfflineStore, WritesNineLinesEndingWithAnEmptyKey) {
    TempDir dir;
    const std::string file = dir.File("LogIni.ini");
    ASSERT_TRUE(StoreToolLogSection(Record("0", ""), Utc(2024, 3, 1, 17, 30, 0), file));
    EXPECT_EQ(TempDir::Read(file), Section("sec_20240301_253000", "0", ""));
}

TEST(OfflineStore, EventsOfTheSameSecondAreAllKeptAndOtherSectionsUntouched) {
    TempDir dir;
    const std::string file = dir.File("LogIni.ini");
    const std::string before =
        "; written by hand\r\n[sec_20240301_253000]\r\nstate=from an earlier run\r\n[Other]\r\n"
        "a = 1\r\n";
    TempDir::Write(file, before);
    const SYSTEMTIME second = Utc(2024, 3, 1, 17, 30, 0);
    ASSERT_TRUE(StoreToolLogSection(Record("6", "5"), second, file));
    ASSERT_TRUE(StoreToolLogSection(Record("5", ""), second, file));
    ASSERT_TRUE(StoreToolLogSection(Record("0", ""), Utc(2024, 3, 1, 17, 30, 1), file));
    std::string expected = Section("sec_20240301_253000_2", "6", "5") +
                           Section("sec_20240301_253000_3", "5", "") +
                           Section("sec_20240301_253001", "0", "");
    // The file's own CR LF line breaks carry over to the new sections.
    expected = std::regex_replace(expected, std::regex("\n"), "\r\n");
    EXPECT_EQ(TempDir::Read(file), before + expected);
}

TEST(OfflineStore, LongValuesAreCutToTheirLineAtACharacterBoundary) {
    TempDir dir;
    const std::string file = dir.File("LogIni.ini");
    ToolLogRecord record = Record("0", std::string(20000, 'd'));
    record.remarks = std::string(2000, 'r');
    std::string wide;  // "修" is three bytes: 253 bytes of room hold 84 of them
    for (int i = 0; i < 100; ++i) wide += "\xE4\xBF\xAE";
    record.ename = wide;
    ASSERT_TRUE(StoreToolLogSection(record, Utc(2024, 3, 1, 17, 30, 0), file));
    const std::string text = TempDir::Read(file);
    EXPECT_NE(text.find("\nename=" + wide.substr(0, 84 * 3) + "\n"), std::string::npos);
    EXPECT_NE(text.find("\ndata=" + std::string(12994, 'd') + "\n"), std::string::npos);
    EXPECT_NE(text.find("\nremarks=" + std::string(1291, 'r') + "\n"), std::string::npos);
    EXPECT_NE(text.find("\nkey=\n"), std::string::npos);
}

TEST(OfflineStore, AReadOnlyFolderLosesTheEventButNothingElse) {
    TempDir dir;
    const std::string folder = dir.File("ro/");
    const std::string file = folder + "LogIni.ini";
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string before = Section("sec_20240301_253000", "0", "");
    TempDir::Write(file, before);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    int result = RunUnprivileged([&] {
        return StoreToolLogSection(Record("2", "2"), Utc(2024, 3, 1, 17, 30, 0), file) ? 1 : 0;
    });
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(TempDir::Read(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

}  // namespace
