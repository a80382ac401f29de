// What the suites ask about Corvane's shown windows, answered for either program: for
// Corvane.exe by probe.exe (Windows' own view: styles, classes, the enabled state, tooltip
// texts), for the native program by the X server (geometry, EWMH state, the transient owner,
// the window type). Facts only probe.exe can tell stay at their defaults for the native program
// (styles 0, enabled true); the suites check those for the Windows program only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image.h"
#include "probe.h"

namespace corvane::e2e {

// The menu window while it shows. Natively: rect and client are its X window (it has no frame),
// className kMenuClass, topmost when _NET_WM_STATE holds _NET_WM_STATE_ABOVE, owner its
// WM_TRANSIENT_FOR.
std::optional<WindowFacts> ShownMenu();

// The shown window of Corvane titled exactly `title`. Natively rect is the window manager's
// frame around it and client the program's own window.
std::optional<WindowFacts> ShownWindow(const std::string& title);

// The tooltips of Corvane shown now. The native program's tooltip texts stay inside GTK: there
// each tooltip comes with its place only and an empty text (see TooltipTextsKnown).
std::vector<TooltipFacts> ShownTooltips();
bool TooltipTextsKnown();

// A shown message box or open-file dialog titled `title`. Natively: its title and place only.
std::optional<DialogFacts> ShownDialog(const std::string& title);

// The colours Corvane paints for these Windows system colour indexes: Windows' own, or the
// defaults the native program stands in with.
std::vector<Rgb> SystemColours(const std::vector<int>& indexes);

}  // namespace corvane::e2e
