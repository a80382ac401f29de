// The screen resolution Wine gives the programs it starts. Wine reads LogPixels when a process
// starts: first HKCU\Control Panel\Desktop, then HKEY_CURRENT_CONFIG\Software\Fonts. Set it
// before App::Start:
//
//   ScopedLogPixels dpi(144);  // 1.5 times the usual 96; 10 twips per pixel
//   App app;
//   app.Start();
#pragma once

#include <string>

namespace corvane::e2e {

class ScopedLogPixels {
 public:
  explicit ScopedLogPixels(int dpi);  // writes both values
  ~ScopedLogPixels();                 // puts back what was there, or removes what was not
  ScopedLogPixels(const ScopedLogPixels&) = delete;
  ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;

 private:
  std::string user_;  // the earlier values as probe prints them, "-" for none
  std::string config_;
};

// The resolution a newly started Windows program sees (GetDeviceCaps LOGPIXELSX).
int ScreenDpi();

}  // namespace corvane::e2e
