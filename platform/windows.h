// Everything this layer offers, for code written against the Win32 interface.
#pragma once

#include "platform/win_base.h"
#include "platform/win_gdi.h"
#include "platform/win_http.h"
#include "platform/win_kernel.h"
#include "platform/win_profile.h"
#include "platform/win_user.h"
