// A top-level window holding lightweight controls in drawing order. The form owns the native
// window, paints its controls back to front, hit-tests and dispatches the mouse, keeps the
// keyboard focus with tab order and access keys, answers tooltips, and handles load, show,
// modal show, hide and unload.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "controls/runtime.h"
#include "platform/platform.h"

namespace corvane {

struct FormLayout {
  WindowKind kind = WindowKind::Popup;
  std::string caption;
  float width = 0;  // twips: the outer width of a borderless window, the client width of a framed one
  float height = 0;
  Color backColor = kButtonFaceColor;
};

class Form : private WindowEvents {
 public:
  Form(ControlRuntime& runtime, FormLayout layout);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the native window (hidden), sizes the controls that fit their content and runs
  // Form_Load. Loading a loaded form does nothing.
  void Load();
  bool Loaded() const { return window_ != nullptr && !unloaded_; }
  // Destroys the native window; the object lives on until no handler can still be running.
  void Unload();
  bool Unloaded() const { return unloaded_; }

  void Show();
  // Shows the form and returns once it is hidden or unloaded; meanwhile the other forms take
  // no input.
  void ShowModal();
  void Hide();
  bool Visible() const;

  std::uintptr_t hWnd() const;

  // Window geometry in twips: what the native window has, pixels times twips per pixel.
  // Setting converts to the nearest pixel. The place counts in the screen's twips (those of the
  // primary monitor), the size in the window's own.
  float Left() const;
  float Top() const;
  float Width() const;
  float Height() const;
  void SetLeft(float twips);
  void SetTop(float twips);
  void SetWidth(float twips);
  void SetHeight(float twips);
  // The outer rectangle on the screen, in pixels.
  PixelRect ScreenBounds() const;
  // Moves and sizes the window at once: `screen` is its new outer rectangle, in pixels.
  void SetScreenBounds(const PixelRect& screen);

  // The whole window's opacity in percent (10 to 100); 100 when the window is made.
  int Opacity() const { return opacity_; }
  void SetOpacity(int percent);

  MouseHandler MouseDown;
  MouseHandler MouseMove;
  EventHandler DblClick;
  // The wheel turned anywhere over the window (whichever control is under the pointer).
  std::function<void(const WheelEvent&)> MouseWheel;
  // A letter or digit typed with Ctrl (upper case); returns true when it means something.
  std::function<bool(char key, int shift)> KeyShortcut;
  // An arrow key (Key::Left, Right, Up or Down) with the ShiftMask bits held; returns true when
  // it means something.
  std::function<bool(Key key, int shift)> ArrowKey;
  // The window's system-wide hot key was pressed.
  EventHandler HotKey;

  // Click-through: the mouse goes to the windows beneath, and the window shows a thin outline
  // and no tooltip meanwhile (see NativeWindow::SetClickThrough).
  void SetClickThrough(bool on);
  bool ClickThrough() const { return clickThrough_; }
  // The window's one system-wide hot key (see NativeWindow::RegisterHotKey).
  bool RegisterHotKey(int modifiers, char letter);
  void UnregisterHotKey();
  // Set before the form loads, its window takes dropped files; a drop while another handler or
  // a modal window runs is ignored.
  std::function<void(const FileDrop&)> FilesDropped;
  // The system's paste keys while the window has the keyboard.
  EventHandler Paste;

  // Model queries, also used by tests.
  const std::vector<Control*>& Controls() const { return controls_; }
  Control* ControlAt(PixelPoint client) const;
  Control* FocusedControl() const { return focus_; }
  // Gives `control` the focus; its GotFocus runs when the focus really moves.
  void SetFocus(Control& control);
  std::vector<Control*> TabOrder() const;
  Color BackColor() const { return layout_.backColor; }

  // Deliveries from the window system (public so the headless backend and tests can drive a
  // form exactly as the native window does).
  WindowEvents& Events() { return *this; }

  // Pixel conversions of sizes and of places inside the window, with the window's own twips
  // per pixel.
  int ToPixelsX(float twips) const;
  int ToPixelsY(float twips) const;
  // The resolution the form lays itself out and draws its text at: the screen's (0) until it
  // opens on, or is moved to, a monitor of another scale.
  int Dpi() const { return dpi_; }
  float TwipsPerPixelX() const;
  float TwipsPerPixelY() const;

  ControlRuntime& Runtime() const { return runtime_; }
  Platform& System() const { return runtime_.System(); }

  void InvalidatePixels(const PixelRect& r);
  void ControlChanged(const Control& control, const PixelRect& before);

  // One control at a time may ask for a tick: its OnTick runs once, `milliseconds` from now.
  // A new request replaces the earlier one; StopTimer cancels the control's own request.
  void StartTimer(Control& control, int milliseconds);
  void StopTimer(const Control& control);

  // Runs AfterResize once if the window's size changed since the last call. RunHandler calls it
  // for every form when a handler ends, so a handler's passing sizes are never looked at.
  void SettleResize();

 protected:
  // Adds controls from the top of the drawing order down.
  void Add(std::initializer_list<Control*> controls);
  virtual void Form_Load() {}
  // Runs after the window is unloaded by its close box or Alt+F4.
  virtual void OnClosedByUser() {}
  // The loaded form whose window owns this one's (it stays above it), or nullptr.
  virtual const Form* Owner() const { return nullptr; }
  // Runs once the handler that changed the window's size has ended.
  virtual void AfterResize() {}
  // Runs when the form has been laid out at a new resolution and has taken the rectangle the
  // system suggested: a window whose size comes from its content sets it here.
  virtual void AfterDpiChange() {}

 private:
  void OnPaint(Canvas& canvas, const PixelRect& dirty) override;
  void OnMouseDown(const MouseEvent& e) override;
  void OnMouseUp(const MouseEvent& e) override;
  void OnMouseMove(const MouseEvent& e) override;
  void OnDoubleClick(const MouseEvent& e) override;
  bool OnKey(const KeyEvent& e) override;
  void OnCloseRequest() override;
  std::string TooltipAt(PixelPoint client) override;
  void Deliver(const std::function<void()>& work) override;
  void OnTimer() override;
  void OnWheel(const WheelEvent& e) override;
  void OnHotKey() override;
  void OnFilesDropped(const FileDrop& drop) override;
  void OnDpiChanged(const DpiChange& change) override;

  NativeWindow& Window() const;
  // The screen's resolution in place of 0.
  int ResolvedDpi(int dpi) const;
  // Lays the form out again at `dpi` and gives the window the outer rectangle `frame`.
  void TakeDpi(int dpi, const PixelRect& frame);
  void PaintOutline(Canvas& canvas, const PixelRect& dirty) const;
  void FocusFirst();
  void MoveFocus(int step);
  bool HandleAccessKey(char key);
  MouseArgs ArgsFor(const Control* control, const MouseEvent& e) const;

  ControlRuntime& runtime_;  // where this form is listed
  FormLayout layout_;
  std::vector<Control*> controls_;
  std::unique_ptr<NativeWindow> window_;
  bool unloaded_ = false;
  bool resized_ = false;  // since the last SettleResize
  int modalBlocks_ = 0;   // modal windows shown over this one
  Control* focus_ = nullptr;
  Control* pressed_ = nullptr;  // the control (or nullptr: the form) under the left press
  bool leftDown_ = false;
  Control* hovered_ = nullptr;
  Control* timed_ = nullptr;  // the control whose tick is due
  int opacity_ = 100;
  bool clickThrough_ = false;
  int dpi_ = 0;  // 0: the screen's
};

}  // namespace corvane
