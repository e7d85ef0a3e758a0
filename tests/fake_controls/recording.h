#pragma once
// A recording implementation of the control classes, for testing forms'
// handlers without a toolkit: each control keeps what was set on it, and
// the calls that reach beyond a control (modal forms, messages, the event
// loop) are recorded here for the test to read or answer.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/common_dialog.h"
#include "platform/controls/form.h"
#include "platform/controls/label.h"
#include "platform/controls/message_box.h"

namespace controls {

struct Control::Impl {
    std::string name;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = false, enabled = true;
    std::string caption;
    std::uint32_t foreColor = 0, backColor = 0;
    Font font;
    bool wordWrap = false;
    int textMargins[4] = {};
    DragMode dragMode = DragMode::Manual;
    bool isDefault = false, isCancel = false;
    std::string picture;  // an image box's, by name only: its size reads 0 x 0
    // Forms only.
    Form::Style style = Form::Style::Sizable;
    bool programIcon = false, keptOutOfTaskbar = false, centered = false, maximized = false;
    bool minimized = false, modal = false;
    // Show, Hide, ShowModal, Activate, Restore, in the order they came.
    std::vector<std::string> calls;
};

}  // namespace controls

namespace fake {

// The control that SetFocus gave the keyboard last.
extern const controls::Control* focus;

// Runs, in turn, for each form shown modal; it should close the form, or
// ShowModal, which cannot wait, throws.
extern std::deque<std::function<void(controls::Form&)>> whenModal;

// The close box: QueryUnload decides, as the toolkit's window would.
void CloseBox(controls::Form& form);

struct Message {
    const controls::Control* owner;
    controls::MessageIcon icon;
    std::string title, text;
};
extern std::vector<Message> messages;

// The save dialogs the toolkit was asked to show; each was cancelled.
extern std::vector<controls::CommonDialog::SaveRequest> saveDialogs;

// The picture last put on the clipboard, as PNG and bitmap files.
extern std::vector<std::uint8_t> clipboardPng, clipboardBitmap;

// The code the event loop was asked to end with.
extern std::optional<int> quitCode;

// Runs the jobs posted to the event loop, and those they post.
void RunPosted();

}  // namespace fake
