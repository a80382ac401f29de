// The one face at the layouts' sizes: found by fontconfig, measured and drawn by cairo.
#include <cairo-ft.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/gtk/font_cache.h"
#include "platform/gtk/font_map.h"
#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/settings_place.h"

namespace corvane::gtk {

namespace {

int FaceKey(const FaceChoice& face) { return face.pixelSize * 2 + (face.bold ? 1 : 0); }

// The resolution `font` is measured and drawn at: its own, else the screen's.
double ResolutionOf(const FontSpec& font, double screen) { return font.dpi > 0 ? font.dpi : screen; }

int IntSetting(GdkScreen* screen, const char* name) {
  ScopedValue value(G_TYPE_INT);
  return gdk_screen_get_setting(screen, name, value.Get()) ? g_value_get_int(value.Get()) : -1;
}

std::string StringSetting(GdkScreen* screen, const char* name) {
  ScopedValue value(G_TYPE_STRING);
  const char* found = gdk_screen_get_setting(screen, name, value.Get()) ? g_value_get_string(value.Get()) : nullptr;
  return found ? found : "";
}

// The value `name` stands for in `table`; `otherwise` for a name it lacks.
template <typename T, std::size_t N>
T Named(std::string_view name, const std::pair<std::string_view, T> (&table)[N], T otherwise) {
  for (const auto& [text, value] : table) {
    if (name == text) return value;
  }
  return otherwise;
}

constexpr std::pair<std::string_view, cairo_hint_style_t> kHintStyles[] = {{"hintnone", CAIRO_HINT_STYLE_NONE},
                                                                           {"hintslight", CAIRO_HINT_STYLE_SLIGHT},
                                                                           {"hintmedium", CAIRO_HINT_STYLE_MEDIUM},
                                                                           {"hintfull", CAIRO_HINT_STYLE_FULL}};
constexpr std::pair<std::string_view, cairo_subpixel_order_t> kSubpixelOrders[] = {{"rgb", CAIRO_SUBPIXEL_ORDER_RGB},
                                                                                   {"bgr", CAIRO_SUBPIXEL_ORDER_BGR},
                                                                                   {"vrgb", CAIRO_SUBPIXEL_ORDER_VRGB},
                                                                                   {"vbgr", CAIRO_SUBPIXEL_ORDER_VBGR}};

// The desktop's font settings (XSETTINGS' Xft/Antialias, Hinting, HintStyle and RGBA), turned
// into cairo's options as GTK turns them for its own text. Read from the screen: GTK's own
// copy exists only once it has loaded its settings and theme, for the first window.
ScopedFontOptions DesktopFontOptions() {
  ScopedFontOptions owned(cairo_font_options_create());
  cairo_font_options_t* options = owned.Get();
  GdkScreen* screen = gdk_screen_get_default();
  if (!screen) return owned;
  const cairo_hint_style_t hintStyle =
      IntSetting(screen, "gtk-xft-hinting") == 0
          ? CAIRO_HINT_STYLE_NONE
          : Named(StringSetting(screen, "gtk-xft-hintstyle"), kHintStyles, CAIRO_HINT_STYLE_DEFAULT);
  cairo_font_options_set_hint_style(options, hintStyle);
  const cairo_subpixel_order_t order =
      Named(StringSetting(screen, "gtk-xft-rgba"), kSubpixelOrders, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  cairo_font_options_set_subpixel_order(options, order);
  const int antialias = IntSetting(screen, "gtk-xft-antialias");
  if (antialias == 0) {
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
  } else if (antialias == 1) {
    cairo_font_options_set_antialias(
        options, order == CAIRO_SUBPIXEL_ORDER_DEFAULT ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_SUBPIXEL);
  }
  return owned;
}

// The font options of the surfaces GTK draws windows on (the X screen's antialiasing, hinting
// and subpixel order), with the desktop's own settings over them. cairo merges a surface's
// options under those of the font drawn on it: given in full, the font drawn is the very one
// that was measured and loaded ahead.
ScopedFontOptions ScreenFontOptions() {
  ScopedFontOptions options(cairo_font_options_create());
  if (GdkWindow* root = gdk_get_default_root_window()) {
    const ScopedSurface surface(gdk_window_create_similar_surface(root, CAIRO_CONTENT_COLOR, 1, 1));
    cairo_surface_get_font_options(surface.Get(), options.Get());
  }
  cairo_font_options_merge(options.Get(), DesktopFontOptions().Get());
  // Whole-pixel advances and line metrics, as the layouts were made for.
  cairo_font_options_set_hint_metrics(options.Get(), CAIRO_HINT_METRICS_ON);
  return options;
}

// A pattern in fontconfig's name syntax, which FcNameParse reads back.
std::string NameOf(FcPattern* pattern) {
  const ScopedFcString name(FcNameUnparse(pattern));
  return name ? reinterpret_cast<const char*>(name.Get()) : "";
}

// A pattern read back from fontconfig's name syntax; empty when the text is not one.
ScopedPattern ParsedPattern(const std::string& name) {
  return ScopedPattern(FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str())));
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string XdgFolder(const char* name, const char* fallback) {
  return XdgBaseFolder(Environment(name), Environment("HOME"), fallback);
}

// What kept answers depend on besides the files they were read from: the libraries that gave
// them and the environment that tells fontconfig where its configuration is.
std::string AnswersContext() {
  std::string context = "fontconfig " + std::to_string(FcGetVersion()) + " cairo " + cairo_version_string();
  for (const char* name :
       {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    context += ' ';
    context += name;
    if (const char* value = std::getenv(name)) {
      context += '=';
      context += value;
    } else {
      context += " unset";
    }
  }
  return context;
}

void AddAll(const ScopedStrList& list, std::set<std::string>& paths) {
  if (!list) return;
  while (FcChar8* path = FcStrListNext(list.Get())) paths.insert(reinterpret_cast<const char*>(path));
}

// The stamps of everything fontconfig's answers now come from: its configuration files and the
// folders holding them, its font folders, the fonts answered with, and the places a user's own
// configuration and fonts go (most often absent: creating one changes its stamp).
std::vector<FileStamp> AnswerStamps(const std::map<std::string, std::string>& faces) {
  std::set<std::string> paths;
  AddAll(ScopedStrList(FcConfigGetConfigFiles(nullptr)), paths);
  for (const std::string& file : std::vector<std::string>(paths.begin(), paths.end())) {
    if (const std::size_t slash = file.rfind('/'); slash != std::string::npos && slash > 0)
      paths.insert(file.substr(0, slash));
  }
  AddAll(ScopedStrList(FcConfigGetConfigDirs(nullptr)), paths);
  AddAll(ScopedStrList(FcConfigGetFontDirs(nullptr)), paths);
  for (const auto& [request, answer] : faces) {
    if (const ScopedPattern match = ParsedPattern(answer)) {
      FcChar8* file = nullptr;  // the pattern's own
      if (FcPatternGetString(match.Get(), FC_FILE, 0, &file) == FcResultMatch)
        paths.insert(reinterpret_cast<const char*>(file));
    }
  }
  const std::string config = XdgFolder("XDG_CONFIG_HOME", "/.config") + "/fontconfig";
  const std::string home = Environment("HOME");
  for (const std::string& place :
       {config, config + "/conf.d", config + "/fonts.conf", home + "/.fonts.conf", home + "/.fonts.conf.d",
        XdgFolder("XDG_DATA_HOME", "/.local/share") + "/fonts", home + "/.fonts"}) {
    paths.insert(place);
  }
  std::vector<FileStamp> stamps;
  for (const std::string& path : paths) {
    if (!path.empty() && path.front() == '/') stamps.push_back(StampOf(path));
  }
  return stamps;
}

}  // namespace

Fonts::Fonts(double dpi) : dpi_(dpi), options_(ScreenFontOptions()) {
  try {
    loading_ = std::thread([this] { LoadLayoutFonts(); });
  } catch (const std::system_error&) {
    // No thread to spare: the fonts load when the first text needs them.
  }
}

Fonts::~Fonts() { TakeFonts(); }

bool Fonts::FollowScreenOptions() {
  // The loading thread only reads the options: it is waited for only when they change.
  ScopedFontOptions now = ScreenFontOptions();
  if (cairo_font_options_equal(now.Get(), options_.Get())) return false;
  TakeFonts();
  runs_.clear();
  faces_.clear();
  options_ = std::move(now);
  return true;
}

void Fonts::TakeFonts() const {
  if (!loading_.joinable()) return;
  stop_ = true;
  loading_.join();
}

// Finding the faces (reading fontconfig's configuration unless its answers are kept) and
// loading them: the slowest steps before the first text is measured. The glyphs are left to the
// text that uses them.
void Fonts::LoadLayoutFonts() const {
  for (const FontSpec& font : kLayoutFonts) {
    if (stop_) break;
    FaceOf(font, false);
  }
  if (answersChanged_) SaveAnswers();
}

const Fonts::Face& Fonts::FaceOf(const FontSpec& font, bool save) const {
  const int key = FaceKey(ChooseFace(font, ResolutionOf(font, dpi_)));
  auto found = faces_.find(key);
  if (found == faces_.end()) {
    found = faces_.emplace(key, LoadFace(font)).first;
    if (save && answersChanged_) SaveAnswers();
  }
  return found->second;
}

Fonts::Face Fonts::LoadFace(const FontSpec& font) const {
  const FaceChoice choice = ChooseFace(font, ResolutionOf(font, dpi_));
  const ScopedPattern request = ParsedPattern(choice.families);
  if (!request) return {};
  FcPatternAddDouble(request.Get(), FC_PIXEL_SIZE, choice.pixelSize);
  FcPatternAddInteger(request.Get(), FC_WEIGHT, choice.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(request.Get(), FC_SLANT, FC_SLANT_ROMAN);
  // The request as kept: with the screen's options and the defaults (the locale's language
  // among them), neither of which needs the configuration.
  const ScopedPattern whole(FcPatternDuplicate(request.Get()));
  cairo_ft_font_options_substitute(options_.Get(), whole.Get());
  FcDefaultSubstitute(whole.Get());
  const std::string key = NameOf(whole.Get());

  ReadAnswers();
  if (auto kept = answers_.faces.find(key); kept != answers_.faces.end()) {
    if (const ScopedPattern match = ParsedPattern(kept->second)) {
      if (Face face = FaceOfMatch(match.Get(), choice); face.font) return face;
    }
    answers_.faces.erase(kept);  // its file no longer loads: asked again
    answersChanged_ = true;
  }

  FcConfigSubstitute(nullptr, request.Get(), FcMatchPattern);
  cairo_ft_font_options_substitute(options_.Get(), request.Get());
  FcDefaultSubstitute(request.Get());
  FcResult result = FcResultNoMatch;
  const ScopedPattern match(FcFontMatch(nullptr, request.Get(), &result));
  if (!match) return {};
  Face face = FaceOfMatch(match.Get(), choice);
  if (face.font) {
    // What the font needs to be found and rendered again; its character and language sets
    // are large and not needed for that.
    const ScopedPattern kept(FcPatternDuplicate(match.Get()));
    FcPatternDel(kept.Get(), FC_CHARSET);
    FcPatternDel(kept.Get(), FC_LANG);
    answers_.faces[key] = NameOf(kept.Get());
    answersChanged_ = true;
  }
  return face;
}

Fonts::Face Fonts::FaceOfMatch(FcPattern* match, const FaceChoice& choice) const {
  const ScopedFontFace fontFace(cairo_ft_font_face_create_for_pattern(match));
  cairo_matrix_t size;
  cairo_matrix_t identity;
  cairo_matrix_init_scale(&size, choice.pixelSize, choice.pixelSize);
  cairo_matrix_init_identity(&identity);
  Face face;
  face.font.Reset(cairo_scaled_font_create(fontFace.Get(), &size, &identity, options_.Get()));
  if (cairo_scaled_font_status(face.font.Get()) != CAIRO_STATUS_SUCCESS) return {};
  cairo_font_extents_t extents;
  cairo_scaled_font_extents(face.font.Get(), &extents);
  face.ascent = static_cast<int>(std::lround(extents.ascent));
  face.descent = static_cast<int>(std::lround(extents.descent));
  // The face's own underline: its centre line and thickness, in font units.
  face.underlineTop = face.descent > 1 ? face.descent / 2 : 1;
  if (FT_Face ft = cairo_ft_scaled_font_lock_face(face.font.Get())) {
    if (ft->units_per_EM > 0 && ft->underline_thickness > 0) {
      const double scale = static_cast<double>(choice.pixelSize) / ft->units_per_EM;
      const double thickness = ft->underline_thickness * scale;
      face.underlineHeight = std::max(1, static_cast<int>(std::lround(thickness)));
      face.underlineTop = static_cast<int>(std::lround(-ft->underline_position * scale - thickness / 2));
    }
    cairo_ft_scaled_font_unlock_face(face.font.Get());
  }
  return face;
}

void Fonts::ReadAnswers() const {
  if (answersRead_) return;
  answersRead_ = true;
  answersPath_ = FontAnswersPath(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
  if (answersPath_.empty()) return;
  std::optional<FontAnswers> kept = ReadFontAnswers(answersPath_);
  if (kept && kept->context == AnswersContext() && StampsHold(kept->stamps)) answers_ = std::move(*kept);
}

// Called once fontconfig has answered afresh, so its configuration is loaded.
void Fonts::SaveAnswers() const {
  answersChanged_ = false;
  if (answersPath_.empty()) return;
  answers_.context = AnswersContext();
  answers_.stamps = AnswerStamps(answers_.faces);
  WriteFontAnswers(answersPath_, answers_);
}

const Fonts::Run& Fonts::RunOf(const FontSpec& font, const Face& face, std::string_view text) const {
  const int faceKey = FaceKey(ChooseFace(font, ResolutionOf(font, dpi_)));
  std::string key(sizeof faceKey, '\0');
  std::memcpy(key.data(), &faceKey, sizeof faceKey);
  key.append(text);
  auto found = runs_.find(key);
  if (found != runs_.end()) return found->second;
  Run run;
  ScopedGlyphs glyphs;
  int count = 0;
  if (face.font &&
      cairo_scaled_font_text_to_glyphs(face.font.Get(), 0, 0, text.data(), static_cast<int>(text.size()), glyphs.Put(),
                                       &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS) {
    run.glyphs.assign(glyphs.Get(), glyphs.Get() + count);
    cairo_text_extents_t extents;
    cairo_scaled_font_glyph_extents(face.font.Get(), glyphs.Get(), count, &extents);
    run.width = static_cast<int>(std::lround(extents.x_advance));
  }
  if (runs_.size() >= kCachedRuns) runs_.clear();
  return runs_.emplace(std::move(key), std::move(run)).first->second;
}

FontMetrics Fonts::Metrics(const FontSpec& font) const {
  TakeFonts();
  const Face& face = FaceOf(font);
  return {face.ascent + face.descent, face.ascent};
}

int Fonts::Width(const FontSpec& font, std::string_view text) const {
  TakeFonts();
  return text.empty() ? 0 : RunOf(font, FaceOf(font), text).width;
}

void Fonts::Draw(cairo_t* cr, int x, int y, const FontSpec& font, std::string_view text) const {
  TakeFonts();
  const Face& face = FaceOf(font);
  if (!face.font || text.empty()) return;
  const Run& run = RunOf(font, face, text);
  const ScopedCairoState saved(cr);
  cairo_translate(cr, x, y + face.ascent);
  cairo_set_scaled_font(cr, face.font.Get());
  cairo_show_glyphs(cr, run.glyphs.data(), static_cast<int>(run.glyphs.size()));
  if (font.underline) {
    cairo_rectangle(cr, 0, face.underlineTop, run.width, face.underlineHeight);
    cairo_fill(cr);
  }
}

}  // namespace corvane::gtk
