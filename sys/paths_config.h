// The executable's folder and the program's fixed configuration entries.
#pragma once

#include <string>

// The folder of the running executable, ending with "/".
void GetExeDirectory(std::string& out);

// "mainhtml", "cleanIni" or "logIni" (exact, case-sensitive) replace `out` with their value;
// any other key leaves `out` as it was.
void GetConfigValue(const std::string& key, std::string& out);
