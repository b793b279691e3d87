// An argument that is either wide text or a 16-bit resource identifier: values below 0x10000
// are identifiers, as with the system's resource calls.
#pragma once

#include "platform/win_base.h"

class STRINGorID {
  public:
    STRINGorID(LPCWSTR lpString) : m_lpstr(lpString) {}
    // Only the low 16 bits of a number are kept.
    STRINGorID(UINT nID) : m_lpstr(FromId(nID)) {}
    STRINGorID(int nID) : m_lpstr(FromId(static_cast<UINT>(nID))) {}

    bool IsId() const { return reinterpret_cast<ULONG_PTR>(m_lpstr) < 0x10000; }
    WORD GetId() const { return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(m_lpstr)); }

    LPCWSTR m_lpstr;

  private:
    static LPCWSTR FromId(UINT nID) {
        return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(nID)));
    }
};
