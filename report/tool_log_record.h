// What one tool-log event says: who reports it, on which machine and process, in which state
// and when.
#pragma once

#include <string>

struct ToolLogRecord {
    // Fills the identity, adapter address, process id and time afresh; state, data, remarks and
    // key start empty.
    ToolLogRecord();

    std::string ename;
    std::string runid;
    std::string uid;
    std::string pid;
    std::string state;
    std::string data;
    std::string remarks;
    std::string t;
    std::string key;
};
