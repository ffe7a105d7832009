// The intrusive reference count every component and renderer handle derives from, and the
// counted pointer that holds one.
#pragma once

#include <cstdint>
#include <utility>

namespace qelt
{

// Starts at 0; the creator's first counted pointer raises it to 1. Not atomic: counts are only
// touched under the locks of the code that shares the object between threads.
class cRefCount
{
  public:
    cRefCount() = default;
    // A copy is a new object: it starts uncounted.
    cRefCount(const cRefCount&) {}
    cRefCount& operator=(const cRefCount&) { return *this; }

    void addRef() { ++count_; }
    // Destroys the object when the count was 1 before the call.
    void release()
    {
        if (count_-- == 1)
            destroy();
    }
    int32_t refCount() const { return count_; }

  protected:
    // Called when the last counted pointer lets go; deletes the object.
    virtual void destroy() { delete this; }
    virtual ~cRefCount() = default;

  private:
    int32_t count_ = 0;
};

// A counted pointer: addRef on copy, release on drop. T derives from cRefCount.
template <typename T> class cRef
{
  public:
    cRef() = default;
    cRef(T* object) : object_(object) { hold(); }
    cRef(const cRef& other) : object_(other.object_) { hold(); }
    cRef(cRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <typename U> cRef(const cRef<U>& other) : object_(other.get()) { hold(); }
    ~cRef() { drop(); }

    cRef& operator=(cRef other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }

    void reset(T* object = nullptr) { *this = cRef(object); }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }
    friend bool operator==(const cRef& a, const cRef& b) { return a.object_ == b.object_; }
    friend bool operator==(const cRef& a, const T* b) { return a.object_ == b; }

  private:
    void hold()
    {
        if (object_)
            object_->addRef();
    }
    void drop()
    {
        if (object_)
            object_->release();
    }

    T* object_ = nullptr; // counted
};

} // namespace qelt
