// The system libraries the help panel does not need (COM and OLE, the OLE picture loader, the
// common controls, the common dialogs, the shell, AlphaBlend), loaded when a call first needs
// them instead of with the program: the window shows sooner, and a start that never opens a
// picture or a dialog never loads them. Each function here has the signature of the system
// call it stands for. A library that cannot be loaded, or lacks the function, raises Error
// naming LoadLibrary or GetProcAddress with the library and the function. A library once
// loaded stays for the life of the process; its owner frees it at exit.
//
// OLE is started the same way: RequireOle before the first call that needs COM or OLE.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

namespace corvane::win32 {

// OLE for the calling thread (the program's one thread) from the first call to the end of the
// process. Throws Error naming OleInitialize when it cannot start.
void RequireOle();
// The common controls' window classes (the tooltip's), registered on the first call. Throws
// Error naming InitCommonControlsEx when they cannot be.
void RequireCommonControls();

namespace late {

// ole32.dll
HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);
HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream);
HRESULT GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* memory);
HRESULT PropVariantClear(PROPVARIANT* value);
// oleaut32.dll
HRESULT OleLoadPicture(LPSTREAM stream, LONG size, BOOL runmode, REFIID iid, LPVOID* object);
// comctl32.dll (version 6, as the manifest asks)
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
// comdlg32.dll
BOOL GetOpenFileNameW(LPOPENFILENAMEW record);
DWORD CommDlgExtendedError();
// shell32.dll
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show);
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT length);
void DragFinish(HDROP drop);
// msimg32.dll
BOOL AlphaBlend(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, BLENDFUNCTION blend);

}  // namespace late

}  // namespace corvane::win32
