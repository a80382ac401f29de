// probe.exe, run under Wine, reports what X cannot: Windows styles, owners, class icons,
// system colours, the cursor position, tooltips and dialogs (see tests/tools/probe.cpp).
// Each call starts one short-lived Wine process. Failures throw std::runtime_error with the
// probe's own message, which GoogleTest reports as the test's failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "image.h"
#include "process.h"
#include "wait.h"

namespace corvane::e2e {

// Window styles and system colour indexes the tests look at, as <windows.h> defines them.
namespace win {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;  // border and dialog frame
inline constexpr std::uint32_t kBorder = 0x00800000;
inline constexpr std::uint32_t kDlgFrame = 0x00400000;
inline constexpr std::uint32_t kThickFrame = 0x00040000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kExTopmost = 0x00000008;
inline constexpr std::uint32_t kExToolWindow = 0x00000080;
inline constexpr std::uint32_t kExAppWindow = 0x00040000;
inline constexpr std::uint32_t kExLayered = 0x00080000;

inline constexpr int kColorWindow = 5;
inline constexpr int kColorWindowText = 8;
inline constexpr int kColorCaptionText = 9;
inline constexpr int kColorBtnFace = 15;
inline constexpr int kColorBtnText = 18;
}  // namespace win

// One line of probe output: a kind, then key=value fields.
struct ProbeRecord {
  std::string kind;
  std::map<std::string, std::string> fields;

  bool Has(const std::string& key) const { return fields.count(key) != 0; }
  const std::string& Text(const std::string& key) const;  // throws when missing
  long long Number(const std::string& key) const;         // decimal or 0x hex
  bool Flag(const std::string& key) const { return Number(key) != 0; }
  Rect Box(const std::string& key) const;  // from "left,top,right,bottom"
};

struct ProbeOutput {
  std::vector<ProbeRecord> records;
  std::vector<ProbeRecord> OfKind(const std::string& kind) const;
};

// Runs `wine probe.exe args...` and parses what it prints.
ProbeOutput RunProbe(const std::vector<std::string>& args, Millis timeout = 30s);
// Starts `wine probe.exe args...` for a probe command that keeps running (click-target,
// hold-hotkey); what it prints goes to `output`, read with ReadProbeOutput.
ChildProcess StartProbe(const std::vector<std::string>& args, const std::filesystem::path& output);
ProbeOutput ReadProbeOutput(const std::filesystem::path& output);

// The class icon as probe.exe reads it. Wine does not give out the class icon of another
// process's window, so under Wine `readable` is false; WindowIcons() (x11.h) shows it instead.
struct IconFacts {
  bool readable = false;
  bool present = false;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
};

struct WindowFacts {
  std::uint64_t hwnd = 0;
  int pid = 0;  // the Windows process id
  std::string title;
  std::string className;
  Rect rect;    // the window on the screen, frame included
  Rect client;  // the client area on the screen
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  bool visible = false;
  bool enabled = false;
  bool topmost = false;
  bool foreground = false;
  std::uint64_t owner = 0;
  int dpi = 0;
  int alpha = -1;  // a layered window's constant alpha, 0 to 255; -1 when there is none
  IconFacts classIcon;
};

// Top-level windows of the Corvane process(es), or of those chosen by probe options such as
// {"--title", kHelpTitle} or {"--pid", "42"}.
std::vector<WindowFacts> ProbeWindows(const std::vector<std::string>& selection = {});
// The window titled exactly `title`, if there is one.
std::optional<WindowFacts> ProbeWindow(const std::string& title);

std::vector<Rgb> ProbeSysColors(const std::vector<int>& indexes);
Rgb ProbeSysColor(int index);
Point ProbeCursor();

struct TooltipFacts {
  Rect rect;
  std::string text;
};
// The visible tooltips of the Corvane process(es).
std::vector<TooltipFacts> ProbeTooltips();

struct ControlFacts {
  std::uint64_t hwnd = 0;
  std::uint64_t parent = 0;
  std::string className;
  int id = 0;
  std::string text;
  bool visible = false;
  bool enabled = false;
  Rect rect;
};

struct DialogFacts {
  std::uint64_t hwnd = 0;
  int pid = 0;
  std::string title;
  Rect rect;
  std::uint64_t owner = 0;
  std::vector<ControlFacts> controls;

  // The first control of that class whose text (without "&" marks) is `text`.
  const ControlFacts* Find(const std::string& className, const std::string& text) const;
};
// The visible dialogs (#32770: message boxes, the open-file dialog) of the Corvane process(es).
std::vector<DialogFacts> ProbeDialogs();

// Presses a button of the visible dialog titled `dialog`; the button is named by its text,
// with or without "&" marks. The press is posted: wait for its effect.
void ProbeClickButton(const std::string& dialog, const std::string& button);
// The same for a dialog found by ProbeDialogs(), titled or not (message boxes may have no title).
void ProbeClickButton(const DialogFacts& dialog, const std::string& button);
// Sets the text of the control with that id anywhere inside the dialog.
void ProbeSetText(const std::string& dialog, int controlId, const std::string& text);

}  // namespace corvane::e2e
