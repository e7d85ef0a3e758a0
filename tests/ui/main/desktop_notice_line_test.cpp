// The desktop's notice shows in the main window's status bar while it
// lasts; the hint that was there comes back after it.

#include <gtest/gtest.h>

#include "platform/controls/status_bar.h"
#include "platform/desktop_notice.h"
#include "support/form1_fixture.h"

namespace {

using testing_support::Form1Test;

class DesktopNoticeLine : public Form1Test {};

TEST_F(DesktopNoticeLine, ShowsTheNoticeWhileItLastsThenTheHintAgain) {
    controls::StatusBar::Panel* panel = form_->StatusBar1.Panels(1);
    panel->setText("a hint");
    platform::PostNotice("the desktop is asking you: answer its dialog");
    EXPECT_EQ(panel->Text(), "The desktop is asking you: answer its dialog.");
    platform::PostNotice("");
    EXPECT_EQ(panel->Text(), "a hint");
    platform::PostNotice("");
    EXPECT_EQ(panel->Text(), "a hint");
}

}  // namespace
