// Small owners for the system's handles, so that no handle is paired with its release by hand.
// Each owner releases what it holds when it goes out of scope and can be moved, never copied.
// Only files in this folder include it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <utility>

#include "platform/win32/win32_late_bound.h"

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

// A kernel object (file, mutex, event) from a call that fails with NULL.
using ScopedKernelHandle = ScopedHandle<HANDLE, CloseKernelHandle>;
// CreateFile fails with INVALID_HANDLE_VALUE rather than NULL: pass its result through this.
inline HANDLE FileOrNull(HANDLE file) { return file == INVALID_HANDLE_VALUE ? nullptr : file; }
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

// The files of a drop (WM_DROPFILES), given back with DragFinish.
void FinishDrop(HDROP drop);
using ScopedDrop = ScopedHandle<HDROP, FinishDrop>;

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

// Global memory locked for reading (GlobalLock) and unlocked at the end.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL memory) : memory_(memory), bytes_(memory ? ::GlobalLock(memory) : nullptr) {}
  ~ScopedGlobalLock() {
    if (bytes_) ::GlobalUnlock(memory_);
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  const BYTE* Bytes() const { return static_cast<const BYTE*>(bytes_); }
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

 private:
  HDC dc_;
  int saved_;
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

// OLE for the calling thread, from OleInitialize to OleUninitialize (ole32.dll is loaded on
// first use: win32_late_bound.h).
class ScopedOleInitialize {
 public:
  ScopedOleInitialize() : result_(late::OleInitialize(nullptr)) {}
  ~ScopedOleInitialize() {
    if (SUCCEEDED(result_)) late::OleUninitialize();
  }
  ScopedOleInitialize(const ScopedOleInitialize&) = delete;
  ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace corvane::win32
