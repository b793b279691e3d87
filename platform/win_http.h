// The user's browser proxy configuration and automatic proxy scripts, shaped like WinHTTP.
#pragma once

#include "platform/win_base.h"
