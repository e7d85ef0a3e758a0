#pragma once
// The main window: preview pane, capture and save buttons, preview-style
// options, status bar, menus and the global hot keys.

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/common_dialog.h"
#include "platform/controls/form.h"
#include "platform/controls/frame.h"
#include "platform/controls/label.h"
#include "platform/controls/menu.h"
#include "platform/controls/option_button.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/popup_button.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/controls/size_limit.h"
#include "platform/controls/status_bar.h"
#include "platform/controls/vb_hot_key.h"
#include "platform/raster/gdi.h"

class Form1 : public controls::Form {
  public:
    Form1();
    ~Form1() override;

    // The one main window, or null before it exists and after it is gone.
    static Form1* Instance();

    // Display context created by the most recent capture.
    raster::HDC ScreenDC = 0;

    // Controls, named as the handlers refer to them.
    controls::Label Label1{*this, "Current Resolution:"};
    controls::Label labRes{*this, "[Current Resolution]"};
    controls::Frame Frame2{*this, ""};
    controls::Label Label5{Frame2, "Preview Style"};
    controls::OptionButton opStretch{Frame2, "Stretch to fit"};
    controls::OptionButton opActual{Frame2, "Actual Size"};
    controls::PopupButton asPopup1{*this, "Capture Screen"};
    controls::PopupButton cmdCapSelection{*this, "Capture Selection"};
    controls::PopupButton cmdCrop{*this, "Crop"};
    controls::PopupButton asPopup2{*this, "Save"};
    controls::PictureBox picpreview{*this};
    controls::RectangleShape CropBox{picpreview};
    controls::StatusBar StatusBar1{*this};
    controls::SizeLimit SizeLimit1;
    controls::VBHotKey SSHK;
    controls::VBHotKey WSHK;
    controls::VBHotKey VBHotKey1;
    controls::CommonDialog CommonDialog1{this};

    controls::Menu mnuFile{*this, "&File"};
    controls::MenuItem mnuSave{mnuFile, "Save"};
    controls::MenuItem mnuSaveAs{mnuFile, "Save As..."};
    controls::MenuItem mnusep{mnuFile, "-"};
    controls::MenuItem mnuExit{mnuFile, "Exit"};
    controls::Menu mnuEdit{*this, "&Edit"};
    controls::MenuItem mnuCrop{mnuEdit, "Crop                "};
    controls::MenuItem mnuCopy{mnuEdit, "Copy"};
    controls::MenuItem mnuHotKeys{*this, "HotKeys"};
    controls::Menu mnuCapture{*this, "Capture"};
    controls::MenuItem mnuScreen{mnuCapture, "Screen"};
    controls::MenuItem mnuselscreen{mnuCapture, "Selection..."};
    controls::MenuItem mnuWindow{mnuCapture, "Window..."};
    controls::Menu mnuHelp{*this, "&Help"};
    controls::MenuItem mnuSupport{mnuHelp, "Getting Support..."};
    controls::MenuItem mnuAbout{mnuHelp, "About..."};

    // Window
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void mnuExit_Click();

    // Capture
    void mnuScreen_Click();
    void mnuselscreen_Click();
    void mnuWindow_Click();
    void SSHK_HotKeyPressed();
    void WSHK_HotKeyPressed();
    void VBHotKey1_HotKeyPressed();
    void mnuHotKeys_Click();
    // The hot-key combinations not held (another program has them).
    std::vector<std::string> UnclaimedHotKeys() const;

    // Preview and crop
    void opActual_Click();
    void opStretch_Click();
    void cmdCrop_Click();
    void picpreview_MouseDown(int button, int shift, float x, float y);
    void picpreview_MouseMove(int button, int shift, float x, float y);
    void picpreview_MouseUp(int button, int shift, float x, float y);

    // Output
    void mnuSave_Click();
    void mnuSaveAs_Click();
    // The capture onto the clipboard; nothing before the first capture.
    void mnuCopy_Click();

    // Information
    void mnuSupport_Click();
    void mnuAbout_Click();
    void Label5_MouseMove();
    void Frame2_MouseMove();
    void Form_MouseMove();

    // Shows the capture in the preview pane in the chosen style: after a
    // capture, a crop, a style change or a new layout.
    void RedrawPreviewAfterLayout();

  private:
    void layOut();
    void wire();
    void buildHotKeys();

    bool unloaded_ = false;
    // Lets work queued for later (a hot-key press waiting for a capture to
    // end) find out whether the window is still there.
    std::shared_ptr<Form1*> alive_ = std::make_shared<Form1*>(this);
};
