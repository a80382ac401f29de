#include "windows/menu/menu_window.h"

#include "controls/numbers.h"
#include "windows/maker.h"

namespace corvane {

namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr FontSpec kMenuFont{12, false, false};

// An item's layout: its label's and its button's captions and tops (twips), and its tip.
struct ItemLayout {
  const char* labelCaption;
  const char* buttonCaption;
  float labelTop;
  float buttonTop;
  const char* toolTip;
};

// In menu order, as Items() lists them.
constexpr ItemLayout kItemLayouts[7] = {
    {"&Homepage", "&Homepage", 35, 0, maker::kHomePage},
    {"Get &Professional", "Get &Professional", 395, 360, "Download a full a professional version"},
    {"&Exit", "&Exit", 755, 720, "Exit Corvane"},
    {kShowHelpCaption, kShowHelpCaption, 1110, 1080, "Get more information"},
    {"&About", "&About", 1475, 1440, maker::kAuthorCredit},
    {"&Close this menu", "&Close menu", 1835, 1800, "Close this menu"},
    {"&Select a picture file", "&Select a picture file", 2195, 2160, "Select a picture file you which want to float"},
};

// One axis of the placement: the far corner at the cursor, or the near one where the window
// would otherwise start at or beyond the screen's edge.
float PlaceOnAxis(std::int32_t cursor, float twipsPerPixel, float size) {
  const std::int32_t start =
      RoundHalfEven(static_cast<double>(cursor) * static_cast<double>(twipsPerPixel) - static_cast<double>(size));
  if (start >= 1) return static_cast<float>(start);
  return static_cast<float>(static_cast<double>(size) + static_cast<double>(start));
}

}  // namespace

MenuWindow::MenuWindow(ControlRuntime& runtime, MenuActions& actions, CursorPoint anchor)
    : Form(runtime, {WindowKind::ToolPopup, "", 2070, 2550, kWhite}), actions_(actions), anchor_(anchor) {
  // From the top of the drawing order down.
  Add({&HomepageItem.button, &SelectItem.button, &CloseItem.button, &AboutItem.button, &ShowItem.button,
       &ExitItem.button, &ProfessionalItem.button, &RestingButton, &RightEdge, &BottomEdge, &TopEdge, &LeftEdge,
       &SelectItem.label, &CloseItem.label, &AboutItem.label, &ShowItem.label, &ExitItem.label, &ProfessionalItem.label,
       &HomepageItem.label});

  const std::array<MenuItem*, 7> items = Items();
  LabelLook look;
  look.font = kMenuFont;
  for (std::size_t n = 0; n < items.size(); ++n) {
    const ItemLayout& layout = kItemLayouts[n];
    MenuItem& item = *items[n];
    item.label.Define({30, layout.labelTop, 2055, 375}, layout.labelCaption, look);
    item.label.ToolTipText = layout.toolTip;
    item.label.TabIndex = 7 + static_cast<int>(n);
    item.button.Define({2400, layout.buttonTop, 2175, 375}, layout.buttonCaption, kMenuFont);
    item.button.TabIndex = static_cast<int>(n);
  }
  HomepageItem.button.TabIndex = 14;
  RestingButton.Define({4680, 600, 1095, 1335}, "&Homepage", kMenuFont);
  RestingButton.TabIndex = 0;

  RightEdge.Define(2060, 0, 2060, 2640, 2, kInactiveTitleColor);
  BottomEdge.Define(0, 2540, 2160, 2540, 2, kActiveTitleColor);
  TopEdge.Define(0, 5, 2280, 5, 1, kMenuColor);
  LeftEdge.Define(5, 0, 5, 2760, 1, kMenuColor);

  const std::pair<MenuItem*, void (MenuWindow::*)()> choices[] = {
      {&HomepageItem, &MenuWindow::ChooseHomepage}, {&ProfessionalItem, &MenuWindow::ChooseProfessional},
      {&ExitItem, &MenuWindow::ChooseExit},         {&ShowItem, &MenuWindow::ChooseShow},
      {&AboutItem, &MenuWindow::ChooseAbout},       {&CloseItem, &MenuWindow::ChooseClose},
      {&SelectItem, &MenuWindow::ChooseSelect},
  };
  for (const auto& [item, choose] : choices) {
    item->button.GotFocus = [this, choose = choose] { (this->*choose)(); };
    item->label.Click = [this, choose = choose] { (this->*choose)(); };
  }
  AboutItem.label.Click = [this] { ChooseAboutAndShowIt(); };
  // The item under the pointer turns white, the others go back to the menu colour.
  for (Label* label : ItemLabels()) {
    label->MouseMove = [this, label](const MouseArgs&) {
      ResetMenuHighlight();
      label->SetBackColor(kWhite);
    };
  }
}

std::array<MenuItem*, 7> MenuWindow::Items() {
  return {&HomepageItem, &ProfessionalItem, &ExitItem, &ShowItem, &AboutItem, &CloseItem, &SelectItem};
}

std::array<Label*, 7> MenuWindow::ItemLabels() {
  std::array<Label*, 7> labels{};
  const std::array<MenuItem*, 7> items = Items();
  for (std::size_t n = 0; n < items.size(); ++n) labels[n] = &items[n]->label;
  return labels;
}

void MenuWindow::ResetMenuHighlight() {
  for (Label* label : ItemLabels()) label->SetBackColor(kMenuColor);
}

void MenuWindow::Form_Load() {
  SetLeft(PlaceOnAxis(anchor_.x, System().TwipsPerPixelX(), Width()));
  SetTop(PlaceOnAxis(anchor_.y, System().TwipsPerPixelY(), Height()));
  const char* caption = actions_.PictureShown() ? kShowHelpCaption : kShowPictureCaption;
  ShowItem.label.SetCaption(caption);
  ShowItem.button.SetCaption(caption);
  System().MakeTopMost(hWnd(), std::nullopt);
}

// Homepage: the page is requested, then the menu closes.
void MenuWindow::ChooseHomepage() {
  const std::uintptr_t hwnd = hWnd();
  System().OpenDocument(hwnd, maker::kHomePage, ShowState::Minimized);
  Unload();
}

// Get Professional: the menu closes, then the page is requested.
void MenuWindow::ChooseProfessional() {
  const std::uintptr_t hwnd = hWnd();
  Platform& system = System();
  Unload();
  system.OpenDocument(hwnd, maker::kProfessionalPage, ShowState::Minimized);
}

void MenuWindow::ChooseExit() { actions_.Exit(); }

// Show item: switches between the picture and the help panel.
void MenuWindow::ChooseShow() {
  if (ShowItem.label.Caption() == kShowHelpCaption) {
    ShowItem.label.SetCaption(kShowPictureCaption);
    ShowItem.button.SetCaption(kShowPictureCaption);
    actions_.ShowHelp();
    Unload();
  } else if (!actions_.HasPicture()) {
    // Nothing to switch to: the menu stays open so that a picture can be selected.
    System().ShowMessage(hWnd(), kNoPictureMessage, kAppTitle);
  } else {
    ShowItem.label.SetCaption(kShowHelpCaption);
    ShowItem.button.SetCaption(kShowHelpCaption);
    actions_.ShowPicture();
    Unload();
  }
}

void MenuWindow::ChooseAbout() { Unload(); }

// Only the label opens the About window; the access key just closes the menu.
void MenuWindow::ChooseAboutAndShowIt() {
  ChooseAbout();
  actions_.ShowAbout();
}

void MenuWindow::ChooseClose() { Unload(); }

void MenuWindow::ChooseSelect() { actions_.SelectPicture(); }

}  // namespace corvane
