#include "controls/form.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace corvane {

namespace {

int ToPixels(float twips, float twipsPerPixel) { return static_cast<int>(std::nearbyint(twips / twipsPerPixel)); }

}  // namespace

// --- Form ---

Form::Form(ControlRuntime& runtime, FormLayout layout) : runtime_(runtime), layout_(std::move(layout)) {
  runtime_.liveForms_.push_back(this);
}

Form::~Form() { std::erase(runtime_.liveForms_, this); }

int Form::ToPixelsX(float twips) const { return ToPixels(twips, TwipsPerPixelX()); }
int Form::ToPixelsY(float twips) const { return ToPixels(twips, TwipsPerPixelY()); }

float Form::TwipsPerPixelX() const { return dpi_ ? 1440.0f / static_cast<float>(dpi_) : System().TwipsPerPixelX(); }
float Form::TwipsPerPixelY() const { return dpi_ ? 1440.0f / static_cast<float>(dpi_) : System().TwipsPerPixelY(); }

int Form::ResolvedDpi(int dpi) const {
  return dpi ? dpi : static_cast<int>(std::lround(1440.0 / static_cast<double>(System().TwipsPerPixelX())));
}

void Form::OnDpiChanged(const DpiChange& change) {
  runtime_.RunHandler([&] { TakeDpi(change.dpi, change.suggested); });
}

void Form::TakeDpi(int dpi, const PixelRect& frame) {
  if (!Loaded() || dpi <= 0) return;
  // Back to 0 at the screen's own resolution, so that fonts and sizes are the screen's again.
  dpi_ = dpi == ResolvedDpi(0) ? 0 : dpi;
  for (Control* c : controls_) c->Fit();
  SetScreenBounds(frame);
  AfterDpiChange();
  const PixelSize client = Window().ClientSize();
  InvalidatePixels({0, 0, client.width, client.height});
}

void Form::Add(std::initializer_list<Control*> controls) {
  for (Control* c : controls) {
    c->form_ = this;
    controls_.push_back(c);
  }
}

NativeWindow& Form::Window() const {
  if (!window_ || unloaded_) throw Error("the window '" + layout_.caption + "' is not loaded");
  return *window_;
}

void Form::Load() {
  if (window_ || unloaded_) return;
  WindowLayout ws;
  ws.kind = layout_.kind;
  ws.title = layout_.caption;
  ws.clientSize = {ToPixelsX(layout_.width), ToPixelsY(layout_.height)};
  if (const Form* owner = Owner(); owner && owner->Loaded()) ws.owner = owner->hWnd();
  window_ = System().CreateNativeWindow(ws, *this);
  if (FilesDropped) window_->AcceptFileDrops();
  for (Control* c : controls_) c->Fit();
  Form_Load();
}

void Form::Unload() {
  if (!Loaded()) return;
  unloaded_ = true;
  focus_ = pressed_ = hovered_ = nullptr;
  // The native object lives on until the form is freed: its window procedure may be the caller.
  window_->Destroy();
}

void Form::Show() {
  if (!Loaded()) Load();
  if (!Loaded()) return;
  // A window opens at the resolution of the monitor it opens on, growing from its top-left
  // corner.
  if (const int dpi = Window().Dpi(); dpi > 0 && dpi != ResolvedDpi(dpi_)) {
    const PixelRect frame = Window().Frame();
    const PixelSize client = Window().ClientSize();
    const double grow = static_cast<double>(dpi) / ResolvedDpi(dpi_);
    const auto grown = [grow](int length) { return static_cast<int>(std::lround(length * grow)); };
    TakeDpi(dpi, {frame.left, frame.top, frame.left + frame.Width() - client.width + grown(client.width),
                  frame.top + frame.Height() - client.height + grown(client.height)});
  }
  Window().Show();
  FocusFirst();
}

void Form::ShowModal() {
  Show();
  if (!Loaded()) return;
  std::vector<Form*> blocked;
  for (Form* f : runtime_.LiveForms()) {
    if (f != this && f->Loaded()) {
      if (f->modalBlocks_++ == 0) f->window_->SetEnabled(false);
      blocked.push_back(f);
    }
  }
  runtime_.RunModalLoop([this] { return !Visible(); });
  Form* next = nullptr;
  for (Form* f : blocked) {
    if (!runtime_.IsLive(f)) continue;
    if (--f->modalBlocks_ == 0 && f->Loaded()) {
      f->window_->SetEnabled(true);
      if (!next && f->Visible()) next = f;
    }
  }
  // The keyboard goes back to the window the modal one came over, as it would to an owner.
  if (next && !Visible()) next->window_->Activate();
}

void Form::Hide() {
  if (Loaded()) window_->Hide();
}

bool Form::Visible() const { return Loaded() && window_->IsVisible(); }

std::uintptr_t Form::hWnd() const { return Window().Handle(); }

float Form::Left() const { return static_cast<float>(Window().Frame().left) * System().TwipsPerPixelX(); }
float Form::Top() const { return static_cast<float>(Window().Frame().top) * System().TwipsPerPixelY(); }
float Form::Width() const { return static_cast<float>(Window().Frame().Width()) * TwipsPerPixelX(); }
float Form::Height() const { return static_cast<float>(Window().Frame().Height()) * TwipsPerPixelY(); }

PixelRect Form::ScreenBounds() const { return Window().Frame(); }

void Form::SetScreenBounds(const PixelRect& screen) {
  NativeWindow& w = Window();
  const PixelSize before = w.ClientSize();
  const PixelRect frame = w.Frame();
  w.MoveTo({screen.left, screen.top});
  w.SetClientSize({std::max(1, screen.Width() - (frame.Width() - before.width)),
                   std::max(1, screen.Height() - (frame.Height() - before.height))});
  if (w.ClientSize() != before) resized_ = true;
}

void Form::SetOpacity(int percent) {
  const int opacity = std::clamp(percent, 10, 100);
  if (opacity == opacity_) return;
  opacity_ = opacity;
  Window().SetOpacity(opacity_);
}

void Form::SetLeft(float twips) { Window().MoveTo({ToPixels(twips, System().TwipsPerPixelX()), Window().Frame().top}); }
void Form::SetTop(float twips) { Window().MoveTo({Window().Frame().left, ToPixels(twips, System().TwipsPerPixelY())}); }

void Form::SetWidth(float twips) {
  NativeWindow& w = Window();
  const PixelSize before = w.ClientSize();
  const int border = w.Frame().Width() - before.width;
  w.SetClientSize({std::max(0, ToPixelsX(twips) - border), before.height});
  if (w.ClientSize() != before) resized_ = true;
}

void Form::SetHeight(float twips) {
  NativeWindow& w = Window();
  const PixelSize before = w.ClientSize();
  const int border = w.Frame().Height() - before.height;
  w.SetClientSize({before.width, std::max(0, ToPixelsY(twips) - border)});
  if (w.ClientSize() != before) resized_ = true;
}

void Form::SettleResize() {
  if (!resized_ || !Loaded()) return;
  resized_ = false;
  AfterResize();
}

void Form::InvalidatePixels(const PixelRect& r) {
  if (Loaded()) window_->Invalidate(r);
}

void Form::ControlChanged(const Control& control, const PixelRect& before) {
  if (!Loaded()) return;
  window_->Invalidate(before);
  window_->Invalidate(control.PixelBounds());
  if (&control == hovered_ || !control.Visible()) window_->RefreshTooltip();
}

Control* Form::ControlAt(PixelPoint client) const {
  for (Control* c : controls_) {
    if (c->Visible() && c->TakesMouse() && c->PixelBounds().Contains(client)) return c;
  }
  return nullptr;
}

std::vector<Control*> Form::TabOrder() const {
  std::vector<Control*> order;
  for (Control* c : controls_) {
    if (c->TakesMouse()) order.push_back(c);  // lines have no place in the tab order
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const Control* a, const Control* b) { return a->TabIndex < b->TabIndex; });
  return order;
}

void Form::SetFocus(Control& control) {
  if (focus_ == &control) return;
  focus_ = &control;
  if (control.GotFocus) control.GotFocus();
}

void Form::FocusFirst() {
  for (Control* c : TabOrder()) {
    if (c->CanTakeFocus()) {
      SetFocus(*c);
      return;
    }
  }
}

void Form::MoveFocus(int step) {
  const std::vector<Control*> order = TabOrder();
  const auto n = static_cast<int>(order.size());
  const auto at = std::find(order.begin(), order.end(), focus_);
  int i = at == order.end() ? (step > 0 ? -1 : 0) : static_cast<int>(at - order.begin());
  for (int k = 0; k < n; ++k) {
    i = (i + step + n) % n;
    if (order[static_cast<std::size_t>(i)]->CanTakeFocus()) {
      SetFocus(*order[static_cast<std::size_t>(i)]);
      return;
    }
  }
}

bool Form::HandleAccessKey(char key) {
  const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  if (wanted == 0) return false;
  const std::vector<Control*> order = TabOrder();
  const auto n = static_cast<int>(order.size());
  const auto at = std::find(order.begin(), order.end(), focus_);
  const int start = at == order.end() ? -1 : static_cast<int>(at - order.begin());
  // The search starts after the focused control, so controls sharing a key take turns.
  for (int k = 1; k <= n; ++k) {
    const int i = (start + k + n) % n;
    Control* c = order[static_cast<std::size_t>(i)];
    if (!c->Visible() || c->AccessKey() != wanted) continue;
    if (c->CanTakeFocus()) {
      SetFocus(*c);
      return true;
    }
    // A label hands the focus to the next control in the tab order that can take it.
    for (int j = 1; j < n; ++j) {
      Control* next = order[static_cast<std::size_t>((i + j) % n)];
      if (next->CanTakeFocus()) {
        SetFocus(*next);
        return true;
      }
    }
    return true;
  }
  return false;
}

MouseArgs Form::ArgsFor(const Control* control, const MouseEvent& e) const {
  const PixelPoint origin = control ? PixelPoint{control->PixelBounds().left, control->PixelBounds().top}
                                    : PixelPoint{};
  return {e.button, e.shift, static_cast<float>(e.pos.x - origin.x) * TwipsPerPixelX(),
          static_cast<float>(e.pos.y - origin.y) * TwipsPerPixelY()};
}

void Form::OnPaint(Canvas& canvas, const PixelRect& dirty) {
  runtime_.RunHandler([&] {
    canvas.FillRect(dirty, ResolveColor(System(), layout_.backColor));
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
      const Control& c = **it;
      if (!c.Visible()) continue;
      const PixelRect box = c.PixelBounds();
      if (!box.Intersect(dirty).Empty()) c.Paint(canvas, box);
    }
    if (clickThrough_) PaintOutline(canvas, dirty);
  });
}

// Two pixels round the client area's edge, red outside and white inside, so that one of them
// shows against any picture.
void Form::PaintOutline(Canvas& canvas, const PixelRect& dirty) const {
  const PixelSize size = Window().ClientSize();
  constexpr Color kOuter = 0x0000FF;
  constexpr Color kInner = 0xFFFFFF;
  for (int inset = 0; inset < 2; ++inset) {
    const Color color = inset == 0 ? kOuter : kInner;
    const PixelRect ring{inset, inset, size.width - inset, size.height - inset};
    const PixelRect sides[4] = {{ring.left, ring.top, ring.right, ring.top + 1},
                                {ring.left, ring.bottom - 1, ring.right, ring.bottom},
                                {ring.left, ring.top, ring.left + 1, ring.bottom},
                                {ring.right - 1, ring.top, ring.right, ring.bottom}};
    for (const PixelRect& side : sides) {
      const PixelRect shown = side.Intersect(dirty);
      if (!shown.Empty()) canvas.FillRect(shown, color);
    }
  }
}

void Form::OnMouseDown(const MouseEvent& e) {
  runtime_.RunHandler([&] {
    Control* c = ControlAt(e.pos);
    if (e.button == static_cast<int>(MouseButton::Left)) {
      leftDown_ = true;
      pressed_ = c;
    }
    const MouseArgs args = ArgsFor(c, e);
    if (c) {
      if (c->MouseDown) c->MouseDown(args);
    } else if (MouseDown) {
      MouseDown(args);
    }
  });
}

void Form::OnMouseUp(const MouseEvent& e) {
  runtime_.RunHandler([&] {
    if (e.button != static_cast<int>(MouseButton::Left) || !leftDown_) return;
    leftDown_ = false;
    Control* c = ControlAt(e.pos);
    if (c && c == pressed_ && c->Click) c->Click();
  });
}

void Form::OnMouseMove(const MouseEvent& e) {
  runtime_.RunHandler([&] {
    if ((e.button & static_cast<int>(MouseButton::Left)) == 0) leftDown_ = false;
    Control* under = ControlAt(e.pos);
    if (under != hovered_) {
      hovered_ = under;
      if (Loaded()) window_->RefreshTooltip();
    }
    // While the left button is held, the control it pressed keeps the mouse.
    Control* target = leftDown_ ? pressed_ : under;
    const MouseArgs args = ArgsFor(target, e);
    if (target) {
      if (target->MouseMove) target->MouseMove(args);
    } else if (MouseMove) {
      MouseMove(args);
    }
  });
}

void Form::OnDoubleClick(const MouseEvent& e) {
  if (e.button != static_cast<int>(MouseButton::Left)) {
    OnMouseDown(e);  // only the left button double-clicks; another button just presses again
    return;
  }
  runtime_.RunHandler([&] {
    leftDown_ = false;
    pressed_ = nullptr;
    Control* c = ControlAt(e.pos);
    if (c) {
      if (c->DblClick) c->DblClick();
    } else if (DblClick) {
      DblClick();
    }
  });
}

bool Form::OnKey(const KeyEvent& e) {
  bool handled = false;
  runtime_.RunHandler([&] {
    switch (e.key) {
      case Key::Tab: {
        const Control* before = focus_;
        MoveFocus((e.shift & kShift) ? -1 : 1);
        handled = focus_ != nullptr || before != nullptr;
        break;
      }
      case Key::AccessKey: handled = HandleAccessKey(e.character); break;
      case Key::Character:
        // A focused button takes no typing, so a plain letter works as its access key.
        if (dynamic_cast<CommandButton*>(focus_)) handled = HandleAccessKey(e.character);
        break;
      case Key::Shortcut:
        if (KeyShortcut) handled = KeyShortcut(e.character, e.shift);
        break;
      case Key::Left:
      case Key::Right:
      case Key::Up:
      case Key::Down:
        if (ArrowKey && modalBlocks_ == 0) handled = ArrowKey(e.key, e.shift);
        break;
      case Key::Paste:
        if (Paste && modalBlocks_ == 0) {
          Paste();
          handled = true;
        }
        break;
    }
  });
  return handled;
}

void Form::OnCloseRequest() {
  runtime_.RunHandler([&] {
    Unload();
    OnClosedByUser();
  });
}

void Form::Deliver(const std::function<void()>& work) { runtime_.RunHandler(work); }

void Form::OnWheel(const WheelEvent& e) {
  runtime_.RunHandler([&] {
    if (MouseWheel && e.notches != 0) MouseWheel(e);
  });
}

// A drop is input like a click: it waits until no handler, message or modal window is running,
// which a system's drop message may not (it can come while a message box's loop runs).
void Form::OnFilesDropped(const FileDrop& drop) {
  if (!FilesDropped || !Loaded() || runtime_.HandlerRunning() || modalBlocks_ > 0) return;
  runtime_.RunHandler([&] { FilesDropped(drop); });
}

void Form::StartTimer(Control& control, int milliseconds) {
  if (!Loaded()) return;
  timed_ = &control;
  Window().StartTimer(milliseconds);
}

void Form::StopTimer(const Control& control) {
  if (timed_ != &control) return;
  timed_ = nullptr;
  if (Loaded()) Window().StartTimer(0);
}

void Form::OnTimer() {
  runtime_.RunHandler([&] {
    if (Control* control = std::exchange(timed_, nullptr)) control->OnTick();
  });
}

void Form::OnHotKey() {
  runtime_.RunHandler([&] {
    if (HotKey) HotKey();
  });
}

void Form::SetClickThrough(bool on) {
  if (on == clickThrough_) return;
  NativeWindow& window = Window();
  window.SetClickThrough(on);
  clickThrough_ = on;
  const PixelSize size = window.ClientSize();
  window.Invalidate({0, 0, size.width, size.height});
  window.RefreshTooltip();  // a tip shown now goes, and none comes while the mouse passes through
}

bool Form::RegisterHotKey(int modifiers, char letter) { return Window().RegisterHotKey(modifiers, letter); }

void Form::UnregisterHotKey() {
  if (Loaded()) Window().UnregisterHotKey();
}

std::string Form::TooltipAt(PixelPoint client) {
  std::string text;
  runtime_.RunHandler([&] {
    if (clickThrough_) return;
    const Control* c = ControlAt(client);
    if (c) text = c->ToolTipText;
  });
  return text;
}

}  // namespace corvane
