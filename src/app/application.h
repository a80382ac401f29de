// The program's life: the start-up sequence with its one recovery, save-and-exit, and the
// plain end when the picture window is closed some other way.
#pragma once

namespace corvane {

class CorvaneForm1;

// Loads and shows the picture window (its load runs the start-up sequence), then runs the
// event loop until the program ends.
void RunApplication();

// The picture window's load: single instance, top-most, settings, position, mode.
void RunStartup(CorvaneForm1& form);

enum class ExitFrom { PictureWindow, Menu };
// Stores the window position and the picture in force, unloads the windows and ends the
// program. Does not return.
[[noreturn]] void SaveAndExit(ExitFrom from);

// Ends the program without writing the settings.
[[noreturn]] void EndWithoutSaving();

}  // namespace corvane
