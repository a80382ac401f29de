#include "windows/picture/picture_window.h"

#include "controls/numbers.h"
#include "windows/maker.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/drop_and_paste.h"

namespace corvane {

namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlue = 0xFF0000;
constexpr Color kDarkBlue = 0xC00000;
constexpr Color kGreen = 0x00C000;
constexpr Color kLightGrey = 0xE0E0E0;

LabelLook Look(float points, bool bold, Color fore, Color back, bool fits, Alignment align = Alignment::Left) {
  LabelLook look;
  look.font = {points, bold, false};
  look.foreColor = fore;
  look.backColor = back;
  look.autoSize = fits;
  look.alignment = align;
  return look;
}

// One line of the help panel.
struct HelpLine {
  Label PictureWindow::*label;
  TwipsRect rect;
  const char* caption;
  LabelLook look;
  int tabIndex;
};

}  // namespace

PictureWindow::PictureWindow(ControlRuntime& runtime, Pin& pin)
    : Form(runtime, {WindowKind::Popup, "Corvane Standard  v0.02", kHelpPanelWidth, kHelpPanelHeight, kGreen}),
      pin_(pin) {
  Add({&PathBox, &PreviewUsage, &SiteLink, &FollowMe, &CoverHeading, &CoverUsage, &PreviewHeading, &Step2Heading,
       &Step1Heading, &Step2Text, &Step1Text, &Title, &PictureBox});

  PathBox.Define({1080, 4560, 735, 285}, "Text1", kLightGrey);
  PathBox.SetVisible(false);
  PathBox.TabIndex = 0;

  LabelLook title = Look(13.5f, false, kButtonTextColor, kLightGrey, true, Alignment::Centre);
  title.ground = Ground::Transparent;
  const HelpLine lines[] = {
      {&PictureWindow::Title, {1560, 120, 3975, 360}, "Corvane Standard  v0.02", title, 1},
      {&PictureWindow::Step1Text,
       {960, 3120, 5865, 585},
       "    Press this window first and then move it to anywhere you want to.",
       Look(12, false, kButtonTextColor, kButtonFaceColor, false),
       2},
      {&PictureWindow::Step2Text,
       {960, 3840, 5865, 660},
       "    Right-click to open the menu and select a picture file, then put it anywhere you want to.",
       Look(12, false, kButtonTextColor, kButtonFaceColor, false),
       4},
      {&PictureWindow::PreviewUsage,
       {840, 960, 5175, 615},
       "   Imitate to show the results of the image ads you intend to upload to Internet",
       Look(12, true, kWhite, kBlue, false),
       3},
      {&PictureWindow::Step1Heading,
       {120, 3120, 705, 300},
       "Step 1",
       Look(12, false, kButtonTextColor, kButtonFaceColor, true),
       5},
      {&PictureWindow::Step2Heading,
       {120, 3840, 705, 300},
       "Step 2",
       Look(12, false, kButtonTextColor, kButtonFaceColor, true),
       6},
      {&PictureWindow::PreviewHeading,
       {1920, 600, 3210, 300},
       "The most important usage:",
       Look(12, true, kWhite, kBlue, true),
       7},
      {&PictureWindow::CoverUsage,
       {840, 2040, 5175, 615},
       "    Cover any boring web ads on your screen with some image you like",
       Look(12, false, kButtonTextColor, kTitleTextColor, false),
       8},
      {&PictureWindow::CoverHeading,
       {1920, 1680, 3180, 300},
       "Another important usage:",
       Look(12, false, kButtonTextColor, kWhite, true, Alignment::Centre),
       9},
      {&PictureWindow::FollowMe,
       {2280, 2760, 2415, 300},
       "Follow me step by step",
       Look(12, false, kButtonTextColor, kButtonFaceColor, true),
       10},
  };
  for (const HelpLine& line : lines) {
    Label& label = this->*line.label;
    label.Define(line.rect, line.caption, line.look);
    label.TabIndex = line.tabIndex;
    // The help lines hand their presses to the window.
    label.MouseDown = [this](const MouseArgs& a) { MoveOrOpenMenu(a); };
  }

  LabelLook link = Look(9.75f, true, kDarkBlue, kWhite, true);
  link.font.underline = true;
  SiteLink.Define({0, 0, 2010, 240}, maker::kHost, link);
  SiteLink.TabIndex = 11;
  PictureBox.Define({0, 0, 795, 855},
                    "Press this picture and move it to anywhere you want to; Right-click to open menu.");
  PictureBox.TabIndex = 12;

  MouseDown = [this](const MouseArgs& a) { MoveOrOpenMenu(a); };
  DblClick = [this] { pin_.Host().SaveAndExit(ExitFrom::PictureWindow); };
  HotKey = [this] { clickThrough_.WayBackPressed(); };
  PictureBox.MouseDown = [this](const MouseArgs& a) { MoveOrOpenMenu(a); };
  PictureBox.DblClick = [this] { pin_.Host().SaveAndExit(ExitFrom::PictureWindow); };
  PictureBox.MouseMove = [this](const MouseArgs&) { PointerOverPicture(); };
  SiteLink.MouseMove = [this](const MouseArgs&) { PointerOverSiteLink(); };
  SiteLink.Click = [this] { OpenSite(); };
  MouseWheel = [this](const WheelEvent& e) { WheelTurned(e); };
  ArrowKey = [this](Key key, int shift) { return Nudge(key, shift); };
  KeyShortcut = [this](char key, int shift) { return ShortcutTyped(key, shift); };
  // A file dropped on the help panel or the picture, or a picture pasted, is shown as if chosen.
  FilesDropped = [this](const FileDrop& drop) { FilesDroppedOn(drop); };
  Paste = [this] { PasteClipboardPicture(pin_); };
}

std::array<Label*, 10> PictureWindow::HelpLines() {
  return {&Title,        &Step1Text,      &Step2Text,  &PreviewUsage, &Step1Heading,
          &Step2Heading, &PreviewHeading, &CoverUsage, &CoverHeading, &FollowMe};
}

void PictureWindow::Form_Load() { pin_.Host().PinLoaded(pin_); }

void PictureWindow::OnClosedByUser() { pin_.Host().ClosedByUser(pin_); }

void PictureWindow::AfterResize() { BringIntoReach(*this); }

// At a new resolution the window keeps the top-left corner the system suggested and takes its
// content's size again: the help panel its layout's, measured in the new pixels; a picture its
// size on the screen, which the picture box took again at the new resolution.
void PictureWindow::AfterDpiChange() {
  if (PictureBox.Visible()) {
    ShowPictureMode(*this);
  } else {
    ShowHelpMode(*this);
  }
}

// A file dropped with Ctrl held opens as a new pin at the drop point; otherwise the first file
// dropped becomes this pin's picture.
void PictureWindow::FilesDroppedOn(const FileDrop& drop) {
  pin_.Host().PinUsed(pin_);
  if (drop.shift == kCtrl && !drop.paths.empty()) {
    pin_.Host().DropIntoNewPin(pin_, drop.paths.front(), drop.screen);
  } else {
    ShowDroppedFiles(pin_, drop.paths);
  }
}

// The arrow keys move the window a pixel, ten with Shift, and keep it on its monitor; the place
// is saved as a dragged one is.
bool PictureWindow::Nudge(Key key, int shift) {
  if (shift != 0 && shift != kShift) return false;
  const int step = shift == kShift ? 10 : 1;
  const PixelPoint by = key == Key::Left    ? PixelPoint{-step, 0}
                        : key == Key::Right ? PixelPoint{step, 0}
                        : key == Key::Up    ? PixelPoint{0, -step}
                                            : PixelPoint{0, step};
  pin_.Host().PinUsed(pin_);
  pin_.Host().NudgePin(pin_, by);
  return true;
}

void PictureWindow::MoveOrOpenMenu(const MouseArgs& args) {
  pin_.Host().PinUsed(pin_);
  if (args.Button == static_cast<int>(MouseButton::Left)) {
    System().BeginSystemMove(hWnd());
  }
  if (args.Button == static_cast<int>(MouseButton::Right)) {
    pin_.SetMenuAnchor(System().CursorPosition());
    pin_.Menu().ShowModal();
  }
}

// Over the picture the link label turns transparent, or goes when the window is exactly twice
// its height.
void PictureWindow::PointerOverPicture() {
  const float twice = DoubleOf(SiteLink.Height());
  if (twice == Height()) {
    SiteLink.SetVisible(false);
  } else {
    SiteLink.SetGround(Ground::Transparent);
  }
}

// Over the label itself it turns opaque, or goes when the window is shorter than twice its
// height.
void PictureWindow::PointerOverSiteLink() {
  const float twice = DoubleOf(SiteLink.Height());
  if (twice > Height()) {
    SiteLink.SetVisible(false);
  } else {
    SiteLink.SetGround(Ground::Opaque);
  }
}

void PictureWindow::WheelTurned(const WheelEvent& e) {
  const PixelRect frame = ScreenBounds();
  const PixelPoint pointer{frame.left + e.pos.x, frame.top + e.pos.y};
  if (!frame.Contains(pointer)) return;  // the wheel of a window with the keyboard, turned elsewhere
  if (e.shift == kCtrl) {
    ScalePicture(pin_, pictures::StepScale(PictureBox.Scale(), e.notches), pointer);
  } else if (e.shift == kShift) {
    SetOpacity(Opacity() + kOpacityStep * e.notches);
  }
}

bool PictureWindow::ShortcutTyped(char key, int shift) {
  pin_.Host().PinUsed(pin_);
  if (key == 'T' && shift == kCtrl) {
    clickThrough_.Toggle();
    return true;
  }
  if (key == 'N' && shift == kCtrl) {
    pin_.Host().NewPinFromDialog(pin_);
    return true;
  }
  if (key == 'W' && shift == kCtrl) {
    pin_.Host().ClosePin(pin_);
    return true;
  }
  if (key == 'V' && shift == (kCtrl | kShift)) {
    pin_.Host().PasteIntoNewPin(pin_);
    return true;
  }
  if (key != '0' || shift != kCtrl || !PictureBox.Visible()) return false;
  const CursorPoint cursor = System().CursorPosition();
  ScalePicture(pin_, pictures::kScaleOne, PixelPoint{cursor.x, cursor.y});
  return true;
}

void PictureWindow::OpenSite() {
  try {
    System().OpenDocument(hWnd(), SiteLink.Caption(), ShowState::Minimized);
  } catch (const Error&) {
    // Opening the site is a courtesy: a failure ends the click quietly.
  }
}

}  // namespace corvane
