// The one way the application reports a stage of its run to the tool-log server.
#pragma once

#include <string>

// Builds a fresh record with these values, uploads it and, when it was not delivered, stores it
// in the offline file. Blocks until done; the outcome is not reported.
void ReportToolLog(const std::string& state, const std::string& data, const std::string& remarks);
