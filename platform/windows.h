// Everything this layer offers, for code written against the Win32 interface.
#pragma once

#include "platform/win_base.h"
#include "platform/win_kernel.h"
