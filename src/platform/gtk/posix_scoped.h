// The one owner template of the Linux program's handles, and the owners of plain POSIX ones
// (file descriptors, C streams). GTK-free: the backend's GTK-free files use it; gtk_scoped.h
// builds the GTK, cairo and fontconfig owners on the same template.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <utility>

namespace corvane::gtk {

// A handle released by `Release` when the owner ends; `Empty` marks an owner holding nothing.
// Moved, never copied, so no handle is ever released twice or paired with its release by hand.
template <typename H, auto Release, H Empty = H{}>
class Scoped {
 public:
  Scoped() = default;
  explicit Scoped(H handle) : handle_(handle) {}
  ~Scoped() { Reset(); }
  Scoped(Scoped&& other) noexcept : handle_(std::exchange(other.handle_, Empty)) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, Empty));
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Empty; }
  // Gives the handle up without releasing it (to a call that takes it over).
  [[nodiscard]] H Take() { return std::exchange(handle_, Empty); }
  // The owner holds `handle` before the old one is released, so a release that calls back
  // into the owner's object never finds the old one there.
  void Reset(H handle = Empty) {
    const H old = std::exchange(handle_, handle);
    if (old != Empty) Release(old);
  }
  // For a call that hands a new handle out through a pointer: what was held goes first.
  H* Put() {
    Reset();
    return &handle_;
  }

 private:
  H handle_ = Empty;
};

// A file descriptor from open(); -1 is none. A close that must be checked (after writing)
// takes the descriptor over with Take().
inline void CloseDescriptor(int fd) { ::close(fd); }
using ScopedFd = Scoped<int, CloseDescriptor, -1>;
// A C stream from fopen().
inline void CloseStream(std::FILE* file) { std::fclose(file); }
using ScopedFile = Scoped<std::FILE*, CloseStream>;

}  // namespace corvane::gtk
