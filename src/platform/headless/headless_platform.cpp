#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace corvane {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string HexText(std::uintptr_t v) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), digits[v & 0xF]);
    v >>= 4;
  } while (v);
  return "0x" + out;
}

class HeadlessPicture : public Picture {
 public:
  explicit HeadlessPicture(PixelSize size) : size_(size) {}
  PixelSize Size() const override { return size_; }

 private:
  PixelSize size_;
};

// An animation that records each step and changes nothing but its frame counter.
class HeadlessAnimatedPicture : public Picture {
 public:
  HeadlessAnimatedPicture(HeadlessPlatform& platform, const HeadlessPlatform::Animation& animation)
      : platform_(platform), size_(animation.size), clock_(animation.frames, animation.size, animation.repeats) {}
  PixelSize Size() const override { return size_; }
  int FrameDelay() const override { return clock_.CurrentDelay(); }
  PixelRect NextFrame() override {
    const auto step = clock_.Advance();
    platform_.calls.push_back({"NextFrame", {std::to_string(step.frame)}});
    return step.changed;
  }

 private:
  HeadlessPlatform& platform_;
  PixelSize size_;
  pictures::AnimationClock clock_;
};

class HeadlessFile : public BinaryFile {
 public:
  HeadlessFile(HeadlessPlatform& platform, HeadlessPlatform::File& file, std::string path, bool writable)
      : platform_(platform), file_(file), path_(std::move(path)), writable_(writable) {}
  ~HeadlessFile() override { platform_.calls.push_back({"CloseFile", {path_}}); }

  void Write(std::uint64_t offset, const std::string& bytes) override {
    if (!writable_) throw Error("Access is denied.");
    const auto at = static_cast<std::size_t>(offset);
    if (file_.bytes.size() < at + bytes.size()) file_.bytes.resize(at + bytes.size(), '\0');
    std::copy(bytes.begin(), bytes.end(), file_.bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }

  std::string Read(std::uint64_t offset, std::size_t count) override {
    const auto at = static_cast<std::size_t>(offset);
    if (file_.bytes.size() < at + count) throw Error("Input past end of file");
    return file_.bytes.substr(at, count);
  }

 private:
  HeadlessPlatform& platform_;
  HeadlessPlatform::File& file_;
  std::string path_;
  bool writable_;
};

// A canvas that keeps what was drawn.
class RecordingCanvas : public Canvas {
 public:
  std::vector<DrawOp> ops;
  void FillRect(const PixelRect& r, Color rgb) override { ops.push_back({DrawOp::Fill, r, {}, {}, rgb, {}, 0, {}}); }
  void DrawString(int x, int y, std::string_view text, const FontSpec& font, Color rgb,
                  const PixelRect& clip) override {
    ops.push_back({DrawOp::Text, clip, std::string(text), font, rgb, {x, y}, 0, {}});
  }
  void DrawPicture(const Picture&, int x, int y, const PixelRect& clip) override {
    ops.push_back({DrawOp::Picture, clip, {}, {}, 0, {x, y}, 0, {}});
  }
  void DrawPictureScaled(const Picture&, const PixelRect& shown, const PixelRect& clip) override {
    ops.push_back({DrawOp::ScaledPicture, clip, {}, {}, 0, {shown.left, shown.top}, 0, shown});
  }
  void DrawLine(PixelPoint from, PixelPoint to, int width, Color rgb, const PixelRect&) override {
    ops.push_back({DrawOp::LineOp, {from.x, from.y, to.x, to.y}, {}, {}, rgb, {}, width, {}});
  }
};

}  // namespace

HeadlessPlatform::HeadlessPlatform() {
  textWidth = [this](const FontSpec& font, std::string_view text) {
    const int charWidth = static_cast<int>(std::lround(PointsOnScreen(font) * 5 / 6)) + (font.bold ? 1 : 0);
    return charWidth * static_cast<int>(text.size());
  };
}

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::Record(std::string name, std::vector<std::string> args) {
  calls.push_back({std::move(name), std::move(args)});
}

std::string HeadlessPlatform::HandleText(std::uintptr_t value) { return HexText(value); }

std::vector<std::string> HeadlessPlatform::CallNames() const {
  std::vector<std::string> names;
  for (const RecordedCall& c : calls) names.push_back(c.name);
  return names;
}

const RecordedCall* HeadlessPlatform::LastCall(const std::string& name) const {
  for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
    if (it->name == name) return &*it;
  }
  return nullptr;
}

int HeadlessPlatform::CountCalls(const std::string& name) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [&](const RecordedCall& c) { return c.name == name; }));
}

HeadlessWindow* HeadlessPlatform::WindowOf(std::uintptr_t handle) const {
  for (HeadlessWindow* w : windows) {
    if (w->Handle() == handle) return w;
  }
  return nullptr;
}

void HeadlessPlatform::MakeTopMost(std::uintptr_t window, std::optional<PixelPoint> place) {
  Record("MakeTopMost", {HexText(window), place ? std::to_string(place->x) + "," + std::to_string(place->y) : "kept"});
  HeadlessWindow* w = WindowOf(window);
  if (!w || w->Destroyed()) return;
  w->topMost = true;
  if (place) w->MoveTo(*place);
}

void HeadlessPlatform::BeginSystemMove(std::uintptr_t window) {
  Record("BeginSystemMove", {HexText(window)});
  HeadlessWindow* w = WindowOf(window);
  if (!w || w->Destroyed()) return;
  const PixelRect frame = w->Frame();
  w->MoveTo({frame.left + dragOffset.x, frame.top + dragOffset.y});
}

CursorPoint HeadlessPlatform::CursorPosition() {
  Record("CursorPosition");
  return cursor;
}

OpenFileAnswer HeadlessPlatform::ChooseFileToOpen(const OpenFileRequest& request) {
  Record("ChooseFileToOpen", {HexText(request.owner), request.title});
  if (!dialog) return {};
  return dialog(request);
}

void HeadlessPlatform::OpenDocument(std::uintptr_t owner, const std::string& target, ShowState show) {
  if (shellThrows) throw Error("the request could not be made");
  Record("OpenDocument", {HexText(owner), target, show == ShowState::Minimized ? "minimized" : "normal"});
}

Color HeadlessPlatform::SystemColor(int index) const {
  // Distinct stand-ins for the system colours, so that tests can tell them apart.
  return 0x010101u * static_cast<Color>(index + 1);
}

float HeadlessPlatform::PointsOnScreen(const FontSpec& font) const {
  // A font at another resolution than the screen's is as large as its points would be here.
  return font.dpi ? font.points * static_cast<float>(font.dpi) * twipsPerPixel / 1440.0f : font.points;
}

int HeadlessPlatform::MonitorDpi(const PixelRect& frame) const {
  if (monitorDpis.size() != monitors.size() || monitors.empty()) return 0;
  // The monitor that holds most of the window, the first when none holds any.
  std::size_t best = 0;
  long long bestArea = -1;
  for (std::size_t n = 0; n < monitors.size(); ++n) {
    const PixelRect common = monitors[n].Intersect(frame);
    const long long area = common.Empty() ? 0 : static_cast<long long>(common.Width()) * common.Height();
    if (area > bestArea) {
      best = n;
      bestArea = area;
    }
  }
  return monitorDpis[best];
}

FontMetrics HeadlessPlatform::MeasureFont(const FontSpec& font) {
  const int height = static_cast<int>(std::lround(PointsOnScreen(font) * 5 / 3));
  return {height, height * 4 / 5};
}

int HeadlessPlatform::TextWidth(const FontSpec& font, std::string_view text) { return textWidth(font, text); }

bool HeadlessPlatform::IsOnAnyMonitor(const PixelRect& screen) const {
  return std::any_of(monitors.begin(), monitors.end(),
                     [&](const PixelRect& m) { return !m.Intersect(screen).Empty(); });
}

std::unique_ptr<NativeWindow> HeadlessPlatform::CreateNativeWindow(const WindowLayout& layout, WindowEvents& events) {
  Record("CreateWindow", {layout.title});
  auto window = std::make_unique<HeadlessWindow>(*this, layout, events, nextHandle_);
  nextHandle_ += 0x10;
  return window;
}

void HeadlessPlatform::RunEventLoop(const std::function<void()>& idle) {
  while (!modalActions.empty()) {
    auto action = std::move(modalActions.front());
    modalActions.pop_front();
    action();
    idle();
  }
}

void HeadlessPlatform::RunModalLoop(const std::function<bool()>& done) {
  while (!done() && !modalActions.empty()) {
    auto action = std::move(modalActions.front());
    modalActions.pop_front();
    action();
  }
}

void HeadlessPlatform::EndProgram() {
  Record("EndProgram");
  ended = true;
  throw ProgramEnded{};
}

bool HeadlessPlatform::HandOverToRunningInstance(const std::string& message) {
  Record("HandOver");
  handedOver.push_back(message);
  return true;
}

std::string HeadlessPlatform::FullPath(const std::string& path) const {
  const bool absolute = (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
  return absolute ? path : workingFolder + "\\" + path;
}

void HeadlessPlatform::ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title) {
  Record("MessageBox", {HexText(owner), text, title});
}

std::shared_ptr<Picture> HeadlessPlatform::LoadPicture(const std::string& path) {
  Record("LoadPicture", {path});
  if (const auto animated = animatedPictures.find(path); animated != animatedPictures.end())
    return std::make_shared<HeadlessAnimatedPicture>(*this, animated->second);
  const auto it = pictureFiles.find(path);
  if (it == pictureFiles.end()) throw Error("File not found: " + path);
  return std::make_shared<HeadlessPicture>(it->second);
}

HeadlessPlatform::File* HeadlessPlatform::FindFile(const std::string& path) {
  const auto it = files.find(Lower(path));
  return it == files.end() ? nullptr : &it->second;
}

void HeadlessPlatform::PutFile(const std::string& path, const std::string& bytes) {
  File& f = files[Lower(path)];
  f.storedName = path.substr(path.find_last_of('\\') + 1);
  f.bytes = bytes;
}

std::string HeadlessPlatform::FindFileName(const std::string& path) {
  Record("FindFileName", {path});
  const File* f = FindFile(path);
  return f && !f->directory ? f->storedName : std::string();
}

std::unique_ptr<BinaryFile> HeadlessPlatform::OpenReadWrite(const std::string& path) {
  File* f = FindFile(path);
  if (f && (f->readOnly || f->directory)) throw Error("Access is denied.");
  if (!f) {
    if (folderReadOnly) throw Error("Access is denied.");
    PutFile(path, "");
    f = FindFile(path);
  }
  Record("OpenFile", {path});
  return std::make_unique<HeadlessFile>(*this, *f, path, true);
}

std::unique_ptr<BinaryFile> HeadlessPlatform::OpenToRead(const std::string& path) {
  File* f = FindFile(path);
  if (!f) throw Error("The system cannot find the file specified.");
  if (f->directory) throw Error("Access is denied.");
  Record("OpenFile", {path, "read"});
  return std::make_unique<HeadlessFile>(*this, *f, path, false);
}

std::optional<std::string> HeadlessPlatform::ToAnsi(std::string_view text) const {
  // The stand-in code page is Latin-1: code points up to U+00FF, one byte each.
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::string HeadlessPlatform::FromAnsi(std::string_view bytes) const {
  std::string out;
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string HeadlessPlatform::ShortPathName(const std::string& path) const {
  const auto it = shortPaths.find(path);
  return it == shortPaths.end() ? std::string() : it->second;
}

namespace {

// A clipboard picture that becomes an in-memory PNG file the headless loader then reads.
class HeadlessClipboardImage : public ClipboardImage {
 public:
  HeadlessClipboardImage(HeadlessPlatform& platform, PixelSize size, std::string extension)
      : platform_(platform), size_(size), extension_(std::move(extension)) {}
  std::string Extension() const override { return extension_; }
  void Save(const std::string& path) const override {
    platform_.calls.push_back({"Save", {path}});
    if (platform_.FindFile(path)) throw Error("The file exists.");
    if (platform_.folderReadOnly) throw Error("Access is denied.");
    platform_.PutFile(path, "\x89PNG");
    platform_.pictureFiles[path] = size_;
  }

 private:
  HeadlessPlatform& platform_;
  PixelSize size_;
  std::string extension_;
};

}  // namespace

ClipboardPicture HeadlessPlatform::ReadClipboardPicture() {
  Record("ReadClipboardPicture");
  if (!clipboardError.empty()) throw Error(clipboardError);
  ClipboardPicture picture;
  picture.file = clipboardFile;
  if (clipboardFile.empty() && clipboardImage)
    picture.image = std::make_unique<HeadlessClipboardImage>(*this, *clipboardImage, clipboardImageExtension);
  return picture;
}

// --- HeadlessWindow ---

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, const WindowLayout& layout, WindowEvents& events,
                               std::uintptr_t handle)
    : platform_(platform), layout_(layout), events_(events), handle_(handle), client_(layout.clientSize) {
  platform_.windows.push_back(this);
  dpi_ = platform_.MonitorDpi(Frame());
}

HeadlessWindow::~HeadlessWindow() { std::erase(platform_.windows, this); }

void HeadlessWindow::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  hotKey.clear();
  visible_ = false;
  timerMs = 0;
  platform_.Record("DestroyWindow", {HexText(handle_), layout_.title});
}

PixelRect HeadlessWindow::Frame() const {
  if (layout_.kind != WindowKind::Framed)
    return {origin_.x, origin_.y, origin_.x + client_.width, origin_.y + client_.height};
  return {origin_.x, origin_.y, origin_.x + client_.width + 2 * kBorder,
          origin_.y + client_.height + kTitleBar + kBorder};
}

void HeadlessWindow::MoveTo(PixelPoint outerTopLeft) {
  origin_ = outerTopLeft;
  // As a system that scales each monitor on its own: a window that now lies mostly on a
  // monitor of another scale hears of its new resolution, with its size scaled to it.
  const int dpi = platform_.MonitorDpi(Frame());
  if (dpi == 0 || dpi_ == 0 || dpi == dpi_ || destroyed_) return;
  const PixelRect frame = Frame();
  const auto scaled = [&](int length) {
    return static_cast<int>(std::lround(static_cast<double>(length) * dpi / dpi_));
  };
  ChangeDpi({dpi, {frame.left, frame.top, frame.left + scaled(frame.Width()), frame.top + scaled(frame.Height())}});
}

void HeadlessWindow::ChangeDpi(const DpiChange& change) {
  dpi_ = change.dpi;
  platform_.Record("DpiChanged", {layout_.title, std::to_string(change.dpi)});
  events_.OnDpiChanged(change);
}

void HeadlessWindow::SetClientSize(PixelSize size) { client_ = size; }

void HeadlessWindow::Show() {
  if (destroyed_) return;
  visible_ = true;
}

void HeadlessWindow::Hide() { visible_ = false; }

void HeadlessWindow::StartTimer(int milliseconds) {
  platform_.Record("StartTimer", {layout_.title, std::to_string(milliseconds)});
  timerMs = destroyed_ ? 0 : milliseconds;
}

void HeadlessWindow::SetOpacity(int percent) { opacity = percent; }

bool HeadlessWindow::FireTimer() {
  if (timerMs == 0 || destroyed_) return false;
  timerMs = 0;  // one-shot
  events_.OnTimer();
  return true;
}

std::string HeadlessPlatform::HotKeyText(int modifiers, char letter) {
  std::string text;
  if (modifiers & kCtrl) text += "Ctrl+";
  if (modifiers & kAlt) text += "Alt+";
  if (modifiers & kShift) text += "Shift+";
  return text + letter;
}

void HeadlessWindow::SetClickThrough(bool on) {
  platform_.Record("SetClickThrough", {layout_.title, on ? "on" : "off"});
  if (on && platform_.clickThroughFails) throw Error("Headless: SetWindowLongPtr failed: refused");
  clickThrough = on;
}

bool HeadlessWindow::RegisterHotKey(int modifiers, char letter) {
  const std::string key = HeadlessPlatform::HotKeyText(modifiers, letter);
  platform_.Record("RegisterHotKey", {layout_.title, key});
  if (platform_.hotKeysFail) throw Error("Headless: RegisterHotKey failed: refused");
  if (std::find(platform_.takenHotKeys.begin(), platform_.takenHotKeys.end(), key) != platform_.takenHotKeys.end()) {
    return false;
  }
  hotKey = key;
  return true;
}

void HeadlessWindow::UnregisterHotKey() {
  platform_.Record("UnregisterHotKey", {layout_.title});
  hotKey.clear();
}

bool HeadlessWindow::PressHotKey() {
  if (hotKey.empty() || destroyed_) return false;
  events_.OnHotKey();
  return true;
}

std::vector<DrawOp> HeadlessWindow::Render() {
  RecordingCanvas canvas;
  events_.OnPaint(canvas, {0, 0, client_.width, client_.height});
  return canvas.ops;
}

}  // namespace corvane
