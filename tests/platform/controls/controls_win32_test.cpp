// The Win32 controls on a real (Wine) desktop: sizes, pixels on the screen,
// the form's keys, option groups, the clipboard.

#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/clipboard.h"
#include "platform/controls/command_button.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/form.h"
#include "platform/controls/frame.h"
#include "platform/controls/menu.h"
#include "platform/controls/message_box.h"
#include "platform/controls/option_button.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/size_limit.h"
#include "platform/controls/win32/control_impl.h"
#include "platform/raster/raster.h"

namespace {

using controls::Form;

// The screen's pixels under `box`, as 0x00RRGGBB.
std::vector<std::uint32_t> ScreenUnder(const controls::Control& box, int width, int height) {
    POINT at{0, 0};
    ClientToScreen(box.impl().hwnd, &at);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, at.x, at.y, SRCCOPY);
    std::vector<std::uint32_t> pixels(static_cast<const std::uint32_t*>(bits),
                                      static_cast<const std::uint32_t*>(bits) + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    return pixels;
}

// A key as if pressed with `modifiers` held, through the event pump.
void Press(HWND target, WPARAM key, std::initializer_list<int> modifiers = {}) {
    BYTE state[256] = {};
    for (int modifier : modifiers) {
        state[modifier] = 0x80;
    }
    SetKeyboardState(state);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    controls::DoEvents();
    BYTE none[256] = {};
    SetKeyboardState(none);
}

TEST(Win32Controls, ClientSizeIsTheDesignSizeWithAMenuBarOrWithout) {
    Form sizable(Form::Style::Sizable, "sizable");
    controls::Menu file(sizable, "&File");
    controls::MenuItem save(file, "Save");
    sizable.setClientSize(604, 398);
    EXPECT_EQ(sizable.ScaleWidth(), 604);
    EXPECT_EQ(sizable.ScaleHeight(), 398);
    Form dialog(Form::Style::FixedDialog, "dialog");
    dialog.setClientSize(249, 58);
    EXPECT_EQ(dialog.ScaleWidth(), 249);
    EXPECT_EQ(dialog.ScaleHeight(), 58);
}

TEST(Win32Controls, SizeLimitsAreOuterSizesAndSwitchingOnNeverGrowsTheWindow) {
    Form form(Form::Style::Sizable, "form");
    form.setClientSize(604, 398);
    RECT outer;
    GetWindowRect(form.impl().hwnd, &outer);
    controls::SizeLimit limit;
    limit.setHwnd(&form);
    limit.minwidth = 300;
    limit.minheight = 2000;
    limit.maxwidth = 800;
    limit.setLimitSize(true);
    MINMAXINFO info{};
    SendMessageW(form.impl().hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, outer.bottom - outer.top);
    EXPECT_EQ(info.ptMaxTrackSize.x, 800);
}

TEST(Win32Controls, PictureBoxShowsItsPixelsAndAContextFromAnOrigin) {
    Form form(Form::Style::Borderless, "form");
    form.Move(40, 40, 200, 100);
    controls::PictureBox box(form);
    box.Move(10, 10, 64, 32);
    const auto image = raster::ContextPixels(box.hDC());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 64);
    ASSERT_EQ(image->height, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            image->row(y)[x] = static_cast<std::uint32_t>(x * 4 << 16 | y * 8 << 8 | (x ^ y));
        }
    }
    form.Show();
    box.Refresh();
    controls::DoEvents();
    const std::vector<std::uint32_t> own(image->pixels, image->pixels + 64 * 32);
    EXPECT_EQ(ScreenUnder(box, 64, 32), own);

    // Another context's pixels from (10, 5) on; beyond them, the background.
    const raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const raster::HDC source = raster::CreateCompatibleDC(display);
    const raster::HBITMAP bitmap = raster::CreateCompatibleBitmap(display, 70, 30);
    raster::SelectObject(source, bitmap);
    const auto pixels = raster::ContextPixels(source);
    for (int i = 0; i < 70 * 30; ++i) {
        pixels->pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    }
    box.ShowContext(source, 10, 5);
    box.Refresh();
    controls::DoEvents();
    const std::vector<std::uint32_t> shown = ScreenUnder(box, 64, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t expected =
                y < 25 && x < 60 ? pixels->row(y + 5)[x + 10] : box.backColor();
            ASSERT_EQ(shown[static_cast<std::size_t>(y * 64 + x)], expected) << x << "," << y;
        }
    }
    box.ShowContext(0);
    raster::DeleteDC(source);
    raster::DeleteObject(bitmap);
    raster::DeleteDC(display);
}

TEST(Win32Controls, FormKeysReachShortcutsButtonsTabOrderAndKeyDown) {
    Form form(Form::Style::Sizable, "form");
    controls::Menu file(form, "&File");
    controls::MenuItem save(file, "Save");
    controls::CommandButton first(form, "First");
    controls::CommandButton second(form, "Second");
    controls::CommandButton third(form, "Third");
    std::vector<std::string> seen;
    save.Click = [&] { seen.push_back("save"); };
    first.Click = [&] { seen.push_back("first"); };
    second.Click = [&] { seen.push_back("second"); };
    form.KeyDown = [&](int key, int shift) {
        seen.push_back("key " + std::to_string(key) + " " + std::to_string(shift));
    };
    save.setShortcut(controls::vbCtrlMask, 'S');
    first.setDefault(true);
    second.setCancel(true);
    controls::SetTabOrder(first, third);
    controls::SetTabOrder(third, second);
    form.Show();
    first.SetFocus();

    Press(first.impl().hwnd, 'S', {VK_CONTROL});
    Press(first.impl().hwnd, VK_ESCAPE);
    Press(first.impl().hwnd, 'Q', {VK_SHIFT});
    Press(first.impl().hwnd, VK_TAB);
    EXPECT_EQ(GetFocus(), third.impl().hwnd);
    Press(third.impl().hwnd, VK_RETURN);  // a focused button takes Enter itself
    save.setEnabled(false);
    Press(third.impl().hwnd, 'S', {VK_CONTROL});
    EXPECT_EQ(save.Caption(), "Save");
    EXPECT_EQ(seen, (std::vector<std::string>{"save", "second", "key 81 1"}));
}

TEST(Win32Controls, OptionButtonsAreExclusivePerContainerAndOnlyTheUserClicks) {
    Form form(Form::Style::FixedDialog, "form");
    controls::Frame frame(form, "");
    controls::OptionButton a(frame, "A");
    controls::OptionButton b(frame, "B");
    controls::OptionButton elsewhere(form, "C");
    int clicks = 0;
    a.Click = b.Click = [&] { ++clicks; };
    elsewhere.setValue(true);
    a.setValue(true);
    b.setValue(true);
    EXPECT_FALSE(a.Value());
    EXPECT_TRUE(b.Value());
    EXPECT_TRUE(elsewhere.Value());
    EXPECT_EQ(clicks, 0);
    SendMessageW(frame.impl().hwnd, WM_COMMAND, BN_CLICKED << 16,
                 reinterpret_cast<LPARAM>(a.impl().hwnd));
    EXPECT_TRUE(a.Value());
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(clicks, 1);
}

TEST(Win32Controls, ClipboardHoldsTheBitmapAndThePng) {
    std::vector<std::uint8_t> bitmap(14, 'B');
    for (int i = 0; i < 60; ++i) {
        bitmap.push_back(static_cast<std::uint8_t>(i));
    }
    const std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', 1, 2, 3};
    controls::SetClipboardPicture(png, bitmap);
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto bytes = [](UINT format) {
        HGLOBAL data = GetClipboardData(format);
        const auto* at = data ? static_cast<const std::uint8_t*>(GlobalLock(data)) : nullptr;
        std::vector<std::uint8_t> copy;
        if (at) {
            copy.assign(at, at + GlobalSize(data));
            GlobalUnlock(data);
        }
        return copy;
    };
    const std::vector<std::uint8_t> dib = bytes(CF_DIB);
    const std::vector<std::uint8_t> stored = bytes(RegisterClipboardFormatW(L"PNG"));
    CloseClipboard();
    // Memory blocks may come back rounded up.
    ASSERT_GE(dib.size(), bitmap.size() - 14);
    EXPECT_TRUE(std::equal(bitmap.begin() + 14, bitmap.end(), dib.begin()));
    ASSERT_GE(stored.size(), png.size());
    EXPECT_TRUE(std::equal(png.begin(), png.end(), stored.begin()));
}

TEST(Win32Controls, MessageBoxCopiesItselfWithCtrlC) {
    // Once the box shows: Ctrl+C, then Enter to close it.
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND box = FindWindowW(nullptr, L"Copied title");
        if (!box) {
            return;
        }
        KillTimer(nullptr, timer);
        BYTE state[256] = {};
        state[VK_CONTROL] = 0x80;
        SetKeyboardState(state);
        SendMessageW(GetDlgItem(box, IDOK), WM_SETFOCUS, 0, 0);
        PostMessageW(GetDlgItem(box, IDOK), WM_KEYDOWN, 'C', 1);
        PostMessageW(box, WM_CLOSE, 0, 0);
    });
    controls::ShowMessage(nullptr, controls::MessageIcon::Warning, "Copied title", "Text");
    BYTE none[256] = {};
    SetKeyboardState(none);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data) {
        GlobalUnlock(data);
    }
    CloseClipboard();
    const std::wstring line = L"---------------------------\r\n";
    EXPECT_EQ(text, line + L"Copied title\r\n" + line + L"Text\r\n" + line + L"OK   \r\n" + line);
}

}  // namespace
