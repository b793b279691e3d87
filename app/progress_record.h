// The JSON text that carries one progress step from the repair worker to the page.
#pragma once

#include <string>

// {"progress_tip":"<tip>","progress_value":<value>} and a line feed: members in key order, no
// spaces, bytes from 0x80 up kept as they are, only the quote, backslash and control characters
// escaped. `tip` is narrow text in the ANSI code page.
std::string WriteProgressRecord(int value, const std::string& tip);
