// What a second start hands to the Corvane already running (app/hand_over.h), carried by
// WM_COPYDATA: the sender finds a Corvane window of another process and sends it the message as
// UTF-16; each Corvane window takes it, if it comes from a program of the same user, and passes
// it on as UTF-8. Only files in this folder include it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/win32_late_bound.h"

namespace corvane::win32 {

// COPYDATASTRUCT::dwData of a hand-over: any other WM_COPYDATA is not ours.
inline constexpr ULONG_PTR kHandOverData = 0x43764E31;
// How long a second start waits for the running Corvane to take one message.
inline constexpr UINT kHandOverTimeoutMs = 5000;
// How long it goes on looking for a running Corvane that takes the message (one that is still
// starting), and how often.
inline constexpr ULONGLONG kHandOverWaitMs = 3000;
inline constexpr DWORD kHandOverRetryMs = 50;

// The message as UTF-16: each NUL-ended part widened, the NULs kept.
std::wstring HandOverToWide(std::string_view message);
// The UTF-8 message back from `size` bytes of UTF-16; nullopt when they are not whole UTF-16
// (an odd count, an unpaired surrogate) or more than the longest message a reader takes.
std::optional<std::string> HandOverFromWide(const void* data, std::size_t size);

// A top-level window of the class `windowClass` that belongs to another process, or null.
HWND FindWindowOfOtherProcess(const wchar_t* windowClass);
// Sends `message` to `target` from the window `from` (its process is who the receiver checks);
// true when the receiver answered that it took it within the time allowed.
bool SendHandOver(HWND target, HWND from, std::string_view message);

// True when the window `sender` belongs to a process of the user this program runs as. False
// whenever that cannot be found out (no such window, a process we may not ask).
bool SentBySameUser(LateBound& late, HWND sender);

// The program's ear for hand-overs: empty until the application listens; its windows pass each
// WM_COPYDATA to it.
class HandOverListener {
 public:
  void Listen(std::function<void(const std::string&)> receive) { receive_ = std::move(receive); }
  // The message a window got with WM_COPYDATA, checked: nullopt when it is not a hand-over
  // this program takes (another kind, malformed, from another user, or no one listens).
  std::optional<std::string> Take(LateBound& late, HWND sender, const COPYDATASTRUCT& data) const;
  // Passes a taken message on.
  void Receive(const std::string& message) const {
    if (receive_) receive_(message);
  }

 private:
  std::function<void(const std::string&)> receive_;
};

}  // namespace corvane::win32
