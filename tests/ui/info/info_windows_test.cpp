// The About box, the banner window and the support message, driven through
// the main window's handlers.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/controls/message_box.h"
#include "program/default_form.h"
#include "support/form1_fixture.h"
#include "ui/info/form3.h"
#include "ui/info/frm_about.h"
#include "ui/info/frm_bases.h"
#include "ui/info/modal_probe.h"
#include "ui/info/support_message.h"
#include "ui/main/form1.h"

namespace {

using testing_support::Form1Test;
using testing_support::WhenModal;

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
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Form1Test::TearDown();
    }
};

TEST_F(InfoWindows, AboutBoxIsModalAtItsFixedPlaceAndOkUnloadsIt) {
    bool inspected = false;
    WhenModal([&](QWidget* modal) {
        inspected = true;
        auto* about = qobject_cast<frmAbout*>(modal);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about, app::DefaultForm<frmAbout>::IfLoaded());
        EXPECT_EQ(about->windowTitle(), "Tessarine");
        // The program's icon, at 32 x 32 and 16 x 16.
        const QList<QSize> iconSizes = about->windowIcon().availableSizes();
        EXPECT_TRUE(iconSizes.contains(QSize(32, 32)) && iconSizes.contains(QSize(16, 16)));
        // Client area 5730 x 2040 twips at (2340, 1935), not resizable.
        EXPECT_EQ(about->geometry(), QRect(156, 129, 382, 136));
        EXPECT_EQ(about->minimumSize(), about->maximumSize());
        EXPECT_FALSE(about->windowFlags() & Qt::WindowMinMaxButtonsHint);
        // The white band overhangs both sides; the title and credit sit in it.
        EXPECT_EQ(about->Picture1->geometry(), QRect(-32, 0, 417, 73));
        EXPECT_EQ(about->Picture1->palette().color(QPalette::Window), QColor(255, 255, 255));
        EXPECT_EQ(about->Label1->parentWidget(), about->Picture1);
        EXPECT_EQ(about->Label1->geometry(), QRect(96, 0, 385, 49));
        EXPECT_EQ(about->Label1->text(), "Tessarine 1.0");
        EXPECT_TRUE(about->Label1->font().bold());
        EXPECT_TRUE(about->Label1->font().italic());
        EXPECT_EQ(about->Label1->font().pixelSize(), 37);  // 27.75 pt
        EXPECT_EQ(about->Label2->geometry(), QRect(296, 48, 105, 17));
        EXPECT_EQ(about->Label2->text(), "by Lumograph");
        EXPECT_EQ(about->Support->geometry(), QRect(24, 88, 281, 41));
        EXPECT_EQ(about->Support->text(),
                  QString("For Support, Please Email ") + info::kSupportEmail);
        EXPECT_EQ(about->cmdOK->geometry(), QRect(288, 96, 84, 23));
        EXPECT_TRUE(about->cmdOK->isDefault());
        EXPECT_EQ(about->focusWidget(), about->cmdOK);
        about->cmdOK->click();
    });
    form_->mnuAbout_Click();
    EXPECT_TRUE(inspected);
    EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), nullptr);
}

TEST_F(InfoWindows, EscapeAndTheCloseBoxCloseTheAboutBoxAndItOpensAfresh) {
    frmAbout* first = nullptr;
    WhenModal([&](QWidget* modal) {
        first = qobject_cast<frmAbout*>(modal);
        modal->move(10, 10);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(modal, &esc);
    });
    form_->mnuAbout_Click();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

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

TEST_F(InfoWindows, OnlyTheSupportLineDroppedOnTheTitleOpensTheCamelWindow) {
    frmAbout& about = app::DefaultForm<frmAbout>::Get();
    about.show();

    // Names are compared exactly.
    for (const char* name : {"support", "SUPPORT", "Support ", "Label2", ""}) {
        about.Label1_DragDrop(name, 0, 0);
        EXPECT_EQ(app::DefaultForm<Form3>::IfLoaded(), nullptr) << name;
    }

    // "Support" opens the picture window modal; the handler returns when it
    // is closed, and the About box is still there. It can be repeated.
    for (int round = 0; round < 2; ++round) {
        bool shown = false;
        WhenModal(
            [&](QWidget* modal) {
                shown = true;
                EXPECT_EQ(modal, app::DefaultForm<Form3>::IfLoaded());
                EXPECT_EQ(modal->windowTitle(), "Camel");
                EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
                modal->close();
            },
            &about);
        about.Label1_DragDrop("Support", 10, 10);
        EXPECT_TRUE(shown) << round;
        EXPECT_EQ(app::DefaultForm<Form3>::IfLoaded(), nullptr);
        EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), &about);
        EXPECT_TRUE(about.isVisible());
    }
}

TEST_F(InfoWindows, TheHotKeyShowsOneBannerAndAClickAnywhereClosesIt) {
    form_->VBHotKey1_HotKeyPressed();
    frmBases* banner = app::DefaultForm<frmBases>::IfLoaded();
    ASSERT_NE(banner, nullptr);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_TRUE(form_->isVisible());  // the main window stays as it is
    EXPECT_EQ(banner->windowTitle(), "Form4");
    EXPECT_TRUE(banner->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(banner->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(banner->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(banner->Label1->text(), "All your bases are belong to us");
    EXPECT_EQ(banner->Label1->geometry(), QRect(144, 168, 257, 113));
    EXPECT_TRUE(banner->Label1->wordWrap());
    EXPECT_EQ(banner->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(banner->Label1->font().pixelSize(), 32);  // 24 pt
    EXPECT_TRUE(banner->Label1->font().bold() && banner->Label1->font().italic());

    // A second press brings up the same window.
    form_->VBHotKey1_HotKeyPressed();
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), banner);

    // A press on the text released outside it is no click on the text.
    Click(banner->Label1, QPoint(5, 5), QPoint(400, 400));
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), banner);

    // A click on the text closes it...
    Click(banner->Label1, QPoint(5, 5), QPoint(6, 6));
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), nullptr);
    EXPECT_FALSE(banner->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // ... and so does one on the black beside it, on a new banner.
    form_->VBHotKey1_HotKeyPressed();
    banner = app::DefaultForm<frmBases>::IfLoaded();
    ASSERT_NE(banner, nullptr);
    Click(banner, QPoint(2, 2), QPoint(3, 3));
    EXPECT_EQ(app::DefaultForm<frmBases>::IfLoaded(), nullptr);
}

TEST_F(InfoWindows, SupportMessageIsTwoLinesJoinedByCrLf) {
    const QString line1 =
        "Please visit https://support.example.com/tessarine to see the FAQ or known problems "
        "with the fixes. ";
    const QString line2 =
        "If you are still getting errors, email me at support@example.com. Please make the "
        "subject of your email 'SUPPORT NEEDED'. Thankyou!";
    EXPECT_EQ(info::SupportMessageText(), line1 + "\r\n" + line2);

    bool shown = false;
    WhenModal([&](QWidget* modal) {
        shown = true;
        auto* box = qobject_cast<controls::MessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Support");
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->text(), line1 + "\r\n" + line2);
        EXPECT_EQ(box->parentWidget(), nullptr);
        // Ctrl+C copies the message, unchanged, between separator lines.
        QGuiApplication::clipboard()->clear();
        QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
        QApplication::sendEvent(box, &copy);
        const QString separator = "---------------------------\n";
        EXPECT_EQ(QGuiApplication::clipboard()->text(), separator + "Support\n" + separator +
                                                            line1 + "\r\n" + line2 + "\n" +
                                                            separator + "OK   \n" + separator);
        box->button(QMessageBox::Ok)->click();
    });
    form_->mnuSupport_Click();
    EXPECT_TRUE(shown);
}

}  // namespace
