// Every control class of the skin vocabulary, for code that creates controls by element name.
#pragma once

#include "skinframe/controls/button.h"
#include "skinframe/controls/container.h"
#include "skinframe/controls/control.h"
#include "skinframe/controls/horizontal_layout.h"
#include "skinframe/controls/label.h"
#include "skinframe/controls/option.h"
#include "skinframe/controls/other_controls.h"
#include "skinframe/controls/progress.h"
#include "skinframe/controls/vertical_layout.h"
