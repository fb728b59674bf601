// Reference-counted objects. Every object starts with one reference, owned by
// whoever created it; add_ref/release move the count and the last release deletes.
#pragma once

#include <cassert>
#include <cstdint>
#include <utility>

namespace morvane::runtime {

class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  std::uint32_t add_ref() { return ++refs_; }
  std::uint32_t release() {
    assert(refs_ > 0 && "release of an object with no references");
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  std::uint32_t ref_count() const { return refs_; }

 private:
  std::uint32_t refs_ = 1;
};

// Owning handle: adds a reference when it takes an object, releases it when done.
template <class T>
class Ref {
 public:
  Ref() = default;
  // Takes over a reference that the caller already holds (no add).
  static Ref adopt(T* p) {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Takes a new reference to an object someone else owns.
  static Ref share(T* p) {
    if (p) p->add_ref();
    return adopt(p);
  }
  Ref(const Ref& o) : p_(o.p_) {
    if (p_) p_->add_ref();
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
  Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() { reset(); }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->release();
  }
  T* detach() { return std::exchange(p_, nullptr); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace morvane::runtime
