#include "skinframe/std_string_ptr_map.h"

CStdStringPtrMap::CStdStringPtrMap(int nSize) : m_nBuckets(nSize > 0 ? nSize : 83) {
    m_aT = new TITEM*[static_cast<size_t>(m_nBuckets)]();
}

CStdStringPtrMap::~CStdStringPtrMap() {
    RemoveAll();
    delete[] m_aT;
}

DWORD CStdStringPtrMap::HashKey(LPCWSTR key) {
    const WCHAR* end = key;
    while (*end != 0) ++end;
    DWORD h = 0;
    while (end != key) h = h * 33 + static_cast<DWORD>(*--end);
    return h;
}

int CStdStringPtrMap::BucketOf(LPCWSTR key) const {
    return static_cast<int>(HashKey(key) % static_cast<DWORD>(m_nBuckets));
}

LPVOID CStdStringPtrMap::Find(LPCWSTR key, bool bOptimize) const {
    if (key == nullptr) return nullptr;
    const int slot = BucketOf(key);
    TITEM* prev = nullptr;
    for (TITEM* item = m_aT[slot]; item != nullptr; prev = item, item = item->pNext) {
        if (item->Key != key) continue;
        if (bOptimize && prev != nullptr) {
            // Names looked up often stay cheap to find.
            prev->pNext = item->pNext;
            item->pNext = m_aT[slot];
            m_aT[slot] = item;
        }
        return item->Data;
    }
    return nullptr;
}

bool CStdStringPtrMap::Insert(LPCWSTR key, LPVOID pData) {
    if (key == nullptr) return false;
    const int slot = BucketOf(key);
    for (TITEM* item = m_aT[slot]; item != nullptr; item = item->pNext) {
        if (item->Key == key) return false;
    }
    m_aT[slot] = new TITEM{CSkinString(key), pData, m_aT[slot]};
    ++m_nCount;
    return true;
}

LPVOID CStdStringPtrMap::Set(LPCWSTR key, LPVOID pData) {
    if (key == nullptr) return nullptr;
    const int slot = BucketOf(key);
    for (TITEM* item = m_aT[slot]; item != nullptr; item = item->pNext) {
        if (item->Key == key) {
            LPVOID old = item->Data;
            item->Data = pData;
            return old;
        }
    }
    m_aT[slot] = new TITEM{CSkinString(key), pData, m_aT[slot]};
    ++m_nCount;
    return nullptr;
}

bool CStdStringPtrMap::Remove(LPCWSTR key) {
    if (key == nullptr) return false;
    const int slot = BucketOf(key);
    TITEM** link = &m_aT[slot];
    for (TITEM* item = *link; item != nullptr; link = &item->pNext, item = *link) {
        if (item->Key != key) continue;
        *link = item->pNext;
        delete item;
        --m_nCount;
        return true;
    }
    return false;
}

void CStdStringPtrMap::RemoveAll() {
    for (int i = 0; i < m_nBuckets; ++i) {
        TITEM* item = m_aT[i];
        while (item != nullptr) {
            TITEM* next = item->pNext;
            delete item;
            item = next;
        }
        m_aT[i] = nullptr;
    }
    m_nCount = 0;
}

int CStdStringPtrMap::GetSize() const {
    return m_nCount;
}

LPCWSTR CStdStringPtrMap::GetAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= m_nCount) return nullptr;
    int pos = 0;
    for (int i = 0; i < m_nBuckets; ++i) {
        for (TITEM* item = m_aT[i]; item != nullptr; item = item->pNext) {
            if (pos++ == iIndex) return item->Key;
        }
    }
    return nullptr;
}
