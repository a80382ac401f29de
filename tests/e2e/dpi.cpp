#include "dpi.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "probe.h"

namespace corvane::e2e {

namespace {

ProbeRecord LogPixels(const std::vector<std::string>& args) {
  const auto records = RunProbe(args).OfKind("logpixels");
  if (records.size() != 1) throw std::runtime_error("probe printed no logpixels record");
  return records.front();
}

}  // namespace

ScopedLogPixels::ScopedLogPixels(int dpi) {
  const ProbeRecord before = LogPixels({"logpixels"});
  user_ = before.Text("user");
  config_ = before.Text("config");
  LogPixels({"set-logpixels", std::to_string(dpi), std::to_string(dpi)});
  if (ScreenDpi() != dpi) throw std::runtime_error("Wine does not take LogPixels " + std::to_string(dpi));
}

ScopedLogPixels::~ScopedLogPixels() {
  try {
    LogPixels({"set-logpixels", user_, config_});
  } catch (const std::exception& e) {
    ADD_FAILURE() << "could not restore LogPixels: " << e.what();
  }
}

int ScreenDpi() { return static_cast<int>(LogPixels({"logpixels"}).Number("device")); }

}  // namespace corvane::e2e
