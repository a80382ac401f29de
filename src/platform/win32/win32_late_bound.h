// The system libraries the help panel does not need (COM and OLE, the OLE picture loader, the
// common controls, the common dialogs, the shell, AlphaBlend, the security calls), loaded when a call first needs
// them instead of with the program: the window shows sooner, and a start that never opens a
// picture or a dialog never loads them.
//
// One `LateBound` holds them all: each library, each function looked up in it, and whether OLE
// and the common controls have been started. The platform owns it; the pictures, windows and
// dialogs that call into these libraries are handed it. A library that cannot be loaded, or
// lacks the function, raises Error naming LoadLibrary or GetProcAddress with the library and
// the function. A library once loaded stays until its owner ends, which first stops OLE.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

#include <optional>
#include <utility>

#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

// One system library, loaded from the system folder on the first request for a function.
class LateLibrary {
 public:
  explicit LateLibrary(const wchar_t* name) : name_(name) {}
  LateLibrary(const LateLibrary&) = delete;
  LateLibrary& operator=(const LateLibrary&) = delete;

  // The function `name`; throws Error naming LoadLibrary or GetProcAddress.
  FARPROC Function(const char* name);

 private:
  const wchar_t* name_;
  ScopedLibrary module_;
};

// One function of a late library with the signature `F` of the system call it stands for,
// looked up on its first call.
template <typename F>
class LateFunction {
 public:
  LateFunction(LateLibrary& library, const char* name) : library_(library), name_(name) {}
  LateFunction(const LateFunction&) = delete;
  LateFunction& operator=(const LateFunction&) = delete;

  // The function's address, looked up now if it was not yet.
  F* Get() {
    if (!function_) function_ = reinterpret_cast<F*>(reinterpret_cast<void*>(library_.Function(name_)));
    return function_;
  }
  template <typename... Args>
  decltype(auto) operator()(Args&&... args) {
    return Get()(std::forward<Args>(args)...);
  }

 private:
  LateLibrary& library_;
  const char* name_;
  F* function_ = nullptr;
};

// Every library loaded on first use, each function looked up in them and what starting OLE
// and the common controls answered. The platform owns one; nothing else keeps such state.
class LateBound {
 public:
  LateBound() = default;
  // Stops OLE if it was started; the libraries are freed after it.
  ~LateBound();
  LateBound(const LateBound&) = delete;
  LateBound& operator=(const LateBound&) = delete;

  // OLE for the calling thread (the program's one thread) from the first call until this
  // object ends. Throws Error naming OleInitialize when it cannot start.
  void RequireOle();
  // The common controls' window classes (the tooltip's), registered on the first call. Throws
  // Error naming InitCommonControlsEx when they cannot be.
  void RequireCommonControls();

 private:
  // Declared before the functions that are looked up in them.
  LateLibrary ole32_{L"ole32.dll"};
  LateLibrary oleAut32_{L"oleaut32.dll"};
  LateLibrary comCtl32_{L"comctl32.dll"};
  LateLibrary comDlg32_{L"comdlg32.dll"};
  LateLibrary shell32_{L"shell32.dll"};
  LateLibrary msImg32_{L"msimg32.dll"};
  LateLibrary advApi32_{L"advapi32.dll"};

  LateFunction<decltype(::OleInitialize)> oleInitialize_{ole32_, "OleInitialize"};
  LateFunction<decltype(::OleUninitialize)> oleUninitialize_{ole32_, "OleUninitialize"};
  LateFunction<decltype(::InitCommonControlsEx)> initCommonControlsEx_{comCtl32_, "InitCommonControlsEx"};
  std::optional<HRESULT> ole_;                // what OleInitialize answered, once asked
  std::optional<DWORD> commonControlsError_;  // 0 once they are registered

 public:
  // The system calls, each with its own signature, called as `late.Name(arguments)`.
  // ole32.dll (after RequireOle)
  LateFunction<decltype(::CoCreateInstance)> CoCreateInstance{ole32_, "CoCreateInstance"};
  LateFunction<decltype(::CreateStreamOnHGlobal)> CreateStreamOnHGlobal{ole32_, "CreateStreamOnHGlobal"};
  LateFunction<decltype(::GetHGlobalFromStream)> GetHGlobalFromStream{ole32_, "GetHGlobalFromStream"};
  LateFunction<decltype(::PropVariantClear)> PropVariantClear{ole32_, "PropVariantClear"};
  // oleaut32.dll
  LateFunction<decltype(::OleLoadPicture)> OleLoadPicture{oleAut32_, "OleLoadPicture"};
  // comdlg32.dll
  LateFunction<decltype(::GetOpenFileNameW)> GetOpenFileNameW{comDlg32_, "GetOpenFileNameW"};
  LateFunction<decltype(::CommDlgExtendedError)> CommDlgExtendedError{comDlg32_, "CommDlgExtendedError"};
  // shell32.dll
  LateFunction<decltype(::ShellExecuteA)> ShellExecuteA{shell32_, "ShellExecuteA"};
  LateFunction<decltype(::DragQueryFileW)> DragQueryFileW{shell32_, "DragQueryFileW"};
  LateFunction<decltype(::DragFinish)> DragFinish{shell32_, "DragFinish"};
  LateFunction<decltype(::DragQueryPoint)> DragQueryPoint{shell32_, "DragQueryPoint"};
  LateFunction<decltype(::CommandLineToArgvW)> CommandLineToArgvW{shell32_, "CommandLineToArgvW"};
  // advapi32.dll
  LateFunction<decltype(::OpenProcessToken)> OpenProcessToken{advApi32_, "OpenProcessToken"};
  LateFunction<decltype(::GetTokenInformation)> GetTokenInformation{advApi32_, "GetTokenInformation"};
  LateFunction<decltype(::EqualSid)> EqualSid{advApi32_, "EqualSid"};
  // msimg32.dll
  LateFunction<decltype(::AlphaBlend)> AlphaBlend{msImg32_, "AlphaBlend"};
};

// The files of a drop (WM_DROPFILES), given back with DragFinish at the end.
class ScopedDrop {
 public:
  ScopedDrop(LateBound& late, HDROP drop) : late_(late), drop_(drop) {}
  ~ScopedDrop();
  ScopedDrop(const ScopedDrop&) = delete;
  ScopedDrop& operator=(const ScopedDrop&) = delete;
  HDROP Get() const { return drop_; }

 private:
  LateBound& late_;
  HDROP drop_;
};

// A PROPVARIANT cleared at the end. PropVariantClear (ole32.dll) is looked up when the
// variant is made, so that the end cannot fail.
class ScopedPropVariant {
 public:
  explicit ScopedPropVariant(LateBound& late) : clear_(late.PropVariantClear.Get()) { PropVariantInit(&value_); }
  ~ScopedPropVariant() { clear_(&value_); }
  ScopedPropVariant(const ScopedPropVariant&) = delete;
  ScopedPropVariant& operator=(const ScopedPropVariant&) = delete;
  PROPVARIANT* Put() { return &value_; }
  const PROPVARIANT& Get() const { return value_; }

 private:
  decltype(::PropVariantClear)* clear_;
  PROPVARIANT value_;
};

}  // namespace corvane::win32
