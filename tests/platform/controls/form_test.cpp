#include "platform/controls/form.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "platform/controls/event_pump.h"

namespace {

// Building a window already sends it events (its flags set, a client area
// added): they must not reach the form, whose base is not built yet. The
// storage is filled so that a form read too early reads no zeros.
TEST(Form, ItsWindowPassesNoEventsOnBeforeTheFormIsBuilt) {
    using Style = controls::Form::Style;
    for (Style style :
         {Style::Sizable, Style::FixedDialog, Style::Borderless, Style::CoverScreen}) {
        alignas(controls::Form) unsigned char storage[sizeof(controls::Form)];
        std::memset(storage, 0xA5, sizeof storage);
        auto* form = new (storage) controls::Form(style, "probe");
        form->setClientSize(120, 80);
        form->Show();
        controls::DoEvents();
        EXPECT_EQ(form->ScaleWidth(), 120);
        form->~Form();
    }
}

}  // namespace
