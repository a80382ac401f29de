// Small owners for the system's handles, so that no handle is paired with its release by hand.
// Each owner releases what it holds when it goes out of scope and can be moved, never copied.
// Only files in this folder include it.
#pragma once

#include <windows.h>

#include <utility>

namespace corvane::win32 {

// A handle released by `Close` when the owner ends; a null handle marks an empty owner.
template <typename H, auto Close>
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(H handle) : handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, H{});
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != H{}; }
  // Gives the handle up without releasing it.
  H Release() { return std::exchange(handle_, H{}); }
  void Reset(H handle = H{}) {
    if (handle_ != H{}) Close(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = H{};
};

inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void DeleteMemoryDC(HDC dc) { ::DeleteDC(dc); }
inline void DeleteGdiObject(HGDIOBJ object) { ::DeleteObject(object); }
inline void FreeLocalMemory(void* memory) { ::LocalFree(memory); }
inline void FreeLibraryModule(HMODULE module) { ::FreeLibrary(module); }
inline void FreeGlobalMemory(HGLOBAL memory) { ::GlobalFree(memory); }
inline void CloseSearch(HANDLE search) { ::FindClose(search); }

// A kernel object (file, mutex, event) from a call that fails with NULL.
using ScopedKernelHandle = ScopedHandle<HANDLE, CloseKernelHandle>;
// CreateFile fails with INVALID_HANDLE_VALUE rather than NULL: pass its result through this.
inline HANDLE FileOrNull(HANDLE file) { return file == INVALID_HANDLE_VALUE ? nullptr : file; }
// A directory search from FindFirstFile (pass its result through FileOrNull too).
using ScopedSearch = ScopedHandle<HANDLE, CloseSearch>;
// A memory device context from CreateCompatibleDC.
using ScopedMemoryDC = ScopedHandle<HDC, DeleteMemoryDC>;

// A GDI object (bitmap, pen, brush, font, region) of one type.
template <typename T>
using ScopedGdi = ScopedHandle<T, DeleteGdiObject>;
using ScopedBitmap = ScopedGdi<HBITMAP>;
using ScopedFont = ScopedGdi<HFONT>;
using ScopedPen = ScopedGdi<HPEN>;

// Memory the system allocated for the caller with LocalAlloc (FormatMessage's buffer, say).
using ScopedLocalMemory = ScopedHandle<void*, FreeLocalMemory>;
// A library the program loaded itself (LoadLibrary).
using ScopedLibrary = ScopedHandle<HMODULE, FreeLibraryModule>;
// Memory from GlobalAlloc, until it is given up to an owner of its own (a stream, say).
using ScopedGlobalMemory = ScopedHandle<HGLOBAL, FreeGlobalMemory>;

// The colour and mask bitmaps GetIconInfo makes for its caller, deleted at the end.
class ScopedIconInfo {
 public:
  explicit ScopedIconInfo(HICON icon) : valid_(::GetIconInfo(icon, &info_) != FALSE) {
    if (!valid_) info_ = {};
    color_.Reset(info_.hbmColor);
    mask_.Reset(info_.hbmMask);
  }
  ScopedIconInfo(const ScopedIconInfo&) = delete;
  ScopedIconInfo& operator=(const ScopedIconInfo&) = delete;
  explicit operator bool() const { return valid_; }
  HBITMAP Color() const { return color_.Get(); }
  HBITMAP Mask() const { return mask_.Get(); }

 private:
  ICONINFO info_{};
  bool valid_;
  ScopedBitmap color_;
  ScopedBitmap mask_;
};

// The clipboard, opened for this thread (OpenClipboard) and closed at the end.
class ScopedClipboard {
 public:
  explicit ScopedClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
  ~ScopedClipboard() {
    if (open_) ::CloseClipboard();
  }
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

// Global memory locked (GlobalLock) and unlocked at the end.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL memory) : memory_(memory), bytes_(memory ? ::GlobalLock(memory) : nullptr) {}
  ~ScopedGlobalLock() {
    if (bytes_) ::GlobalUnlock(memory_);
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  const BYTE* Bytes() const { return static_cast<const BYTE*>(bytes_); }
  // For memory the caller owns and fills.
  BYTE* WritableBytes() const { return static_cast<BYTE*>(bytes_); }
  SIZE_T Size() const { return bytes_ ? ::GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* bytes_;
};

// A device context from GetDC, given back to its window with ReleaseDC.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// A paint pass: BeginPaint when made, EndPaint at the end whatever happens in between.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~ScopedPaint() {
    if (dc_) ::EndPaint(window_, &paint_);
  }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC Get() const { return dc_; }
  const RECT& Dirty() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a device context; the one it replaced goes back at the end.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  // False when the selection failed (a bad object, or one of a kind the context cannot take).
  explicit operator bool() const { return old_ && old_ != HGDI_ERROR; }
  ~ScopedSelect() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The device context's whole state (clip region, selections, modes), restored at the end.
class ScopedSaveDC {
 public:
  explicit ScopedSaveDC(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  ~ScopedSaveDC() {
    if (saved_) ::RestoreDC(dc_, saved_);
  }
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;
  // False when SaveDC failed, and nothing will be restored.
  explicit operator bool() const { return saved_ != 0; }

 private:
  HDC dc_;
  int saved_;
};

// The device context's drawing held inside `part` for a while: its state is saved first and
// restored at the end, the clip region with it.
class ScopedClip {
 public:
  ScopedClip(HDC dc, const RECT& part)
      : saved_(dc),
        clipped_(saved_ && ::IntersectClipRect(dc, part.left, part.top, part.right, part.bottom) != ERROR) {}
  ScopedClip(const ScopedClip&) = delete;
  ScopedClip& operator=(const ScopedClip&) = delete;
  // False when the state could not be saved or the clip not set.
  explicit operator bool() const { return clipped_; }

 private:
  ScopedSaveDC saved_;
  bool clipped_;
};

// A COM interface pointer that holds one reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  explicit ComPtr(T* pointer) : pointer_(pointer) {}
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) {
    if (this != &other) {
      if (other.pointer_) other.pointer_->AddRef();
      Reset();
      pointer_ = other.pointer_;
    }
    return *this;
  }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For a call that hands out a new reference: the old one is released first.
  T** Put() {
    Reset();
    return &pointer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }
  // Asks the object for another of its interfaces; empty when it has none.
  template <typename U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> other;
    if (pointer_) pointer_->QueryInterface(iid, other.PutVoid());
    return other;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace corvane::win32
