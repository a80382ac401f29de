#include "platform/win32/win32_late_bound.h"

#include <string>

#include "platform/win32/win32_internal.h"

namespace corvane::win32 {

FARPROC LateLibrary::Function(const char* name) {
  if (!module_) {
    // From the system's folder only, never from the program's or the current one (where a
    // planted copy could wait). Systems without that search (Vista and 7 before their 2011
    // loader update) refuse the flag; they take the name as the program's imports were taken.
    // The activation context still sends comctl32.dll to version 6 either way.
    HMODULE module = ::LoadLibraryExW(name_, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) module = ::LoadLibraryW(name_);
    if (!module) throw CallFailedOn("LoadLibrary", Narrow(name_));
    module_.Reset(module);
  }
  FARPROC function = ::GetProcAddress(module_.Get(), name);
  if (!function) throw CallFailedOn("GetProcAddress", Narrow(name_) + ", " + name);
  return function;
}

LateBound::~LateBound() {
  // OleUninitialize was looked up before OLE started, so this cannot fail.
  if (ole_ && SUCCEEDED(*ole_)) oleUninitialize_.Get()();
}

void LateBound::RequireOle() {
  if (!ole_) {
    oleUninitialize_.Get();  // looked up now: the end must not be the first to need it
    ole_ = oleInitialize_(nullptr);
  }
  if (FAILED(*ole_)) throw CallFailed("OleInitialize", static_cast<DWORD>(*ole_));
}

void LateBound::RequireCommonControls() {
  if (!commonControlsError_) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    const bool started = initCommonControlsEx_(&controls) != FALSE;
    const DWORD error = started ? 0 : ::GetLastError();
    commonControlsError_ = started ? DWORD{0} : error ? error : DWORD{ERROR_GEN_FAILURE};
  }
  if (*commonControlsError_) throw CallFailed("InitCommonControlsEx", *commonControlsError_);
}

ScopedDrop::~ScopedDrop() {
  // The shell is loaded by now: the drop's files were asked for first. Should it not be, the
  // drop's memory is left to the system rather than thrown out of a destructor.
  try {
    late_.DragFinish(drop_);
  } catch (const Error&) {
  }
}

}  // namespace corvane::win32
