// GDI objects behind opaque handles: a table from handle value to a shared object, so a stale or
// foreign handle is simply not found, and an object stays alive while anyone still draws with it.
#pragma once

#include <atomic>
#include <memory>

#include "platform/win_gdi.h"

namespace gdi {

enum class Kind { Dc, Bitmap, Brush, Pen, Font, Region };

class Object {
  public:
    explicit Object(Kind kind) : kind_(kind) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Kind kind() const { return kind_; }
    HGDIOBJ handle() const { return handle_; }
    bool stock() const { return stock_; }
    // How many DC states (current or saved) hold the object; it cannot be deleted meanwhile.
    int uses() const { return uses_.load(); }
    void AddUse() { ++uses_; }
    void DropUse() { --uses_; }

  private:
    friend HGDIOBJ Register(std::shared_ptr<Object> object, bool stock);
    const Kind kind_;
    HGDIOBJ handle_ = nullptr;
    bool stock_ = false;
    std::atomic<int> uses_{0};
};

// Gives the object a new handle, never one used before. Stock objects can never be removed.
HGDIOBJ Register(std::shared_ptr<Object> object, bool stock = false);
std::shared_ptr<Object> Lookup(HGDIOBJ handle);
// Removes the handle unless the object is stock or in use; true when it was removed or is stock.
enum class Removal { Removed, Stock, InUse, NotFound };
Removal Unregister(HGDIOBJ handle);

void SetLastErrorInvalidHandle();
void SetLastErrorInvalidParameter();

// The object behind a handle if it is of kind T; otherwise null with ERROR_INVALID_HANDLE set.
template <class T>
std::shared_ptr<T> Get(const void* handle) {
    std::shared_ptr<Object> object = Lookup(const_cast<void*>(handle));
    if (!object || object->kind() != T::kKind) {
        SetLastErrorInvalidHandle();
        return nullptr;
    }
    return std::static_pointer_cast<T>(object);
}

// A counted hold on an object selected into a DC state.
template <class T>
class Held {
  public:
    Held() = default;
    explicit Held(std::shared_ptr<T> object) : object_(std::move(object)) {
        if (object_) object_->AddUse();
    }
    Held(const Held& other) : Held(other.object_) {}
    Held& operator=(Held other) {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Held() {
        if (object_) object_->DropUse();
    }
    T* get() const { return object_.get(); }
    T* operator->() const { return object_.get(); }
    T& operator*() const { return *object_; }
    const std::shared_ptr<T>& shared() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    std::shared_ptr<T> object_;
};

}  // namespace gdi
