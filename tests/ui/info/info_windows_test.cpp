// The About box, the banner window and the support message, driven through
// the main window's handlers.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/controls/event_pump.h"
#include "platform/controls/message_box.h"
#include "platform/controls/qt/form_window.h"
#include "platform/controls/qt/message_box_widget.h"
#include "program/default_form.h"
#include "support/form1_fixture.h"
#include "ui/info/form3.h"
#include "ui/info/frm_about.h"
#include "ui/info/frm_bases.h"
#include "ui/info/modal_probe.h"
#include "ui/info/support_message.h"
#include "ui/main/form1.h"

namespace {

using controls::qt::WidgetOf;
using controls::qt::WindowOf;
using testing_support::Form1Test;
using testing_support::WhenModal;

QLabel* LabelOf(const controls::Control& label) {
    return qobject_cast<QLabel*>(WidgetOf(label));
}

void Click(QWidget* widget, QPoint at, QPoint releaseAt) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, releaseAt, widget->mapToGlobal(releaseAt),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

class InfoWindows : public Form1Test {
  protected:
    void TearDown() override {
        app::DefaultForm<frmBases>::Unload();
        app::DefaultForm<frmAbout>::Unload();
        app::DefaultForm<Form3>::Unload();
        controls::DoEvents();
        Form1Test::TearDown();
    }
};

TEST_F(InfoWindows, AboutBoxIsModalAtItsFixedPlaceAndOkUnloadsIt) {
    bool inspected = false;
    WhenModal([&](QWidget* modal) {
        inspected = true;
        frmAbout* about = app::DefaultForm<frmAbout>::IfLoaded();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(modal, WindowOf(*about));
        EXPECT_EQ(modal->windowTitle(), "Tessarine");
        // The program's icon, at 32 x 32 and 16 x 16.
        const QList<QSize> iconSizes = modal->windowIcon().availableSizes();
        EXPECT_TRUE(iconSizes.contains(QSize(32, 32)) && iconSizes.contains(QSize(16, 16)));
        // Client area 5730 x 2040 twips at (2340, 1935), not resizable.
        EXPECT_EQ(modal->geometry(), QRect(156, 129, 382, 136));
        EXPECT_EQ(modal->minimumSize(), modal->maximumSize());
        EXPECT_FALSE(modal->windowFlags() & Qt::WindowMinMaxButtonsHint);
        // The white band overhangs both sides; the title sits in it.
        QWidget* band = WidgetOf(about->Picture1);
        EXPECT_EQ(band->palette().color(QPalette::Window), QColor(255, 255, 255));
        QLabel* title = LabelOf(about->Label1);
        EXPECT_EQ(title->parentWidget(), band);
        EXPECT_EQ(title->geometry(), QRect(96, 0, 385, 49));
        EXPECT_TRUE(title->font().bold() && title->font().italic());
        EXPECT_EQ(title->font().pixelSize(), 37);  // 27.75 pt
        auto* ok = qobject_cast<QPushButton*>(WidgetOf(about->cmdOK));
        EXPECT_EQ(ok->geometry(), QRect(288, 96, 84, 23));
        EXPECT_TRUE(ok->isDefault());
        EXPECT_EQ(modal->focusWidget(), ok);
        ok->click();
    });
    form_->mnuAbout_Click();
    EXPECT_TRUE(inspected);
    EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), nullptr);
}

TEST_F(InfoWindows, EscapeAndTheCloseBoxCloseTheAboutBoxAndItOpensAfresh) {
    frmAbout* first = nullptr;
    WhenModal([&](QWidget* modal) {
        first = app::DefaultForm<frmAbout>::IfLoaded();
        modal->move(10, 10);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(modal, &esc);
    });
    form_->mnuAbout_Click();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), nullptr);
    controls::DoEvents();

    bool reopened = false;
    WhenModal([&](QWidget* modal) {
        reopened = true;
        // Nothing carries over: the same fixed place again.
        EXPECT_EQ(modal->geometry().topLeft(), QPoint(156, 129));
        modal->close();
    });
    form_->mnuAbout_Click();
    EXPECT_TRUE(reopened);
    EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), nullptr);
}

// An ordinary window shown modal over the modal About box: the drop returns
// once it is closed.
TEST_F(InfoWindows, TheCamelWindowOpensModalOverTheAboutBox) {
    frmAbout& about = app::DefaultForm<frmAbout>::Get();
    about.Show();
    bool shown = false;
    WhenModal(
        [&](QWidget* modal) {
            shown = true;
            ASSERT_NE(app::DefaultForm<Form3>::IfLoaded(), nullptr);
            EXPECT_EQ(modal, WindowOf(*app::DefaultForm<Form3>::IfLoaded()));
            EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
            modal->close();
        },
        WindowOf(about));
    about.Label1_DragDrop("Support", 10, 10);
    EXPECT_TRUE(shown);
    EXPECT_EQ(app::DefaultForm<Form3>::IfLoaded(), nullptr);
}

TEST_F(InfoWindows, TheHotKeyShowsOneBannerAndAClickAnywhereClosesIt) {
    form_->VBHotKey1_HotKeyPressed();
    frmBases* banner = app::DefaultForm<frmBases>::IfLoaded();
    ASSERT_NE(banner, nullptr);
    EXPECT_TRUE(banner->Visible());
    EXPECT_TRUE(form_->Visible());  // the main window stays as it is
    QWidget* window = WindowOf(*banner);
    EXPECT_EQ(window->windowTitle(), "Form4");
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0, 0, 0));
    QLabel* text = LabelOf(banner->Label1);
    EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    // A second press brings up the same window.
    form_->VBHotKey1_HotKeyPressed();
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), banner);

    // A press on the text released outside it is no click on the text.
    Click(text, QPoint(5, 5), QPoint(400, 400));
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), banner);

    // A click on the text closes it...
    Click(text, QPoint(5, 5), QPoint(6, 6));
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), nullptr);
    EXPECT_FALSE(banner->Visible());
    controls::DoEvents();

    // ... and so does one on the black beside it, on a new banner.
    form_->VBHotKey1_HotKeyPressed();
    banner = app::DefaultForm<frmBases>::IfLoaded();
    ASSERT_NE(banner, nullptr);
    Click(WindowOf(*banner), QPoint(2, 2), QPoint(3, 3));
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), nullptr);
}

TEST_F(InfoWindows, SupportMessageIsTwoLinesJoinedByCrLf) {
    const std::string line1 =
        "Please visit https://support.example.com/tessarine to see the FAQ or known problems "
        "with the fixes. ";
    const std::string line2 =
        "If you are still getting errors, email me at support@example.com. Please make the "
        "subject of your email 'SUPPORT NEEDED'. Thankyou!";
    EXPECT_EQ(info::SupportMessageText(), line1 + "\r\n" + line2);

    bool shown = false;
    WhenModal([&](QWidget* modal) {
        shown = true;
        auto* box = dynamic_cast<controls::qt::MessageBoxWidget*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Support");
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->text().toStdString(), line1 + "\r\n" + line2);
        EXPECT_EQ(box->parentWidget(), nullptr);
        // Ctrl+C copies the message, unchanged, between separator lines.
        QGuiApplication::clipboard()->clear();
        QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
        QApplication::sendEvent(box, &copy);
        const std::string separator = "---------------------------\n";
        EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
                  separator + "Support\n" + separator + line1 + "\r\n" + line2 + "\n" + separator +
                      "OK   \n" + separator);
        box->button(QMessageBox::Ok)->click();
    });
    form_->mnuSupport_Click();
    EXPECT_TRUE(shown);
}

}  // namespace
