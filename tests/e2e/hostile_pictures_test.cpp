// Pictures whose lengths lie or that end long before their header says, saved as the picture
// to show: each program gives the help panel at the saved place, as for any picture it cannot
// show, and goes on answering. (Dropped and pasted: drop_and_paste_test.cpp; chosen in the
// Select dialog: picture_kinds_test.cpp.)
#include <gtest/gtest.h>

#include "corvane.h"
#include "input.h"

namespace corvane::e2e {
namespace {

struct RefusedCase {
  const char* name;
  const char* fixture;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.fixture; }

class FromTheRecord : public testing::TestWithParam<RefusedCase> {};

TEST_P(FromTheRecord, GivesTheHelpPanelAtTheSavedPlaceAndTheProgramAnswers) {
  const RefusedCase& c = GetParam();
  App app;
  const std::string path = AddFixture(app, c.fixture);
  ASSERT_TRUE(StartWithSettings(app, EncodeSettings({3000, 1500, NativeTarget() ? path : Cp1252(path)})));
  const Point place{200, 100};
  ASSERT_TRUE(WaitForPictureWindowAt(app, {place.x, place.y, kHelpWidth, kHelpHeight}));
  EXPECT_TRUE(WaitForScreen(
      {place.x, place.y, kHelpWidth, kHelpHeight}, "the help panel's ground",
      [&](const Image& shot) {
        return SpotsHold(shot, {{"green", {place.x + 20, place.y + 150}, kGroundGreen, 8}});
      },
      c.name));
  // It answers: the double click saves and ends it.
  DoubleClick({place.x + 20, place.y + 150});
  ASSERT_TRUE(app.WaitForExit(20s));
  EXPECT_TRUE(app.Exit()->Exited()) << app.Exit()->Describe();
  EXPECT_EQ(ReadSettingsRecord(app), (SettingsRecord{3000, 1500, kNoPictureMarker}));
}

INSTANTIATE_TEST_SUITE_P(HostilePictures, FromTheRecord,
                         testing::Values(RefusedCase{"PngChunkClaimingAGigabyte", "itxt-claims-1g.png"},
                                         RefusedCase{"CutShort8000Png", "cut-short8000.png"},
                                         RefusedCase{"CutShort8000Jpeg", "cut-short8000.jpg"}),
                         [](const testing::TestParamInfo<RefusedCase>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace corvane::e2e
