#include <gtest/gtest.h>

#include <string>

#include "report/tool_log_uploader.h"

namespace {

TEST(ToolLogToken, SignsIdentityTimeAndSecretWithTheOwnAlphabet) {
    struct Case {
        const char* ename;
        const char* uid;
        const char* runid;
        const char* t;
        const char* token;
    };
    // Tokens worked out independently of this code.
    const Case cases[] = {
        {"12", "00-1A-2B-3C-4D-5E", "7788", "1709314200", "4c048324ce4aa8de7da7750afb4144b3"},
        // Its Base64 holds a "!" where standard Base64 has "/" (token 90695063...).
        {"~tool?", "00-1A-2B-3C-4D-5E", "7788", "1709314200", "a01bb44770d8740762d0b8317dd52301"},
        // No uid, no run id: the rest is still signed, and a second later the token differs.
        {"tool", "", "", "1709314200", "3e5564fca605067e2da9e6d04be2e632"},
        {"tool", "", "", "1709314201", "53ff05f0b0e9c41e43a93722631f325c"},
    };
    for (const auto& c : cases) {
        ToolLogRecord record;
        record.ename = c.ename;
        record.uid = c.uid;
        record.runid = c.runid;
        record.t = c.t;
        record.pid = "1";  // pid, state, data and remarks are not signed
        record.state = "6";
        record.data = "5";
        record.remarks = "r";
        EXPECT_EQ(MakeToolLogToken(record), c.token) << c.ename << " " << c.t;
    }
}

}  // namespace
