// The recording side of the file dialog, the size limit and the clipboard.

#include "fake_controls/recording.h"
#include "platform/controls/clipboard.h"
#include "platform/controls/size_limit.h"

namespace fake {

std::vector<controls::CommonDialog::SaveRequest> saveDialogs;
std::vector<std::uint8_t> clipboardPng, clipboardBitmap;

}  // namespace fake

namespace controls {

std::optional<CommonDialog::SaveChoice> CommonDialog::runDialog(const SaveRequest& request) const {
    fake::saveDialogs.push_back(request);
    return std::nullopt;
}

// A window without a frame: minimumFor and maximumFor({0, 0}) are its limits.
struct SizeLimit::Impl {};
SizeLimit::SizeLimit() : impl_(std::make_unique<Impl>()) {}
SizeLimit::~SizeLimit() = default;
void SizeLimit::setHwnd(Control*) {}
void SizeLimit::setLimitSize(bool on) {
    on_ = on;
}
void SizeLimit::apply() {}

void SetClipboardPicture(std::span<const std::uint8_t> png, std::span<const std::uint8_t> bitmap) {
    fake::clipboardPng.assign(png.begin(), png.end());
    fake::clipboardBitmap.assign(bitmap.begin(), bitmap.end());
}

}  // namespace controls
