// Private-profile (INI) files.
#pragma once

#include "platform/win_base.h"
