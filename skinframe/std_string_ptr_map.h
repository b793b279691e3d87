// Hash map from a wide-text key to an untyped pointer: a bucket count fixed at construction,
// chained buckets, case-sensitive keys. The map owns copies of its keys, not the pointers.
#pragma once

#include "platform/win_base.h"
#include "skinframe/skin_string.h"

class CStdStringPtrMap {
  public:
    explicit CStdStringPtrMap(int nSize = 83);
    ~CStdStringPtrMap();
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;

    // h = 0, then h = h * 33 + character for each character from the last to the first.
    static DWORD HashKey(LPCWSTR key);

    // The value for key, or null. With bOptimize a found entry moves to the front of its bucket.
    LPVOID Find(LPCWSTR key, bool bOptimize = true) const;
    // Adds key; false (and nothing changes) when the key is null or already present.
    bool Insert(LPCWSTR key, LPVOID pData);
    // Replaces the value of key, or adds it; returns the previous value (null when it was new).
    LPVOID Set(LPCWSTR key, LPVOID pData);
    bool Remove(LPCWSTR key);
    void RemoveAll();

    int GetSize() const;
    // The key at iIndex in bucket order, then chain order; null outside 0 .. GetSize() - 1.
    // Find with bOptimize reorders a chain and so changes these positions.
    LPCWSTR GetAt(int iIndex) const;
    LPCWSTR operator[](int nIndex) const { return GetAt(nIndex); }

  private:
    struct TITEM {
        CSkinString Key;
        LPVOID Data;
        TITEM* pNext;
    };

    int BucketOf(LPCWSTR key) const;

    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount = 0;
};
