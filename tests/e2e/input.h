// Real input through the XTest extension: the X server sees these as if a person moved the
// mouse and typed, and Wine turns them into ordinary Windows messages. Every function returns
// once the X server has taken the events; what the program does with them is for the caller to
// wait for.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace corvane::e2e {

enum class Button { Left = 1, Middle = 2, Right = 3 };

void MoveTo(Point p);
void Press(Button button);
void Release(Button button);
// Moves to p, then presses and releases.
void Click(Point p, Button button = Button::Left);
// Two clicks at p, well within any double-click time.
void DoubleClick(Point p, Button button = Button::Left);
// Presses at path.front(), moves through every point of path, releases at path.back().
void DragPath(const std::vector<Point>& path, Button button = Button::Left);
// Presses at from, moves to `to` in `steps` equal steps, releases there.
void Drag(Point from, Point to, int steps = 10, Button button = Button::Left);

// Turns the wheel `notches` notches (buttons 4 away from the user, 5 towards) with the modifier
// keys named in `modifiers` ("Ctrl", "Shift", "Alt") held down meanwhile.
void Wheel(int notches, const std::vector<std::string>& modifiers = {});

// Presses and releases one key with modifiers: "Alt+F4", "Tab", "Shift+Tab", "Return", "a",
// "Ctrl+Shift+x". Names are X keysym names; the modifiers are Shift, Ctrl, Alt. Throws
// std::invalid_argument for a name the keyboard does not have.
void PressKey(const std::string& chord);
// Types text character by character, with Shift where the keyboard map needs it.
void TypeText(const std::string& text);

// Holds the modifier keys named ("Ctrl", "Shift", "Alt") down while it lives, for input that
// must come with them (a drop, say); lets them go in the reverse order at the end.
class HeldModifiers {
 public:
  explicit HeldModifiers(const std::vector<std::string>& modifiers);
  ~HeldModifiers();
  HeldModifiers(const HeldModifiers&) = delete;
  HeldModifiers& operator=(const HeldModifiers&) = delete;

 private:
  std::vector<unsigned char> held_;  // X key codes
};

}  // namespace corvane::e2e
