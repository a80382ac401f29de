#include "windows/about/about_window.h"

#include "windows/maker.h"

namespace corvane {

namespace {

constexpr Color kGrey = 0xE0E0E0;
constexpr Color kBlue = 0xFF0000;

// Text in the button-text colour straight on the window's grey.
LabelLook Static(bool bold = false) {
  LabelLook look;
  look.font = {12, bold, false};
  look.ground = Ground::Transparent;
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

AboutWindow::AboutWindow(ControlRuntime& runtime, std::function<const Form*()> owner)
    : Form(runtime, {WindowKind::Framed, "About Corvane", 4890, 2520, kGrey}), owner_(std::move(owner)) {
  Add({&FooterDate, &NoticeDate, &HomepageLink, &EmailLink, &HomepageCaption, &EmailCaption, &OwnershipNotice,
       &ProductLine});
  FooterDate.Define({2160, 2160, 1200, 300}, "25/07/2003", Static());
  NoticeDate.Define({1800, 840, 1200, 300}, "25/07/2003", Static());
  HomepageLink.Define({1560, 1800, 2700, 300}, maker::kHomeAddress, Link());
  EmailLink.Define({1560, 1320, 3150, 300}, maker::kEmail, Link());
  HomepageCaption.Define({120, 1800, 1245, 300}, "Homepage:", Static());
  EmailCaption.Define({720, 1320, 645, 300}, "Email:", Static());
  OwnershipNotice.Define({1200, 480, 2535, 300}, maker::kOwnershipNotice, Static());
  ProductLine.Define({720, 120, 3945, 300}, "Corvane Standard v0.002", Static(true));
  // The tab order runs up the drawing order.
  int tab = 7;
  for (Label* l : {&FooterDate, &NoticeDate, &HomepageLink, &EmailLink, &HomepageCaption, &EmailCaption,
                   &OwnershipNotice, &ProductLine})
    l->TabIndex = tab--;

  MouseMove = [this](const MouseArgs&) { LightLinks(nullptr); };
  EmailLink.MouseMove = [this](const MouseArgs&) { LightLinks(&EmailLink); };
  HomepageLink.MouseMove = [this](const MouseArgs&) { LightLinks(&HomepageLink); };
  EmailLink.Click = [this] { WriteToTheMaker(); };
  HomepageLink.Click = [this] { OpenHomepage(); };
}

void AboutWindow::Form_Load() { System().MakeTopMost(hWnd(), std::nullopt); }

void AboutWindow::LightLinks(const Label* lit) {
  EmailLink.SetBackColor(lit == &EmailLink ? kLinkLit : kLinkAtRest);
  HomepageLink.SetBackColor(lit == &HomepageLink ? kLinkLit : kLinkAtRest);
}

void AboutWindow::WriteToTheMaker() {
  try {
    System().OpenDocument(hWnd(), "mailto:" + EmailLink.Caption(), ShowState::Normal);
  } catch (const Error&) {
    // No mail program, or no way to ask for one: the click ends quietly.
  }
}

void AboutWindow::OpenHomepage() {
  try {
    System().OpenDocument(hWnd(), HomepageLink.Caption(), ShowState::Minimized);
  } catch (const Error&) {
    // The home page is a courtesy: a failure ends the click quietly.
  }
}

}  // namespace corvane
