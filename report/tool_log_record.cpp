#include "report/tool_log_record.h"

#include <cstdio>

#include "platform/win_kernel.h"
#include "sys/identity.h"

ToolLogRecord::ToolLogRecord() {
    GetToolIdentity(ename, runid);
    char mac[MAX_PATH] = {};
    GetMacAddressText(mac);  // a failure leaves the buffer, and so uid, empty
    uid = mac;
    char processId[16];
    std::snprintf(processId, sizeof(processId), "%d", static_cast<int>(GetCurrentProcessId()));
    pid = processId;
    GetUnixTimeText(t);
}
