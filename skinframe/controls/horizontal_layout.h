// A row: children from left to right, fixed widths first, the rest shared by the others.
#pragma once

#include "skinframe/controls/container.h"

class CHorizontalLayoutUI : public CContainerUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};
