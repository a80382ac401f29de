#include "program_fixture.h"

#include <sstream>

#include "windows/maker.h"
#include "windows/picture/display_modes.h"

namespace corvane::testing {

void ProgramTest::NewRun() {
  app.reset();  // unloads and frees the windows of the run before
  runtime.reset();
  runtime.emplace(sys, kAppTitle);
  app.emplace(*runtime);
}

bool ProgramTest::Start() {
  ended = false;
  sys.ended = false;
  Deliver([this] { app->Start(); });
  return !ended;
}

void ProgramTest::Deliver(const std::function<void()>& action) {
  try {
    action();
  } catch (const ProgramEnded&) {
    ended = true;
  }
  runtime->FreeRetiredForms();
}

HeadlessWindow& ProgramTest::WindowOf(const Form& form) const {
  HeadlessWindow* w = sys.WindowOf(form.hWnd());
  if (!w) throw std::runtime_error("no native window for the form");
  return *w;
}

PixelPoint ProgramTest::PointOn(const Form& form, const Control& control) const {
  const PixelRect box = control.PixelBounds();
  const PixelSize client = WindowOf(form).ClientSize();
  const PixelRect visible = box.Intersect({0, 0, client.width, client.height});
  for (int y = visible.top; y < visible.bottom; ++y) {
    for (int x = visible.left; x < visible.right; ++x) {
      if (form.ControlAt({x, y}) == &control) return {x, y};
    }
  }
  throw std::runtime_error("no visible point of " + control.Name() + " can be hit");
}

namespace {
PixelPoint BareSurface(const Form& form, const HeadlessWindow& window) {
  const PixelSize client = window.ClientSize();
  for (int y = 0; y < client.height; ++y) {
    for (int x = 0; x < client.width; ++x) {
      if (!form.ControlAt({x, y})) return {x, y};
    }
  }
  throw std::runtime_error("the window has no bare surface");
}
}  // namespace

void ProgramTest::Press(Form& form, const Control* control, MouseButton button, int shift) {
  HeadlessWindow& w = WindowOf(form);
  ASSERT_TRUE(w.Enabled()) << "the window takes no input";
  const PixelPoint at = control ? PointOn(form, *control) : BareSurface(form, w);
  Deliver([&] { w.Events().OnMouseDown({static_cast<int>(button), shift, at}); });
}

void ProgramTest::Release(Form& form, const Control* control, MouseButton button) {
  HeadlessWindow& w = WindowOf(form);
  const PixelPoint at = control ? PointOn(form, *control) : BareSurface(form, w);
  Deliver([&] { w.Events().OnMouseUp({static_cast<int>(button), 0, at}); });
}

void ProgramTest::ClickOn(Form& form, const Control& control) {
  Press(form, &control, MouseButton::Left);
  if (ended || !form.Loaded()) return;
  Release(form, &control, MouseButton::Left);
}

void ProgramTest::DoubleClickOn(Form& form, const Control* control) {
  HeadlessWindow& w = WindowOf(form);
  ASSERT_TRUE(w.Enabled()) << "the window takes no input";
  const PixelPoint at = control ? PointOn(form, *control) : BareSurface(form, w);
  Deliver([&] { w.Events().OnDoubleClick({static_cast<int>(MouseButton::Left), 0, at}); });
}

void ProgramTest::MoveOver(Form& form, const Control* control) {
  HeadlessWindow& w = WindowOf(form);
  ASSERT_TRUE(w.Enabled()) << "the window takes no input";
  const PixelPoint at = control ? PointOn(form, *control) : BareSurface(form, w);
  Deliver([&] { w.Events().OnMouseMove({0, 0, at}); });
}

void ProgramTest::Type(Form& form, Key key, char character, int shift) {
  HeadlessWindow& w = WindowOf(form);
  ASSERT_TRUE(w.Enabled()) << "the window takes no input";
  Deliver([&] { w.Events().OnKey({key, shift, character}); });
}

MenuWindow& ProgramTest::OpenMenu(int x, int y) {
  sys.cursor = {x, y};
  PictureWindow& form = PictureForm();
  Press(form, form.PictureBox.Visible() ? &form.PictureBox : nullptr, MouseButton::Right);
  sys.calls.clear();
  return MenuForm();
}

void ProgramTest::ShowPicture(const std::string& path, PixelSize size) {
  sys.pictureFiles[path] = size;
  FirstPin().SetPicturePath(path);
  ShowPictureMode(PictureForm());
  ApplyPicture(FirstPin());
}

std::string ProgramTest::SettingsBytes() {
  const HeadlessPlatform::File* f = sys.FindFile(sys.appPath + "\\corvane.ini");
  return f ? f->bytes : std::string();
}

void ProgramTest::PutSettings(std::int32_t left, std::int32_t top, const std::string& path) {
  sys.PutFile(sys.appPath + "\\corvane.ini", EncodeSettingsRecord(left, top, *sys.ToAnsi(path)));
}

std::string Bytes(const std::string& hex) {
  std::istringstream in(hex);
  std::string out;
  unsigned value = 0;
  while (in >> std::hex >> value) out += static_cast<char>(value);
  return out;
}

}  // namespace corvane::testing
