// A drag-and-drop source of our own, as a file manager is one: it offers a text/uri-list over
// XDND (version 5) and drops it on a window, answering the target's requests for the data.
// Wine turns such a drop into WM_DROPFILES for a window that accepts files; GTK into its
// drag-data-received.
#pragma once

#include <filesystem>
#include <string>

#include "image.h"
#include "wait.h"
#include "x11.h"

namespace corvane::e2e {

// "file:///..." for a local path, every byte but the unreserved ones percent-escaped.
std::string FileUri(const std::filesystem::path& path);

// Drags a text/uri-list from a source window of the tests onto `target` (a top-level window
// that declares XdndAware) at the screen point `at`, drops it there and waits until the target
// says it has finished. Fails when the target does not take drops, refuses this one, or
// does not finish in time.
testing::AssertionResult DropUriList(XWindowId target, Point at, const std::string& uriList,
                                     Millis timeout = kDefaultTimeout);

}  // namespace corvane::e2e
