#include "ui/main/hot_keys.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <optional>
#include <sstream>

#include "platform/controls/vb_hot_key.h"
#include "platform/x11/hot_key_masks.h"
#include "support/fake_hot_keys.h"
#include "support/form1_fixture.h"
#include "support/message_box_answerer.h"

namespace {

using platform::kKeysymPrint;
constexpr std::uint16_t kCtrlAltShift =
    platform::kControlMask | platform::kMod1Mask | platform::kShiftMask;

const std::string kThreeLines =
    "Hotkeys: \r\n"
    "Press \"Print Scrn\" to take a normal screenshot. \r\n"
    "Press \"Shift+Print Scrn\" to take a screenshot of the foreground window";

TEST(HotKeysMessage, ListsTheKeysAndNamesThoseNotClaimed) {
    EXPECT_EQ(hot_keys::MessageText({}), kThreeLines);
    EXPECT_EQ(hot_keys::MessageText({"Print Screen", "Shift+Print Screen"}),
              kThreeLines +
                  "\r\nThese hot keys could not be claimed: Print Screen, "
                  "Shift+Print Screen");
}

class HotKeys : public testing_support::Form1Test {
  protected:
    void SetUp() override {
        // The keys are claimed as the main window is made.
        keys_ = std::make_unique<testing_support::FakeHotKeys>();
        keys_->heldByAnother = refused_;
        testing::internal::CaptureStderr();
        Form1Test::SetUp();
        // Our own lines only: the offscreen platform has its say as well.
        std::istringstream captured(testing::internal::GetCapturedStderr());
        for (std::string line; std::getline(captured, line);) {
            if (line.rfind("tessarine:", 0) == 0) {
                stderr_ += line + "\n";
            }
        }
    }

    void TearDown() override {
        Form1Test::TearDown();
        keys_.reset();
    }

    std::set<std::pair<std::uint32_t, std::uint16_t>> refused_;
    std::unique_ptr<testing_support::FakeHotKeys> keys_;
    std::string stderr_;
};

TEST_F(HotKeys, TheMainWindowHoldsItsThreeCombinationsFromTheStart) {
    EXPECT_EQ(keys_->claims, (std::vector<std::pair<std::uint32_t, std::uint16_t>>{
                                 {kKeysymPrint, 0},
                                 {kKeysymPrint, platform::kShiftMask},
                                 {kKeysymPrint, kCtrlAltShift}}));
    EXPECT_TRUE(form_->SSHK.HotKeyActive());
    EXPECT_TRUE(form_->WSHK.HotKeyActive());
    EXPECT_TRUE(form_->VBHotKey1.HotKeyActive());
    EXPECT_TRUE(form_->UnclaimedHotKeys().empty());
    EXPECT_EQ(stderr_, "");

    testing_support::MessageBoxAnswerer boxes;
    form_->mnuHotKeys_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Tessarine");
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Information);
    EXPECT_EQ(boxes.shown[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(boxes.shown[0].text.toStdString(), kThreeLines);
}

TEST_F(HotKeys, PrintScreenCapturesTheWholeScreen) {
    ASSERT_TRUE(keys_->press(kKeysymPrint, 0));
    EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
    EXPECT_EQ(variables::CaptureHeight, kScreenHeight);
    EXPECT_EQ(CapturePixel(5, 6), testing_support::FakeScreen::PatternAt(5, 6));
    EXPECT_TRUE(form_->Visible());
}

TEST_F(HotKeys, UnloadingReleasesTheKeysInOrder) {
    form_->Form_Unload();
    EXPECT_EQ(keys_->releases,
              (std::vector<std::uint16_t>{0, platform::kShiftMask, kCtrlAltShift}));
    EXPECT_FALSE(form_->SSHK.HotKeyActive());
    EXPECT_FALSE(form_->WSHK.HotKeyActive());
    EXPECT_FALSE(form_->VBHotKey1.HotKeyActive());
    EXPECT_FALSE(keys_->press(kKeysymPrint, 0));
}

TEST_F(HotKeys, PrintPressedDuringACaptureRunsOneCaptureAfterItNotInsideIt) {
    raster::HDC beforePresses = 0;
    raster::HDC afterPresses = 0;
    QTimer::singleShot(0, [&] {  // in the capture's first yield
        beforePresses = variables::CaptureDC;
        keys_->press(kKeysymPrint, 0);
        keys_->press(kKeysymPrint, 0);
        afterPresses = variables::CaptureDC;
    });
    form_->mnuScreen_Click();
    EXPECT_EQ(afterPresses, beforePresses) << "a capture ran inside the capture";
    const raster::HDC first = variables::CaptureDC;
    QCoreApplication::processEvents();
    const raster::HDC second = variables::CaptureDC;
    QCoreApplication::processEvents();
    EXPECT_NE(second, first);
    EXPECT_EQ(variables::CaptureDC, second) << "more than one capture followed";
}

TEST_F(HotKeys, AKeyLostToAKeyboardChangeIsNamedInTheMessage) {
    keys_->lost[{kKeysymPrint, 0}] = platform::ClaimResult::HeldByAnother;
    EXPECT_FALSE(form_->SSHK.HotKeyActive());
    EXPECT_EQ(form_->SSHK.LastClaim(), platform::ClaimResult::HeldByAnother);
    testing_support::MessageBoxAnswerer boxes;
    form_->mnuHotKeys_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.toStdString(),
              kThreeLines + "\r\nThese hot keys could not be claimed: Print Screen");
}

class HotKeysHeldElsewhere : public HotKeys {
  protected:
    void SetUp() override {
        refused_ = {{kKeysymPrint, platform::kShiftMask}, {kKeysymPrint, kCtrlAltShift}};
        HotKeys::SetUp();
    }
};

TEST_F(HotKeysHeldElsewhere, EachRefusedCombinationIsReportedOnceAndNamedInTheMessage) {
    EXPECT_TRUE(form_->SSHK.HotKeyActive());
    EXPECT_FALSE(form_->WSHK.HotKeyActive());
    EXPECT_FALSE(form_->VBHotKey1.HotKeyActive());
    EXPECT_EQ(stderr_,
              "tessarine: cannot claim Shift+Print Screen: another program holds it\n"
              "tessarine: cannot claim Ctrl+Alt+Shift+Print Screen: another program holds "
              "it\n");

    testing_support::MessageBoxAnswerer boxes;
    form_->mnuHotKeys_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.toStdString(),
              kThreeLines +
                  "\r\nThese hot keys could not be claimed: Shift+Print Screen, "
                  "Ctrl+Alt+Shift+Print Screen");

    // The key that was had still works.
    EXPECT_TRUE(keys_->press(kKeysymPrint, 0));
    EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
}

// A Wayland desktop: either it lets no program hold keys, or it binds them
// itself and says with which trigger.
class DesktopGrab : public platform::KeyGrab {
  public:
    platform::ClaimResult State() const override { return platform::ClaimResult::Claimed; }
    std::optional<std::string> desktopTrigger() const override { return "Print"; }
};

// A desktop that binds keys to commands: Print is its own, the rest it runs
// the command for.
class CommandBinding : public platform::KeyGrab {
  public:
    platform::ClaimResult State() const override { return platform::ClaimResult::Claimed; }
    std::string commandBoundBy() const override { return "sway"; }
};

platform::ClaimOutcome CommandsBound(const platform::KeyCombination& keys, std::function<void()>) {
    if (!keys.shift) {
        return {platform::ClaimResult::HeldByAnother, nullptr, "sway's configuration binds it"};
    }
    return {platform::ClaimResult::Claimed, std::make_unique<CommandBinding>(), {}};
}

platform::ClaimOutcome NoKeysInSession(const platform::KeyCombination&, std::function<void()>) {
    return {platform::ClaimResult::NotInSession, nullptr, {}};
}

platform::ClaimOutcome DesktopBinds(const platform::KeyCombination&, std::function<void()>) {
    return {platform::ClaimResult::Claimed, std::make_unique<DesktopGrab>(), {}};
}

TEST(HotKeysMessage, InAWaylandSessionSaysWhatTheDesktopDidWithTheKeys) {
    controls::VBHotKey key;
    key.vkey = 44;
    std::optional<testing_support::ScopedFakeBackend> desktop(
        std::in_place, [](testing_support::FakeBackend& fake) { fake.claim = &NoKeysInSession; });
    key.setHotKeyActive(true);
    EXPECT_EQ(hot_keys::SessionNote({&key}), hot_keys::kNoKeysInSession);
    key.setHotKeyActive(false);
    desktop.reset();
    desktop.emplace([](testing_support::FakeBackend& fake) { fake.claim = &DesktopBinds; });
    key.setHotKeyActive(true);
    EXPECT_EQ(hot_keys::MessageText({}, hot_keys::SessionNote({&key})),
              kThreeLines + "\r\nThe desktop bound the hot keys: Print Screen as Print");
}

TEST(HotKeysMessage, NamesTheDesktopThatRunsTheCommandAndWhatItHolds) {
    testing_support::ScopedFakeBackend desktop(
        [](testing_support::FakeBackend& fake) { fake.claim = &CommandsBound; });
    controls::VBHotKey print, shiftPrint;
    print.vkey = shiftPrint.vkey = 44;
    shiftPrint.shiftkey = true;
    print.setHotKeyActive(true);
    shiftPrint.setHotKeyActive(true);
    EXPECT_EQ(hot_keys::SessionNote({&print, &shiftPrint}),
              "sway runs \"tessarine --hot-key\" for Shift+Print Screen while this window runs"
              "\r\nPrint Screen: sway's configuration binds it");
}

}  // namespace
