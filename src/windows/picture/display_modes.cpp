#include "windows/picture/display_modes.h"

#include "app/app_state.h"
#include "windows/picture/corvane_form1.h"

namespace corvane {

void BringIntoReach(CorvaneForm1& form) {
  if (Sys().IsOnAnyMonitor(form.ScreenBounds())) return;
  const SettingsRecordData defaults = DefaultSettings();
  form.SetLeft(static_cast<float>(defaults.WindowLeft));
  form.SetTop(static_cast<float>(defaults.WindowTop));
}

void ShowHelpMode() {
  CorvaneForm1& form = PictureWindow();
  for (Label* label : form.HelpLabels()) label->SetVisible(true);
  form.Image1.SetVisible(false);
  form.Labelmy2.SetVisible(false);
  form.SetHeight(5145);
  form.SetWidth(6960);
}

void ShowPictureMode() {
  CorvaneForm1& form = PictureWindow();
  for (Label* label : form.HelpLabels()) label->SetVisible(false);
  form.Image1.SetVisible(true);
  form.Labelmy2.SetVisible(true);
  form.SetHeight(form.Image1.Height());
  form.SetWidth(form.Image1.Width());
}

}  // namespace corvane
