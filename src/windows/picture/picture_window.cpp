#include "windows/picture/corvane_form1.h"

#include "app/app_state.h"
#include "app/maker.h"
#include "app/numbers.h"
#include "app/startup.h"
#include "windows/menu/corvane_menu.h"
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

}  // namespace

CorvaneForm1& PictureWindow() { return SlotOf<CorvaneForm1>()(); }
bool PictureWindowLoaded() { return SlotOf<CorvaneForm1>().Loaded(); }

CorvaneForm1::CorvaneForm1()
    : Form({WindowKind::Popup, "Corvane Standard  v0.02", 6960, 5145, kGreen}) {
  Add({&Text100, &Label4, &Labelmy2, &Label10, &Label9, &Label8, &Label7, &Label6, &Label5, &Label3,
       &Label2, &Label1, &Image1});

  Text100.Define({1080, 4560, 735, 285}, "Text1", kLightGrey);
  Text100.SetVisible(false);
  Label4.Define({840, 960, 5175, 615},
                "   Imitate to show the results of the image ads you intend to upload to Internet",
                Look(12, true, kWhite, kBlue, false));
  LabelLook link = Look(9.75f, true, kDarkBlue, kWhite, true);
  link.font.underline = true;
  Labelmy2.Define({0, 0, 2010, 240}, maker::kHost, link);
  Label10.Define({2280, 2760, 2415, 300}, "Follow me step by step",
                 Look(12, false, kButtonTextColor, kButtonFaceColor, true));
  Label9.Define({1920, 1680, 3180, 300}, "Another important usage:",
                Look(12, false, kButtonTextColor, kWhite, true, Alignment::Centre));
  Label8.Define({840, 2040, 5175, 615},
                "    Cover any boring web ads on your screen with some image you like",
                Look(12, false, kButtonTextColor, kTitleTextColor, false));
  Label7.Define({1920, 600, 3210, 300}, "The most important usage:", Look(12, true, kWhite, kBlue, true));
  Label6.Define({120, 3840, 705, 300}, "Step 2", Look(12, false, kButtonTextColor, kButtonFaceColor, true));
  Label5.Define({120, 3120, 705, 300}, "Step 1", Look(12, false, kButtonTextColor, kButtonFaceColor, true));
  Label3.Define({960, 3840, 5865, 660},
                "    Right-click to open the menu and select a picture file, then put it anywhere you want to.",
                Look(12, false, kButtonTextColor, kButtonFaceColor, false));
  Label2.Define({960, 3120, 5865, 585},
                "    Press this window first and then move it to anywhere you want to.",
                Look(12, false, kButtonTextColor, kButtonFaceColor, false));
  LabelLook title = Look(13.5f, false, kButtonTextColor, kLightGrey, true, Alignment::Centre);
  title.backStyle = 0;
  Label1.Define({1560, 120, 3975, 360}, "Corvane Standard  v0.02", title);
  Image1.Define({0, 0, 795, 855},
                "Press this picture and move it to anywhere you want to; Right-click to open menu.");

  Text100.TabIndex = 0;
  Label1.TabIndex = 1;
  Label2.TabIndex = 2;
  Label4.TabIndex = 3;
  Label3.TabIndex = 4;
  int tab = 5;
  for (Label* l : {&Label5, &Label6, &Label7, &Label8, &Label9, &Label10}) l->TabIndex = tab++;
  Labelmy2.TabIndex = 11;
  Image1.TabIndex = 12;

  MouseDown = [this](const MouseArgs& a) { Form_MouseDown(a); };
  DblClick = [this] { Form_DblClick(); };
  HotKey = [this] { clickThrough_.WayBackPressed(); };
  Image1.MouseDown = [this](const MouseArgs& a) { Form_MouseDown(a); };
  Image1.DblClick = [this] { Image1_DblClick(); };
  Image1.MouseMove = [this](const MouseArgs& a) { Image1_MouseMove(a); };
  Labelmy2.MouseMove = [this](const MouseArgs& a) { Labelmy2_MouseMove(a); };
  Labelmy2.Click = [this] { Labelmy2_Click(); };
  MouseWheel = [this](const WheelEvent& e) { Form_MouseWheel(e); };
  KeyShortcut = [this](char key, int shift) { return Form_KeyShortcut(key, shift); };
  // The help labels hand their presses to the window.
  for (Label* l : HelpLabels()) l->MouseDown = [this](const MouseArgs& a) { Form_MouseDown(a); };
  // A file dropped on the help panel or the picture, or a picture pasted, is shown as if chosen.
  FilesDropped = [](const std::vector<std::string>& paths) { ShowDroppedFiles(paths); };
  Paste = [] { PasteClipboardPicture(); };
}

std::array<Label*, 10> CorvaneForm1::HelpLabels() {
  return {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8, &Label9, &Label10};
}

void CorvaneForm1::Form_Load() { RunStartup(*this); }

void CorvaneForm1::OnClosedByUser() { EndWithoutSaving(); }

void CorvaneForm1::AfterResize() { BringIntoReach(*this); }

// A left press moves the window through the system as if its title bar were dragged; a right
// press opens the menu at the cursor.
void CorvaneForm1::Form_MouseDown(const MouseArgs& args) {
  if (args.Button == static_cast<int>(MouseButton::Left)) {
    Sys().BeginSystemMove(hWnd());
  }
  if (args.Button == static_cast<int>(MouseButton::Right)) {
    MenuAnchor = Sys().CursorPosition();
    MenuWindow().ShowModal();
  }
}

void CorvaneForm1::Form_DblClick() { SaveAndExit(ExitFrom::PictureWindow); }

void CorvaneForm1::Image1_DblClick() { SaveAndExit(ExitFrom::PictureWindow); }

// Over the picture the link label turns transparent, or goes when the window is exactly twice
// its height.
void CorvaneForm1::Image1_MouseMove(const MouseArgs&) {
  const float twice = DoubleOf(Labelmy2.Height());
  if (twice == Height()) {
    Labelmy2.SetVisible(false);
  } else {
    Labelmy2.SetBackStyle(0);
  }
}

// Over the label itself it turns opaque, or goes when the window is shorter than twice its
// height.
void CorvaneForm1::Labelmy2_MouseMove(const MouseArgs&) {
  const float twice = DoubleOf(Labelmy2.Height());
  if (twice > Height()) {
    Labelmy2.SetVisible(false);
  } else {
    Labelmy2.SetBackStyle(1);
  }
}

void CorvaneForm1::Form_MouseWheel(const WheelEvent& e) {
  const PixelRect frame = ScreenBounds();
  const PixelPoint pointer{frame.left + e.pos.x, frame.top + e.pos.y};
  if (!frame.Contains(pointer)) return;  // the wheel of a window with the keyboard, turned elsewhere
  if (e.shift == kCtrl) {
    ScalePicture(pictures::StepScale(Image1.Scale(), e.notches), pointer);
  } else if (e.shift == kShift) {
    SetOpacity(Opacity() + kOpacityStep * e.notches);
  }
}

// Ctrl+T switches click-through; Ctrl+0 brings the picture back to its own size.
bool CorvaneForm1::Form_KeyShortcut(char key, int shift) {
  if (key == 'T' && shift == kCtrl) {
    clickThrough_.Toggle();
    return true;
  }
  if (key != '0' || shift != kCtrl || !Image1.Visible()) return false;
  const CursorPoint cursor = Sys().CursorPosition();
  ScalePicture(pictures::kScaleOne, PixelPoint{cursor.x, cursor.y});
  return true;
}

void CorvaneForm1::Labelmy2_Click() {
  try {
    const std::uintptr_t hwnd = hWnd();
    const std::string address = Labelmy2.Caption();
    Sys().OpenDocument(hwnd, address, ShowState::Minimized);
  } catch (const std::exception&) {
    // Opening the site is a courtesy: a failure ends the click quietly.
  }
}

}  // namespace corvane
