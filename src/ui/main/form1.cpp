#include "ui/main/form1.h"

#include "platform/controls/event_pump.h"
#include "platform/raster/gdi.h"
#include "ui/main/desktop_notice_line.h"

namespace {

Form1* gInstance = nullptr;

constexpr int kDesignClientWidth = 604;
constexpr int kDesignClientHeight = 398;

}  // namespace

Form1* Form1::Instance() {
    return gInstance;
}

Form1::Form1() : controls::Form(Style::Sizable, "Form1") {
    gInstance = this;
    setCaption("Tessarine");
    ShowProgramIcon();
    // A window manager would otherwise place the window afresh each time a
    // capture hides and shows it.
    setKeepPlaceWhenHidden(true);
    layOut();
    wire();
    buildHotKeys();
    setClientSize(kDesignClientWidth, kDesignClientHeight);
}

Form1::~Form1() {
    if (gInstance == this) {
        gInstance = nullptr;
        ui::StopDesktopNotices();
    }
}

void Form1::layOut() {
    // The labels' lines sit in the middle of their boxes.
    for (controls::Label* label : {&Label1, &labRes, &Label5}) {
        label->setVerticalAlignment(controls::VerticalAlignment::Middle);
    }
    Label1.Move(8, 8, 97, 17);
    labRes.Move(8, 24, 97, 17);
    labRes.setForeColor(0x000080);

    Frame2.setName("Frame2");
    Frame2.Move(8, 48, 97, 65);
    Label5.setName("Label5");
    Label5.Move(0, 8, 89, 25);
    opStretch.setName("opStretch");
    opStretch.Move(0, 24, 89, 17);
    opStretch.setValue(true);
    opActual.setName("opActual");
    opActual.Move(0, 41, 97, 17);

    asPopup1.setName("asPopup1");
    asPopup1.Move(0, 112, 113, 17);
    cmdCapSelection.setName("cmdCapSelection");
    cmdCapSelection.Move(0, 136, 113, 17);
    cmdCrop.setName("cmdCrop");
    cmdCrop.Move(0, 160, 113, 17);
    asPopup2.setName("asPopup2");
    asPopup2.Move(8, 352, 105, 17);

    picpreview.setName("picpreview");
    picpreview.Move(120, 0, 473, 369);
    picpreview.setTabStop(true);
    // The preview only shows the capture, so it may scale smoothly.
    raster::SetStretchBltMode(picpreview.hDC(), raster::HALFTONE);
    CropBox.setName("CropBox");
    CropBox.setBorderColor(0xFF0000);
    CropBox.setBorderWidth(2);

    StatusBar1.setName("StatusBar1");
    ui::ShowDesktopNoticesIn(&StatusBar1);

    // Tab goes from the Actual Size option to the pane, then to Stretch.
    controls::SetTabOrder(opActual, picpreview);
    controls::SetTabOrder(picpreview, opStretch);

    mnuSave.setShortcut(controls::vbCtrlMask, 'S');
    // A window shortcut: a message box in front keeps its own Ctrl+C.
    mnuCopy.setShortcut(controls::vbCtrlMask, 'C');
}

void Form1::wire() {
    mnuSave.Click = [this] { mnuSave_Click(); };
    asPopup2.Click = [this](int) { mnuSave_Click(); };
    mnuSaveAs.Click = [this] { mnuSaveAs_Click(); };
    mnuExit.Click = [this] { mnuExit_Click(); };
    mnuCrop.Click = [this] { cmdCrop_Click(); };
    mnuCopy.Click = [this] { mnuCopy_Click(); };
    cmdCrop.Click = [this](int) { cmdCrop_Click(); };
    mnuHotKeys.Click = [this] { mnuHotKeys_Click(); };
    mnuScreen.Click = [this] { mnuScreen_Click(); };
    asPopup1.Click = [this](int) { mnuScreen_Click(); };
    mnuselscreen.Click = [this] { mnuselscreen_Click(); };
    cmdCapSelection.Click = [this](int) { mnuselscreen_Click(); };
    mnuWindow.Click = [this] { mnuWindow_Click(); };
    mnuSupport.Click = [this] { mnuSupport_Click(); };
    mnuAbout.Click = [this] { mnuAbout_Click(); };
    opActual.Click = [this] { opActual_Click(); };
    opStretch.Click = [this] { opStretch_Click(); };
    picpreview.MouseDown = [this](int button, int shift, float x, float y) {
        picpreview_MouseDown(button, shift, x, y);
    };
    picpreview.MouseMove = [this](int button, int shift, float x, float y) {
        picpreview_MouseMove(button, shift, x, y);
    };
    picpreview.MouseUp = [this](int button, int shift, float x, float y) {
        picpreview_MouseUp(button, shift, x, y);
    };
    Label5.MouseMove = [this](int, int, float, float) { Label5_MouseMove(); };
    Frame2.MouseMove = [this](int, int, float, float) { Frame2_MouseMove(); };
    MouseMove = [this](int, int, float, float) { Form_MouseMove(); };
    Resize = [this] { Form_Resize(); };
    // Closing the main window ends the program, even while one of its other
    // windows is still loaded but hidden.
    QueryUnload = [this] {
        Form_Unload();
        controls::QuitEventLoop(0);
        return true;
    };
}

void Form1::Form_Load() {
    Show();
    picpreview.SetFocus();
    SizeLimit1.setHwnd(this);
    SizeLimit1.minwidth = static_cast<float>(ScaleWidth());
    SizeLimit1.maxwidth = 1024;
    SizeLimit1.minheight = static_cast<float>(ScaleHeight() + 50);
    SizeLimit1.maxheight = 768;
    SizeLimit1.setLimitSize(true);
    Form_Resize();
}

void Form1::Form_Resize() {
    // A size that would be negative (a minimised window) keeps the old one.
    const int paneWidth = ScaleWidth() - 122;
    const int paneHeight = ScaleHeight() - 20;
    if (paneWidth >= 0) {
        picpreview.Move(picpreview.Left(), picpreview.Top(), paneWidth, picpreview.Height());
    }
    if (paneHeight >= 0) {
        picpreview.Move(picpreview.Left(), picpreview.Top(), picpreview.Width(), paneHeight);
    }
    StatusBar1.Move(0, ScaleHeight() - controls::StatusBar::kHeight, ScaleWidth(),
                    controls::StatusBar::kHeight);
    RedrawPreviewAfterLayout();
}

void Form1::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    SSHK.setHotKeyActive(false);
    WSHK.setHotKeyActive(false);
    VBHotKey1.setHotKeyActive(false);
}

void Form1::mnuExit_Click() {
    controls::QuitEventLoop(0);
}
