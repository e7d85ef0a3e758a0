// The recording controls that the main window is built from.

#include <algorithm>
#include <cmath>

#include "fake_controls/recording.h"
#include "platform/controls/clipboard.h"
#include "platform/controls/frame.h"
#include "platform/controls/menu.h"
#include "platform/controls/option_button.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/popup_button.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/controls/size_limit.h"
#include "platform/controls/status_bar.h"
#include "platform/raster/raster.h"

namespace fake {

std::vector<controls::CommonDialog::SaveRequest> saveDialogs;
std::vector<std::uint8_t> clipboardPng, clipboardBitmap;

}  // namespace fake

namespace controls {

Menu::Menu(Form& form, std::string_view caption) : Control(Contained(form, caption)) {}

struct MenuItem::Impl {
    std::string caption;
    bool enabled = true;
    int shift = 0, keyCode = 0;
};
MenuItem::MenuItem(Menu&, std::string_view caption) : impl_(new Impl{std::string(caption)}) {}
MenuItem::MenuItem(Form&, std::string_view caption) : impl_(new Impl{std::string(caption)}) {}
MenuItem::~MenuItem() = default;
std::string MenuItem::Caption() const {
    return impl_->caption;
}
bool MenuItem::Enabled() const {
    return impl_->enabled;
}
void MenuItem::setEnabled(bool enabled) {
    impl_->enabled = enabled;
}
void MenuItem::setShortcut(int shift, int keyCode) {
    impl_->shift = shift;
    impl_->keyCode = keyCode;
}

Frame::Frame(Control& container, std::string_view caption)
    : Control(Contained(container, caption)) {}

OptionButton::OptionButton(Control& container, std::string_view caption)
    : Control(Contained(container, caption)) {}
bool OptionButton::Value() const {
    return impl().value;
}
void OptionButton::setValue(bool on) {
    if (on && impl().container) {
        for (Control* sibling : impl().container->impl().children) {
            if (dynamic_cast<OptionButton*>(sibling)) {
                sibling->impl().value = false;
            }
        }
    }
    impl().value = on;
}

PopupButton::PopupButton(Control& container, std::string_view caption)
    : Control(Contained(container, caption)) {}
bool PopupButton::Highlight() const {
    return impl().value;
}
void PopupButton::setHighlight(bool on) {
    impl().value = on;
}

StatusBar::StatusBar(Control& container) : Control(Contained(container, "")) {
    panels_.emplace_back(*this, 1);
}
StatusBar::Panel* StatusBar::Panels(int index) {
    return index == 1 ? &panels_[0] : nullptr;
}
void StatusBar::Refresh() {
    ++impl().refreshes;
}
std::string StatusBar::Panel::Text() const {
    return bar_.impl().caption;
}
void StatusBar::Panel::setText(std::string_view text) {
    bar_.impl().caption = text;
}

RectangleShape::RectangleShape(Control& container) : Control(Contained(container, "")) {
    Control::setVisible(false);
}
double RectangleShape::Left() const {
    return impl().band[0];
}
double RectangleShape::Top() const {
    return impl().band[1];
}
double RectangleShape::Width() const {
    return impl().band[2];
}
double RectangleShape::Height() const {
    return impl().band[3];
}
void RectangleShape::setLeft(double value) {
    impl().band[0] = value;
}
void RectangleShape::setTop(double value) {
    impl().band[1] = value;
}
namespace {
bool SetExtent(double& extent, double value) {
    if (!std::isfinite(value) || value < 0) {
        return false;
    }
    extent = value;
    return true;
}
}  // namespace
bool RectangleShape::setWidth(double value) {
    return SetExtent(impl().band[2], value);
}
bool RectangleShape::setHeight(double value) {
    return SetExtent(impl().band[3], value);
}
void RectangleShape::setBorderWidth(int pixels) {
    impl().borderWidth = pixels;
}
void RectangleShape::setBorderColor(std::uint32_t rgb) {
    impl().foreColor = rgb;
}
void RectangleShape::setVisible(bool visible) {
    Control::setVisible(visible);
}

// The image follows the box's size, keeping what it held where the sizes
// overlap, as the toolkit's does when the box is resized.
PictureBox::PictureBox(Control& container) : Control(Contained(container, "")) {
    const raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    impl().image = raster::CreateCompatibleDC(display);
    raster::DeleteDC(display);
    impl().backColor = kScrollBarColour;
}
PictureBox::~PictureBox() {
    raster::DeleteDC(impl().image);
    raster::DeleteObject(impl().bitmap);
}
raster::HDC PictureBox::hDC() const {
    Impl& box = impl();
    const auto current = raster::BitmapPixels(box.bitmap);
    const int width = std::max(1, box.width), height = std::max(1, box.height);
    if (!current || current->width != width || current->height != height) {
        const raster::HBITMAP image = raster::CreateCompatibleBitmap(box.image, width, height);
        const raster::HDC scratch = raster::CreateCompatibleDC(box.image);
        raster::SelectObject(scratch, image);
        raster::FillContext(scratch, box.backColor);
        if (current) {
            raster::BitBlt(scratch, 0, 0, current->width, current->height, box.image, 0, 0,
                           raster::SRCCOPY);
        }
        raster::DeleteDC(scratch);
        raster::SelectObject(box.image, image);
        raster::DeleteObject(box.bitmap);
        box.bitmap = image;
    }
    return box.image;
}
int PictureBox::ScaleWidth() const {
    return Control::Width();
}
int PictureBox::ScaleHeight() const {
    return Control::Height();
}
void PictureBox::resizeToPixels(int width, int height) {
    Move(Left(), Top(), width, height);
}
void PictureBox::ShowContext(raster::HDC source, int originX, int originY) {
    impl().shown = source;
    impl().shownOrigin[0] = originX;
    impl().shownOrigin[1] = originY;
}
void PictureBox::Cls() {
    raster::FillContext(hDC(), impl().backColor);
}
void PictureBox::Refresh() {
    ++impl().refreshes;
}
void PictureBox::setBackColor(std::uint32_t rgb) {
    impl().backColor = rgb;
}
std::uint32_t PictureBox::backColor() const {
    return impl().backColor;
}
void PictureBox::setTabStop(bool) {}
void PictureBox::setMousePointer(MousePointer) {}

struct SizeLimit::Impl {
    Control* window = nullptr;
};
SizeLimit::SizeLimit() : impl_(std::make_unique<Impl>()) {}
SizeLimit::~SizeLimit() = default;
void SizeLimit::setHwnd(Control* window) {
    impl_->window = window;
}
void SizeLimit::setLimitSize(bool on) {
    on_ = on;
    apply();
}
// A window without a frame: minimumFor and maximumFor({0, 0}) are its limits.
void SizeLimit::apply() {}

std::optional<CommonDialog::SaveChoice> CommonDialog::runDialog(const SaveRequest& request) const {
    fake::saveDialogs.push_back(request);
    return std::nullopt;
}

void SetClipboardPicture(std::span<const std::uint8_t> png, std::span<const std::uint8_t> bitmap) {
    fake::clipboardPng.assign(png.begin(), png.end());
    fake::clipboardBitmap.assign(bitmap.begin(), bitmap.end());
}

}  // namespace controls
