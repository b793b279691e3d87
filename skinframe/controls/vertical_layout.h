// A column: children from top to bottom, fixed heights first, the rest shared by the others.
#pragma once

#include "skinframe/controls/container.h"

class CVerticalLayoutUI : public CContainerUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};
