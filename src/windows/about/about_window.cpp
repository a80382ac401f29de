#include "windows/about/corvane_about.h"

#include "app/maker.h"
#include "windows/picture/corvane_form1.h"

namespace corvane {

namespace {

constexpr Color kGrey = 0xE0E0E0;
constexpr Color kBlue = 0xFF0000;

// Text in the button-text colour straight on the window's grey.
LabelLook Static(bool bold = false) {
  LabelLook look;
  look.font = {12, bold, false};
  look.backStyle = 0;
  look.autoSize = true;
  return look;
}

LabelLook Link() {
  LabelLook look;
  look.font = {12, false, true};
  look.foreColor = kBlue;
  look.backColor = kLinkAtRest;
  look.autoSize = true;
  return look;
}

}  // namespace

CorvaneAbout& AboutWindow() { return SlotOf<CorvaneAbout>()(); }
bool AboutWindowLoaded() { return SlotOf<CorvaneAbout>().Loaded(); }

CorvaneAbout::CorvaneAbout() : Form({WindowKind::Framed, "About Corvane", 4890, 2520, kGrey}) {
  Add({&Label8, &Label7, &Label3, &Label2, &Label4, &Label6, &Label5, &Label1});
  Label8.Define({2160, 2160, 1200, 300}, "25/07/2003", Static());
  Label7.Define({1800, 840, 1200, 300}, "25/07/2003", Static());
  Label3.Define({1560, 1800, 2700, 300}, maker::kHomeAddress, Link());
  Label2.Define({1560, 1320, 3150, 300}, maker::kEmail, Link());
  Label4.Define({120, 1800, 1245, 300}, "Homepage:", Static());
  Label6.Define({720, 1320, 645, 300}, "Email:", Static());
  Label5.Define({1200, 480, 2535, 300}, maker::kOwnershipNotice, Static());
  Label1.Define({720, 120, 3945, 300}, "Corvane Standard v0.002", Static(true));
  int tab = 7;
  for (Label* l : {&Label8, &Label7, &Label3, &Label2, &Label4, &Label6, &Label5, &Label1}) l->TabIndex = tab--;

  MouseMove = [this](const MouseArgs& a) { Form_MouseMove(a); };
  Label2.MouseMove = [this](const MouseArgs& a) { Label2_MouseMove(a); };
  Label3.MouseMove = [this](const MouseArgs& a) { Label3_MouseMove(a); };
  Label2.Click = [this] { Label2_Click(); };
  Label3.Click = [this] { Label3_Click(); };
}

const Form* CorvaneAbout::Owner() const { return PictureWindowLoaded() ? &PictureWindow() : nullptr; }

void CorvaneAbout::Form_Load() {
  Sys().MakeTopMost(hWnd(), std::nullopt);
}

void CorvaneAbout::Form_MouseMove(const MouseArgs&) {
  Label2.SetBackColor(kLinkAtRest);
  Label3.SetBackColor(kLinkAtRest);
}

void CorvaneAbout::Label2_MouseMove(const MouseArgs&) {
  Label2.SetBackColor(kLinkLit);
  Label3.SetBackColor(kLinkAtRest);
}

void CorvaneAbout::Label3_MouseMove(const MouseArgs&) {
  Label2.SetBackColor(kLinkAtRest);
  Label3.SetBackColor(kLinkLit);
}

void CorvaneAbout::Label2_Click() {
  try {
    const std::uintptr_t hwnd = hWnd();
    const std::string address = Label2.Caption();
    Sys().OpenDocument(hwnd, "mailto:" + address, ShowState::Normal);
  } catch (const std::exception&) {
    // No mail program, or no way to ask for one: the click ends quietly.
  }
}

void CorvaneAbout::Label3_Click() {
  try {
    const std::uintptr_t hwnd = hWnd();
    const std::string address = Label3.Caption();
    Sys().OpenDocument(hwnd, address, ShowState::Minimized);
  } catch (const std::exception&) {
    // The home page is a courtesy: a failure ends the click quietly.
  }
}

}  // namespace corvane
