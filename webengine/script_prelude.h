// The script side of the page's object model, built on the native calls of script_bindings.
#pragma once

namespace webengine {

extern const char kScriptPrelude[];

}  // namespace webengine
