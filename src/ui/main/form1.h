#pragma once
// The main window: preview pane, capture and save buttons, preview-style
// options, status bar, menus and the global hot keys.

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/common_dialog.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/popup_button.h"
#include "platform/controls/qt/control_impl.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/controls/size_limit.h"
#include "platform/controls/status_bar.h"
#include "platform/controls/vb_hot_key.h"
#include "platform/raster/gdi.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QRadioButton;

class Form1 : public QMainWindow {
    Q_OBJECT
  public:
    Form1();
    ~Form1() override;

    // The one main window, or null before it exists and after it is gone.
    static Form1* Instance();

    // Display context created by the most recent capture.
    raster::HDC ScreenDC = 0;

    // Inner (client) size in pixels.
    int ScaleWidth() const;
    int ScaleHeight() const;

    // Controls, named as the handlers refer to them.
    QLabel* Label1 = nullptr;
    QLabel* labRes = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label5 = nullptr;
    QRadioButton* opStretch = nullptr;
    QRadioButton* opActual = nullptr;
    std::unique_ptr<controls::PopupButton> asPopup1;
    std::unique_ptr<controls::PopupButton> cmdCapSelection;
    std::unique_ptr<controls::PopupButton> cmdCrop;
    std::unique_ptr<controls::PopupButton> asPopup2;
    std::unique_ptr<controls::PictureBox> picpreview;
    std::unique_ptr<controls::RectangleShape> CropBox;
    std::unique_ptr<controls::StatusBar> StatusBar1;
    controls::SizeLimit SizeLimit1;
    std::unique_ptr<controls::VBHotKey> SSHK;
    std::unique_ptr<controls::VBHotKey> WSHK;
    std::unique_ptr<controls::VBHotKey> VBHotKey1;
    controls::qt::Host window_{this};
    controls::CommonDialog CommonDialog1{&window_};

    QMenu* mnuFile = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnusep = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuCrop = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuHotKeys = nullptr;
    QMenu* mnuCapture = nullptr;
    QAction* mnuScreen = nullptr;
    QAction* mnuselscreen = nullptr;
    QAction* mnuWindow = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuSupport = nullptr;
    QAction* mnuAbout = nullptr;

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

    // The preview redraw that ends Form_Resize: no clear, stretched or 1:1.
    void RedrawPreviewAfterLayout();

    // Hiding and showing keep the window where it was: without this, a
    // window manager places a re-mapped window afresh on every capture.
    void setVisible(bool visible) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void wire();
    void buildHotKeys();
    void restorePlace();
    // The window's size for a client area of the design size, 604 x 398.
    void resizeToDesignClientSize();

    QWidget* client_ = nullptr;
    std::unique_ptr<controls::qt::Host> clientHost_;
    QRect placeBeforeHide_;
    bool restorePlacePending_ = false;
    // Hidden from captures while still in its place (see setVisible).
    bool steppedAside_ = false;
    bool unloaded_ = false;
    // Lets work queued for later (a hot-key press waiting for a capture to
    // end) find out whether the window is still there.
    std::shared_ptr<Form1*> alive_ = std::make_shared<Form1*>(this);
};
