#include "platform/win32/win32_late_bound.h"

#include <shellapi.h>

#include <string>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

// One system library, loaded on the first request for one of its functions.
class LateLibrary {
 public:
  explicit LateLibrary(const wchar_t* name) : name_(name) {}

  // The function `name`; throws Error naming LoadLibrary or GetProcAddress.
  FARPROC Function(const char* name) {
    if (!module_) Load();
    FARPROC function = ::GetProcAddress(module_.Get(), name);
    if (!function) throw CallFailed(("GetProcAddress(" + Narrow(name_) + ", " + name + ")").c_str());
    return function;
  }

 private:
  void Load() {
    // From the system's folder only, never from the program's or the current one (where a
    // planted copy could wait). Systems without that search (Vista and 7 before their 2011
    // loader update) refuse the flag; they take the name as the program's imports were taken.
    // The activation context still sends comctl32.dll to version 6 either way.
    HMODULE module = ::LoadLibraryExW(name_, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) module = ::LoadLibraryW(name_);
    if (!module) throw CallFailed(("LoadLibrary(" + Narrow(name_) + ")").c_str());
    module_.Reset(module);
  }

  const wchar_t* name_;
  ScopedLibrary module_;
};

LateLibrary& Ole32() {
  static LateLibrary library(L"ole32.dll");
  return library;
}
LateLibrary& OleAut32() {
  static LateLibrary library(L"oleaut32.dll");
  return library;
}
LateLibrary& ComCtl32() {
  static LateLibrary library(L"comctl32.dll");
  return library;
}
LateLibrary& ComDlg32() {
  static LateLibrary library(L"comdlg32.dll");
  return library;
}
LateLibrary& Shell32() {
  static LateLibrary library(L"shell32.dll");
  return library;
}
LateLibrary& MsImg32() {
  static LateLibrary library(L"msimg32.dll");
  return library;
}

// The function `name` of `library`, with the type of the system call `F` it stands for;
// looked up once.
template <typename F>
F* Bound(LateLibrary& library, const char* name) {
  return reinterpret_cast<F*>(reinterpret_cast<void*>(library.Function(name)));
}

}  // namespace

void RequireOle() {
  static const ScopedOleInitialize ole;
  if (FAILED(ole.Result())) throw CallFailed("OleInitialize", static_cast<DWORD>(ole.Result()));
}

void FinishDrop(HDROP drop) {
  // The shell is loaded by now: the drop's files were asked for first. Should it not be, the
  // drop's memory is left to the system rather than thrown out of a destructor.
  try {
    late::DragFinish(drop);
  } catch (const Error&) {
  }
}

void RequireCommonControls() {
  static const DWORD failure = [] {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    if (late::InitCommonControlsEx(&controls)) return DWORD{0};
    const DWORD error = ::GetLastError();
    return error ? error : DWORD{ERROR_GEN_FAILURE};
  }();
  if (failure) throw CallFailed("InitCommonControlsEx", failure);
}

namespace late {

HRESULT OleInitialize(LPVOID reserved) {
  static auto* const f = Bound<decltype(::OleInitialize)>(Ole32(), "OleInitialize");
  return f(reserved);
}

void OleUninitialize() {
  static auto* const f = Bound<decltype(::OleUninitialize)>(Ole32(), "OleUninitialize");
  f();
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
  static auto* const f = Bound<decltype(::CoCreateInstance)>(Ole32(), "CoCreateInstance");
  return f(clsid, outer, context, iid, object);
}

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream) {
  static auto* const f = Bound<decltype(::CreateStreamOnHGlobal)>(Ole32(), "CreateStreamOnHGlobal");
  return f(memory, deleteOnRelease, stream);
}

HRESULT GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* memory) {
  static auto* const f = Bound<decltype(::GetHGlobalFromStream)>(Ole32(), "GetHGlobalFromStream");
  return f(stream, memory);
}

HRESULT PropVariantClear(PROPVARIANT* value) {
  static auto* const f = Bound<decltype(::PropVariantClear)>(Ole32(), "PropVariantClear");
  return f(value);
}

HRESULT OleLoadPicture(LPSTREAM stream, LONG size, BOOL runmode, REFIID iid, LPVOID* object) {
  static auto* const f = Bound<decltype(::OleLoadPicture)>(OleAut32(), "OleLoadPicture");
  return f(stream, size, runmode, iid, object);
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  static auto* const f = Bound<decltype(::InitCommonControlsEx)>(ComCtl32(), "InitCommonControlsEx");
  return f(controls);
}

BOOL GetOpenFileNameW(LPOPENFILENAMEW record) {
  static auto* const f = Bound<decltype(::GetOpenFileNameW)>(ComDlg32(), "GetOpenFileNameW");
  return f(record);
}

DWORD CommDlgExtendedError() {
  static auto* const f = Bound<decltype(::CommDlgExtendedError)>(ComDlg32(), "CommDlgExtendedError");
  return f();
}

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) {
  static auto* const f = Bound<decltype(::ShellExecuteA)>(Shell32(), "ShellExecuteA");
  return f(owner, operation, file, parameters, directory, show);
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT length) {
  static auto* const f = Bound<decltype(::DragQueryFileW)>(Shell32(), "DragQueryFileW");
  return f(drop, index, file, length);
}

void DragFinish(HDROP drop) {
  static auto* const f = Bound<decltype(::DragFinish)>(Shell32(), "DragFinish");
  f(drop);
}

BOOL AlphaBlend(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, BLENDFUNCTION blend) {
  static auto* const f = Bound<decltype(::AlphaBlend)>(MsImg32(), "AlphaBlend");
  return f(target, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, blend);
}

}  // namespace late

}  // namespace corvane::win32
