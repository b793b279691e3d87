// Undelivered tool-log events, kept as INI sections in "LogIni.ini" beside the executable.
#pragma once

#include <string>

#include "platform/win_kernel.h"
#include "report/tool_log_record.h"

// "sec_YYYYMMDD_HHMMSS" for an event stored at `utc`, with the hour moved eight hours ahead and
// never carried into the date: it runs from 08 to 31.
std::string OfflineSectionName(const SYSTEMTIME& utc);

// Writes the record's nine lines as a new section of `file` named for `utc`. When that name is
// already taken (an earlier event of the same second), the section is named with "_2", "_3",
// ... after it, so that no stored event replaces another. Values too long for their line are
// cut at a character boundary. Returns false when the file could not be written.
bool StoreToolLogSection(const ToolLogRecord& record, const SYSTEMTIME& utc,
                         const std::string& file);

// Stores the record in the "logIni" file at the current time; a failed write loses the event
// without notice.
void StoreToolLogOffline(const ToolLogRecord& record);
