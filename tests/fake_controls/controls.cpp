#include <stdexcept>

#include "fake_controls/recording.h"
#include "platform/controls/command_button.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/image_box.h"

namespace fake {

const controls::Control* focus = nullptr;
std::deque<std::function<void(controls::Form&)>> whenModal;
std::vector<Message> messages;
std::optional<int> quitCode;
std::deque<std::function<void()>> posted;

void CloseBox(controls::Form& form) {
    if (!form.QueryUnload || form.QueryUnload()) {
        form.Hide();
    }
}

void RunPosted() {
    while (!posted.empty()) {
        auto job = std::move(posted.front());
        posted.pop_front();
        job();
    }
}

}  // namespace fake

namespace controls {

Control::Control(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Control::~Control() {
    if (fake::focus == this) {
        fake::focus = nullptr;
    }
}
int Control::Left() const {
    return impl_->left;
}
int Control::Top() const {
    return impl_->top;
}
int Control::Width() const {
    return impl_->width;
}
int Control::Height() const {
    return impl_->height;
}
void Control::Move(int left, int top, int width, int height) {
    impl_->left = left;
    impl_->top = top;
    impl_->width = width;
    impl_->height = height;
}
bool Control::Visible() const {
    return impl_->visible;
}
void Control::setVisible(bool visible) {
    impl_->visible = visible;
}
bool Control::Enabled() const {
    return impl_->enabled;
}
void Control::setEnabled(bool enabled) {
    impl_->enabled = enabled;
}
void Control::SetFocus() {
    fake::focus = this;
}
void Control::setName(const char* name) {
    impl_->name = name;
}
void SetTabOrder(Control&, Control&) {}

namespace {

// A control with what is set on it from the start.
std::unique_ptr<Control::Impl> Captioned(std::string_view caption) {
    auto impl = std::make_unique<Control::Impl>();
    impl->caption = caption;
    impl->visible = true;
    return impl;
}

}  // namespace

Form::Form(Style style, const char* name) : Control(std::make_unique<Impl>()) {
    impl().style = style;
    setName(name);
}
Form::~Form() = default;
std::string Form::Caption() const {
    return impl().caption;
}
void Form::setCaption(std::string_view caption) {
    impl().caption = caption;
}
void Form::ShowProgramIcon() {
    impl().programIcon = true;
}
int Form::ScaleWidth() const {
    return Width();
}
int Form::ScaleHeight() const {
    return Height();
}
void Form::setClientSize(int width, int height) {
    Move(Left(), Top(), width, height);
}
void Form::Show() {
    impl().calls.push_back("Show");
    setVisible(true);
}
void Form::Hide() {
    impl().calls.push_back("Hide");
    setVisible(false);
}
void Form::ShowModal() {
    impl().calls.push_back("ShowModal");
    setVisible(true);
    impl().modal = true;
    if (!fake::whenModal.empty()) {
        auto answer = std::move(fake::whenModal.front());
        fake::whenModal.pop_front();
        answer(*this);
    }
    impl().modal = false;
    if (Visible()) {
        throw std::logic_error("a modal form was left open: " + impl().name);
    }
}
void Form::Activate() {
    impl().calls.push_back("Activate");
}
bool Form::Minimized() const {
    return impl().minimized;
}
void Form::Restore() {
    impl().calls.push_back("Restore");
    impl().minimized = false;
}
unsigned long Form::WindowId() const {
    return 0;
}
void Form::setKeepPlaceWhenHidden(bool) {}
bool Form::HasWindow() const {
    return true;
}
void Form::setBackColor(std::uint32_t rgb) {
    impl().backColor = rgb;
}
void Form::setOwner(const Form&) {}
void Form::KeepOutOfTaskbar() {
    impl().keptOutOfTaskbar = true;
}
void Form::CenterOnScreen() {
    impl().centered = true;
}
void Form::Maximize() {
    impl().maximized = true;
}

Label::Label(Control&, std::string_view caption) : Control(Captioned(caption)) {}
std::string Label::Caption() const {
    return impl().caption;
}
void Label::setCaption(std::string_view caption) {
    impl().caption = caption;
}
void Label::setForeColor(std::uint32_t rgb) {
    impl().foreColor = rgb;
}
void Label::setFont(const Font& font) {
    impl().font = font;
}
void Label::setAlignment(Alignment) {}
void Label::setVerticalAlignment(VerticalAlignment) {}
void Label::setWordWrap(bool wrap) {
    impl().wordWrap = wrap;
}
void Label::BringToFront() {}
void Label::setTextMargins(int left, int top, int right, int bottom) {
    impl().textMargins[0] = left;
    impl().textMargins[1] = top;
    impl().textMargins[2] = right;
    impl().textMargins[3] = bottom;
}
void Label::setDragMode(DragMode mode) {
    impl().dragMode = mode;
}

CommandButton::CommandButton(Control&, std::string_view caption) : Control(Captioned(caption)) {}
std::string CommandButton::Caption() const {
    return impl().caption;
}
void CommandButton::setDefault(bool isDefault) {
    impl().isDefault = isDefault;
}
void CommandButton::setCancel(bool isCancel) {
    impl().isCancel = isCancel;
}

ImageBox::ImageBox(Control&) : Control(Captioned("")) {}
void ImageBox::setBackColor(std::uint32_t rgb) {
    impl().backColor = rgb;
}
bool ImageBox::setPicture(std::string_view name) {
    impl().picture = name;
    return true;
}
int ImageBox::PictureWidth() const {
    return 0;
}
int ImageBox::PictureHeight() const {
    return 0;
}

void ShowMessage(const Control* owner, MessageIcon icon, std::string_view title,
                 std::string_view text) {
    fake::messages.push_back({owner, icon, std::string(title), std::string(text)});
}

void DoEvents() {
    fake::RunPosted();
}
void PostToEventLoop(std::function<void()> job) {
    fake::posted.push_back(std::move(job));
}
void QuitEventLoop(int code) {
    fake::quitCode = code;
}

}  // namespace controls
