// The engine's default style sheet: how elements look before the page styles them.
#pragma once

namespace webengine {

extern const char kMasterCss[];

}  // namespace webengine
