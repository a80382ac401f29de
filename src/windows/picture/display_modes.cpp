#include "windows/picture/display_modes.h"

#include "windows/picture/picture_window.h"

namespace corvane {

void BringIntoReach(PictureWindow& form) {
  if (form.System().IsOnAnyMonitor(form.ScreenBounds())) return;
  form.SetLeft(static_cast<float>(kDefaultWindowLeft));
  form.SetTop(static_cast<float>(kDefaultWindowTop));
}

void ShowHelpMode(PictureWindow& form) {
  for (Label* label : form.HelpLines()) label->SetVisible(true);
  form.PictureBox.SetVisible(false);
  form.SiteLink.SetVisible(false);
  form.SetHeight(kHelpPanelHeight);
  form.SetWidth(kHelpPanelWidth);
}

void ShowPictureMode(PictureWindow& form) {
  for (Label* label : form.HelpLines()) label->SetVisible(false);
  form.PictureBox.SetVisible(true);
  form.SiteLink.SetVisible(true);
  form.SetHeight(form.PictureBox.Height());
  form.SetWidth(form.PictureBox.Width());
}

}  // namespace corvane
