#include "controls/controls.h"

#include <algorithm>
#include <cmath>

#include "controls/form.h"
#include "pictures/picture_scale.h"

namespace corvane {

Color ResolveColor(const Platform& platform, Color color) {
  return IsSystemColor(color) ? platform.SystemColor(static_cast<int>(color & 0xFF)) : color;
}

Platform& Control::System() const {
  if (!form_) throw Error("the control '" + name_ + "' belongs to no window");
  return form_->System();
}

FontSpec Control::AtWindowDpi(FontSpec font) const {
  if (form_) font.dpi = form_->Dpi();
  return font;
}

float Control::TwipsPerPixelX() const { return form_ ? form_->TwipsPerPixelX() : System().TwipsPerPixelX(); }
float Control::TwipsPerPixelY() const { return form_ ? form_->TwipsPerPixelY() : System().TwipsPerPixelY(); }

PixelRect Control::PixelBounds() const {
  if (!form_) throw Error("the control '" + name_ + "' belongs to no window");
  const int left = form_->ToPixelsX(rect_.left);
  const int top = form_->ToPixelsY(rect_.top);
  return {left, top, left + form_->ToPixelsX(rect_.width), top + form_->ToPixelsY(rect_.height)};
}

void Control::Invalidate() const {
  if (form_) form_->InvalidatePixels(PixelBounds());
}

void Control::Move(const TwipsRect& rect) {
  if (!form_) {
    rect_ = rect;
    return;
  }
  const PixelRect before = PixelBounds();
  rect_ = rect;
  form_->ControlChanged(*this, before);
}

void Control::SetSize(float width, float height) { Move({rect_.left, rect_.top, width, height}); }

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (form_) form_->ControlChanged(*this, PixelBounds());
  VisibilityChanged();
}

// --- Label ---

namespace {
int Luminance(Color rgb) {
  const int r = static_cast<int>(rgb & 0xFF), g = static_cast<int>((rgb >> 8) & 0xFF),
            b = static_cast<int>((rgb >> 16) & 0xFF);
  return (299 * r + 587 * g + 114 * b) / 1000;
}
}  // namespace

void Label::Define(const TwipsRect& rect, std::string caption, const LabelLook& look) {
  caption_ = std::move(caption);
  look_ = look;
  Move(rect);
}

void Label::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (look_.autoSize && Owner() && Owner()->Loaded()) Fit();
  Invalidate();
}

void Label::SetBackColor(Color color) {
  if (look_.backColor == color) return;
  look_.backColor = color;
  Invalidate();
}

void Label::SetGround(Ground ground) {
  if (look_.ground == ground) return;
  look_.ground = ground;
  Invalidate();
}

void Label::Fit() {
  if (!look_.autoSize) return;
  const std::string text = ParseCaption(caption_).text;
  const FontSpec font = AtWindowDpi(look_.font);
  const float width = static_cast<float>(System().TextWidth(font, text)) * TwipsPerPixelX();
  const float height = static_cast<float>(System().MeasureFont(font).height) * TwipsPerPixelY();
  SetSize(width, height);
}

void Label::Paint(Canvas& canvas, const PixelRect& box) const {
  const ParsedCaption parsed = ParseCaption(caption_);
  Color fore = ResolveColor(System(), look_.foreColor);
  if (look_.ground == Ground::Opaque) {
    const Color back = ResolveColor(System(), look_.backColor);
    canvas.FillRect(box, back);
    // System colours can resolve to the text's own ground (black on black under some colour
    // schemes): the text then takes the contrasting colour so that it stays readable.
    if (fore == back) fore = Luminance(back) < 128 ? 0xFFFFFF : 0x000000;
  }
  const FontSpec font = AtWindowDpi(look_.font);
  const int lineHeight = System().MeasureFont(font).height;
  const auto measure = [this, &font](std::string_view s) { return System().TextWidth(font, s); };
  std::vector<TextLine> lines;
  if (look_.autoSize) {
    lines.push_back({0, parsed.text.size()});
  } else {
    lines = WrapText(parsed.text, box.Width(), measure);
  }
  FontSpec underlined = font;
  underlined.underline = true;
  int y = box.top;
  for (const TextLine& line : lines) {
    if (y >= box.bottom) break;
    const std::string_view text = std::string_view(parsed.text).substr(line.begin, line.end - line.begin);
    int x = box.left;
    if (look_.alignment == Alignment::Centre) x += (box.Width() - measure(text)) / 2;
    const auto access = static_cast<std::size_t>(parsed.accessIndex);
    if (parsed.accessIndex >= 0 && access >= line.begin && access < line.end) {
      // Three runs, the access key's character underlined.
      const std::size_t k = access - line.begin;
      if (k > 0) canvas.DrawString(x, y, text.substr(0, k), font, fore, box);
      const int keyX = x + measure(text.substr(0, k));
      canvas.DrawString(keyX, y, text.substr(k, 1), underlined, fore, box);
      if (k + 1 < text.size())
        canvas.DrawString(keyX + measure(text.substr(k, 1)), y, text.substr(k + 1), font, fore, box);
    } else {
      canvas.DrawString(x, y, text, font, fore, box);
    }
    y += lineHeight;
  }
}

// --- Image ---

void Image::Define(const TwipsRect& rect, std::string toolTip) {
  ToolTipText = std::move(toolTip);
  Move(rect);
}

void Image::SetPicture(std::shared_ptr<Picture> picture) {
  Invalidate();
  picture_ = std::move(picture);
  scale_ = pictures::kScaleOne;
  TakeShownSize();
  Invalidate();
  ScheduleFrame();
}

void Image::SetScale(std::int32_t scale) {
  scale_ = std::clamp(scale, pictures::kScaleMin, pictures::kScaleMax);
  Invalidate();
  TakeShownSize();
  Invalidate();
}

PixelSize Image::ShownSize() const { return picture_ ? pictures::ScaledSize(picture_->Size(), scale_) : PixelSize{}; }

void Image::TakeShownSize() {
  if (!picture_) return;
  const PixelSize size = ShownSize();
  SetSize(static_cast<float>(size.width) * TwipsPerPixelX(), static_cast<float>(size.height) * TwipsPerPixelY());
}

void Image::Paint(Canvas& canvas, const PixelRect& box) const {
  if (!picture_) return;
  if (PixelSize{box.Width(), box.Height()} == picture_->Size()) {
    canvas.DrawPicture(*picture_, box.left, box.top, box);
  } else {
    canvas.DrawPictureScaled(*picture_, box, box);
  }
}

void Image::ScheduleFrame() {
  if (!Owner()) return;
  const int delay = picture_ && Visible() ? picture_->FrameDelay() : 0;
  if (delay > 0) {
    Owner()->StartTimer(*this, delay);
  } else {
    Owner()->StopTimer(*this);
  }
}

void Image::OnTick() {
  if (!picture_ || !Visible()) return;
  const PixelRect changed = picture_->NextFrame();
  if (!changed.Empty() && Owner())
    Owner()->InvalidatePixels(pictures::ScaledArea(changed, picture_->Size(), PixelBounds()));
  ScheduleFrame();
}

// --- Line ---

void Line::Define(float x1, float y1, float x2, float y2, int borderWidth, Color color) {
  x1_ = x1;
  y1_ = y1;
  x2_ = x2;
  y2_ = y2;
  borderWidth_ = borderWidth;
  color_ = color;
  const float half = static_cast<float>(borderWidth) * System().TwipsPerPixelX();
  Move({std::min(x1, x2) - half, std::min(y1, y2) - half, std::abs(x2 - x1) + 2 * half, std::abs(y2 - y1) + 2 * half});
}

void Line::Paint(Canvas& canvas, const PixelRect& box) const {
  const PixelPoint from{Owner()->ToPixelsX(x1_), Owner()->ToPixelsY(y1_)};
  const PixelPoint to{Owner()->ToPixelsX(x2_), Owner()->ToPixelsY(y2_)};
  canvas.DrawLine(from, to, borderWidth_, ResolveColor(System(), color_), box);
}

// --- TextBox ---

void TextBox::Define(const TwipsRect& rect, std::string text, Color backColor) {
  text_ = std::move(text);
  backColor_ = backColor;
  Move(rect);
}

void TextBox::SetText(std::string_view text) {
  text_ = std::string(text.substr(0, text.find('\0')));
  Invalidate();
}

void TextBox::Paint(Canvas& canvas, const PixelRect& box) const {
  canvas.FillRect(box, ResolveColor(System(), backColor_));
  canvas.DrawString(box.left + 2, box.top + 2, text_, AtWindowDpi(FontSpec{}), ResolveColor(System(), kButtonTextColor),
                    box);
}

// --- CommandButton ---

void CommandButton::Define(const TwipsRect& rect, std::string caption, const FontSpec& font) {
  caption_ = std::move(caption);
  font_ = font;
  Move(rect);
}

void CommandButton::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Invalidate();
}

void CommandButton::Paint(Canvas& canvas, const PixelRect& box) const {
  canvas.FillRect(box, ResolveColor(System(), kButtonFaceColor));
  const std::string text = ParseCaption(caption_).text;
  const FontSpec font = AtWindowDpi(font_);
  const int x = box.left + (box.Width() - System().TextWidth(font, text)) / 2;
  const int y = box.top + (box.Height() - System().MeasureFont(font).height) / 2;
  canvas.DrawString(x, y, text, font, ResolveColor(System(), kButtonTextColor), box);
}

}  // namespace corvane
