// Lightweight controls drawn by the form that owns them: Label, Image, Line, TextBox,
// CommandButton. Geometry is in twips (single precision, as stored); events pass twips too.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "controls/text_layout.h"
#include "platform/platform.h"

namespace corvane {

class Form;

// System colours used by the layouts.
constexpr Color kActiveTitleColor = 0x80000002;
constexpr Color kInactiveTitleColor = 0x80000003;
constexpr Color kMenuColor = 0x80000004;
constexpr Color kTitleTextColor = 0x80000009;
constexpr Color kButtonFaceColor = 0x8000000F;
constexpr Color kButtonTextColor = 0x80000012;

struct MouseArgs {
  int Button = 0;
  int Shift = 0;
  float X = 0;  // twips from the control's top-left corner
  float Y = 0;
};

using MouseHandler = std::function<void(const MouseArgs&)>;
using EventHandler = std::function<void()>;

struct TwipsRect {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
};

class Control {
 public:
  explicit Control(std::string name) : name_(std::move(name)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }

  float Left() const { return rect_.left; }
  float Top() const { return rect_.top; }
  float Width() const { return rect_.width; }
  float Height() const { return rect_.height; }
  void Move(const TwipsRect& rect);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  int TabIndex = 0;
  std::string ToolTipText;

  MouseHandler MouseDown;
  MouseHandler MouseMove;
  EventHandler Click;
  EventHandler DblClick;
  EventHandler GotFocus;

  virtual bool CanTakeFocus() const { return false; }
  virtual bool TakesMouse() const { return true; }  // a line lets the mouse through
  virtual char AccessKey() const { return 0; }
  // Sizes the control to its content once the platform can measure it.
  virtual void Fit() {}
  virtual void Paint(Canvas& canvas, const PixelRect& box) const = 0;
  // The time the control asked its form for has come.
  virtual void OnTick() {}

  PixelRect PixelBounds() const;
  Form* Owner() const { return form_; }
  // The platform of the form the control belongs to.
  Platform& System() const;

 protected:
  void Invalidate() const;
  void SetSize(float width, float height);
  virtual void VisibilityChanged() {}
  // `font` at the resolution of the control's window, to measure and draw with.
  FontSpec AtWindowDpi(FontSpec font) const;
  // The twips of one pixel of the control's window.
  float TwipsPerPixelX() const;
  float TwipsPerPixelY() const;

 private:
  friend class Form;
  std::string name_;
  TwipsRect rect_;
  bool visible_ = true;
  Form* form_ = nullptr;
};

enum class Alignment { Left, Centre };

// Whether a label paints its ground or lets what lies beneath show through.
enum class Ground { Transparent, Opaque };

struct LabelLook {
  FontSpec font;
  Color foreColor = kButtonTextColor;
  Color backColor = kButtonFaceColor;
  Ground ground = Ground::Opaque;
  Alignment alignment = Alignment::Left;
  bool autoSize = false;  // fits its one-line text; otherwise wraps inside its box
};

class Label : public Control {
 public:
  using Control::Control;
  void Define(const TwipsRect& rect, std::string caption, const LabelLook& look);

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  Color BackColor() const { return look_.backColor; }
  void SetBackColor(Color color);
  Ground GroundStyle() const { return look_.ground; }
  void SetGround(Ground ground);
  const LabelLook& Look() const { return look_; }

  char AccessKey() const override { return ParseCaption(caption_).AccessKey(); }
  void Fit() override;
  void Paint(Canvas& canvas, const PixelRect& box) const override;

 private:
  std::string caption_;
  LabelLook look_;
};

class Image : public Control {
 public:
  using Control::Control;
  void Define(const TwipsRect& rect, std::string toolTip);
  // Shows `picture` at its natural size; the control takes that size. An animated picture
  // plays while the control is visible, repainting only what each frame changes.
  // The picture returns to its own size (a scale of 100 %).
  void SetPicture(std::shared_ptr<Picture> picture);
  const std::shared_ptr<Picture>& GetPicture() const { return picture_; }
  // Shows the picture at `scale` (millionths of its own size, within 5 % to 1000 %); the
  // control takes the scaled size. Without a picture only the scale is kept.
  void SetScale(std::int32_t scale);
  std::int32_t Scale() const { return scale_; }
  // The picture's size as shown, in pixels.
  PixelSize ShownSize() const;
  // Takes the shown size again at the window's resolution: a picture keeps its pixels.
  void Fit() override { TakeShownSize(); }
  void Paint(Canvas& canvas, const PixelRect& box) const override;
  void OnTick() override;

 private:
  void VisibilityChanged() override { ScheduleFrame(); }
  // Asks for a tick when the shown frame's time is up, or cancels the request when nothing
  // plays.
  void ScheduleFrame();
  void TakeShownSize();
  std::shared_ptr<Picture> picture_;
  std::int32_t scale_ = 1'000'000;
};

class Line : public Control {
 public:
  using Control::Control;
  void Define(float x1, float y1, float x2, float y2, int borderWidth, Color color);
  bool TakesMouse() const override { return false; }
  void Paint(Canvas& canvas, const PixelRect& box) const override;

 private:
  float x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
  int borderWidth_ = 1;
  Color color_ = 0;
};

class TextBox : public Control {
 public:
  using Control::Control;
  void Define(const TwipsRect& rect, std::string text, Color backColor);
  const std::string& Text() const { return text_; }
  // Like the system's edit control, the text ends at its first NUL.
  void SetText(std::string_view text);
  bool CanTakeFocus() const override { return Visible(); }
  void Paint(Canvas& canvas, const PixelRect& box) const override;

 private:
  std::string text_;
  Color backColor_ = 0xFFFFFF;
};

class CommandButton : public Control {
 public:
  using Control::Control;
  void Define(const TwipsRect& rect, std::string caption, const FontSpec& font);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool CanTakeFocus() const override { return Visible(); }
  char AccessKey() const override { return ParseCaption(caption_).AccessKey(); }
  void Paint(Canvas& canvas, const PixelRect& box) const override;

 private:
  std::string caption_;
  FontSpec font_;
};

// Resolves 0x800000nn through the platform; other colours pass unchanged.
Color ResolveColor(const Platform& platform, Color color);

}  // namespace corvane
