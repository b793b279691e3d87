// A rectangle in pixels.
#pragma once

namespace webengine {

struct Box {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

}  // namespace webengine
