#include "windows/menu/corvane_menu.h"

#include "app/app_state.h"
#include "app/maker.h"
#include "app/numbers.h"
#include "app/startup.h"
#include "windows/about/corvane_about.h"
#include "windows/menu/picture_selection.h"
#include "windows/picture/corvane_form1.h"
#include "windows/picture/display_modes.h"

namespace corvane {

namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr FontSpec kMenuFont{12, false, false};

struct Item {
  const char* labelCaption;
  const char* buttonCaption;
  float labelTop;
  float buttonTop;
  const char* toolTip;
};

// Items 1 to 7.
constexpr Item kItems[7] = {
    {"&Homepage", "&Homepage", 35, 0, maker::kHomePage},
    {"Get &Professional", "Get &Professional", 395, 360, "Download a full a professional version"},
    {"&Exit", "&Exit", 755, 720, "Exit Corvane"},
    {kShowHelpCaption, kShowHelpCaption, 1110, 1080, "Get more information"},
    {"&About", "&About", 1475, 1440, maker::kAuthorCredit},
    {"&Close this menu", "&Close menu", 1835, 1800, "Close this menu"},
    {"&Select a picture file", "&Select a picture file", 2195, 2160, "Select a picture file you which want to float"},
};

}  // namespace

CorvaneMenu& MenuWindow() { return SlotOf<CorvaneMenu>()(); }
bool MenuWindowLoaded() { return SlotOf<CorvaneMenu>().Loaded(); }

CorvaneMenu::CorvaneMenu() : Form({WindowKind::ToolPopup, "", 2070, 2550, kWhite}) {
  Add({&Command1, &Command7, &Command6, &Command5, &Command4, &Command3, &Command2, &Command1000, &Line4, &Line3,
       &Line2, &Line1, &Label7, &Label6, &Label5, &Label4, &Label3, &Label2, &Label1});

  const std::array<CommandButton*, 7> buttons = {&Command1, &Command2, &Command3, &Command4, &Command5, &Command6, &Command7};
  const std::array<Label*, 7> labels = ItemLabels();
  LabelLook look;
  look.font = kMenuFont;
  for (std::size_t n = 0; n < 7; ++n) {
    const Item& item = kItems[n];
    labels[n]->Define({30, item.labelTop, 2055, 375}, item.labelCaption, look);
    labels[n]->ToolTipText = item.toolTip;
    labels[n]->TabIndex = 7 + static_cast<int>(n);
    buttons[n]->Define({2400, item.buttonTop, 2175, 375}, item.buttonCaption, kMenuFont);
    buttons[n]->TabIndex = static_cast<int>(n);
  }
  Command1.TabIndex = 14;
  Command1000.Define({4680, 600, 1095, 1335}, "&Homepage", kMenuFont);
  Command1000.TabIndex = 0;

  Line4.Define(2060, 0, 2060, 2640, 2, kInactiveTitleColor);
  Line3.Define(0, 2540, 2160, 2540, 2, kActiveTitleColor);
  Line2.Define(0, 5, 2280, 5, 1, kMenuColor);
  Line1.Define(5, 0, 5, 2760, 1, kMenuColor);

  Command1.GotFocus = [this] { Command1_GotFocus(); };
  Command2.GotFocus = [this] { Command2_GotFocus(); };
  Command3.GotFocus = [this] { Command3_GotFocus(); };
  Command4.GotFocus = [this] { Command4_GotFocus(); };
  Command5.GotFocus = [this] { Command5_GotFocus(); };
  Command6.GotFocus = [this] { Command6_GotFocus(); };
  Command7.GotFocus = [this] { Command7_GotFocus(); };
  Label1.Click = [this] { Command1_GotFocus(); };
  Label2.Click = [this] { Command2_GotFocus(); };
  Label3.Click = [this] { Command3_GotFocus(); };
  Label4.Click = [this] { Command4_GotFocus(); };
  Label5.Click = [this] { Label5_Click(); };
  Label6.Click = [this] { Command6_GotFocus(); };
  Label7.Click = [this] { Command7_GotFocus(); };
  // The item under the pointer turns white, the others go back to the menu colour.
  for (Label* label : labels) {
    label->MouseMove = [label](const MouseArgs&) {
      ResetMenuHighlight();
      label->SetBackColor(kWhite);
    };
  }
}

std::array<Label*, 7> CorvaneMenu::ItemLabels() {
  return {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7};
}

void ResetMenuHighlight() {
  for (Label* label : MenuWindow().ItemLabels()) label->SetBackColor(kMenuColor);
}

namespace {

// One axis of the placement: the far corner at the cursor, or the near one where the window
// would otherwise start at or beyond the screen's edge.
float PlaceOnAxis(std::int32_t cursor, float twipsPerPixel, float size) {
  const std::int32_t start = RoundHalfEven(static_cast<double>(cursor) * static_cast<double>(twipsPerPixel) -
                                           static_cast<double>(size));
  if (start >= 1) return static_cast<float>(start);
  return static_cast<float>(static_cast<double>(size) + static_cast<double>(start));
}

}  // namespace

const Form* CorvaneMenu::Owner() const { return PictureWindowLoaded() ? &PictureWindow() : nullptr; }

void CorvaneMenu::Form_Load() {
  SetLeft(PlaceOnAxis(MenuAnchor.x, Sys().TwipsPerPixelX(), Width()));
  SetTop(PlaceOnAxis(MenuAnchor.y, Sys().TwipsPerPixelY(), Height()));
  const char* caption = PictureWindow().Image1.Visible() ? kShowHelpCaption : kShowPictureCaption;
  Label4.SetCaption(caption);
  Command4.SetCaption(caption);
  Sys().MakeTopMost(hWnd(), std::nullopt);
}

// Homepage: the page is requested, then the menu closes.
void CorvaneMenu::Command1_GotFocus() {
  const std::uintptr_t hwnd = hWnd();
  Sys().OpenDocument(hwnd, maker::kHomePage, ShowState::Minimized);
  Unload();
}

// Get Professional: the menu closes, then the page is requested.
void CorvaneMenu::Command2_GotFocus() {
  const std::uintptr_t hwnd = hWnd();
  Unload();
  Sys().OpenDocument(hwnd, maker::kProfessionalPage, ShowState::Minimized);
}

void CorvaneMenu::Command3_GotFocus() { SaveAndExit(ExitFrom::Menu); }

// Show item: switches between the picture and the help panel.
void CorvaneMenu::Command4_GotFocus() {
  if (Label4.Caption() == kShowHelpCaption) {
    Label4.SetCaption(kShowPictureCaption);
    Command4.SetCaption(kShowPictureCaption);
    ShowHelpMode();
    Unload();
  } else if (CurrentPicturePath == NoPictureMarker) {
    // Nothing to switch to: the menu stays open so that a picture can be selected.
    Sys().ShowMessage(hWnd(), kNoPictureMessage, kAppTitle);
  } else {
    Label4.SetCaption(kShowHelpCaption);
    Command4.SetCaption(kShowHelpCaption);
    ShowPictureMode();
    Unload();
  }
}

void CorvaneMenu::Command5_GotFocus() { Unload(); }

// Only the label opens the About window; the access key just closes the menu.
void CorvaneMenu::Label5_Click() {
  Command5_GotFocus();
  AboutWindow().ShowModal();
}

void CorvaneMenu::Command6_GotFocus() { Unload(); }

void CorvaneMenu::Command7_GotFocus() { SelectPictureFile(*this); }

}  // namespace corvane
