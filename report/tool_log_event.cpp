#include "report/tool_log_event.h"

#include "report/offline_store.h"
#include "report/tool_log_record.h"
#include "report/tool_log_uploader.h"

void ReportToolLog(const std::string& state, const std::string& data, const std::string& remarks) {
    ToolLogRecord record;
    record.state = state;
    record.remarks = remarks;
    record.data = data;
    if (ToolLogUploader::Instance().Upload(record) == 0) StoreToolLogOffline(record);
}
