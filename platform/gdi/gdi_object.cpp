#include "platform/gdi/gdi_object.h"

#include <mutex>
#include <unordered_map>

#include "platform/win_kernel.h"

namespace gdi {
namespace {

// Handle values carry a tag in the high bits so that a window handle or a small integer passed
// by mistake is never taken for a GDI object; the counter never repeats a value.
constexpr uintptr_t kHandleTag = uintptr_t{0x6764} << 48;

struct Table {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<Object>> objects;
    uintptr_t next = 1;
};

Table& TheTable() {
    static Table* table = new Table;  // outlives every static object that might still hold handles
    return *table;
}

}  // namespace

HGDIOBJ Register(std::shared_ptr<Object> object, bool stock) {
    if (!object) return nullptr;
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    uintptr_t value = kHandleTag | (table.next++ << 2);
    object->handle_ = reinterpret_cast<HGDIOBJ>(value);
    object->stock_ = stock;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HGDIOBJ>(value);
}

std::shared_ptr<Object> Lookup(HGDIOBJ handle) {
    if (!handle) return nullptr;
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

Removal Unregister(HGDIOBJ handle) {
    std::shared_ptr<Object> doomed;  // released after the lock: destructors may take it again
    Table& table = TheTable();
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
        if (found == table.objects.end()) return Removal::NotFound;
        if (found->second->stock()) return Removal::Stock;
        if (found->second->uses() > 0) return Removal::InUse;
        doomed = std::move(found->second);
        table.objects.erase(found);
    }
    return Removal::Removed;
}

void SetLastErrorInvalidHandle() {
    SetLastError(ERROR_INVALID_HANDLE);
}

void SetLastErrorInvalidParameter() {
    SetLastError(ERROR_INVALID_PARAMETER);
}

}  // namespace gdi
