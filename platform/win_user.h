// Windows, classes, messages, timers, input, focus, placement, monitors and the odd user-interface calls.
#pragma once

#include "platform/win_base.h"
