// Every caption fits the box it is laid out in, with the interface font at
// 96 dots per inch. CTest runs these at scale 1 and again at scale 2.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QToolButton>

#include "app/interface_font.h"
#include "capture/form2.h"
#include "platform/controls/qt/form_window.h"
#include "support/form1_fixture.h"
#include "ui/info/frm_about.h"
#include "ui/info/frm_bases.h"

namespace {

// "name: text needs W x H, box is W x H" for each caption of `window` that
// its box clips, in the ink the caption's glyphs really cover.
std::vector<std::string> ClippedCaptions(QWidget* window) {
    std::vector<std::string> clipped;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        QRect box;
        bool wraps = false;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
            box = label->contentsRect();
            wraps = label->wordWrap();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text;
            const bool radio = qobject_cast<QRadioButton*>(w) != nullptr;
            box = qobject_cast<QToolButton*>(w)
                      ? button->rect().adjusted(2, 2, -2, -2)
                      : w->style()->subElementRect(
                            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents,
                            &option, w);
        }
        text.remove(QLatin1Char('&'));
        if (text.trimmed().isEmpty()) {
            continue;
        }
        const QFontMetrics metrics(w->font());
        const QRect ink =
            wraps ? metrics.boundingRect(QRect(0, 0, box.width(), 1 << 20), Qt::TextWordWrap, text)
                  : metrics.tightBoundingRect(text);
        const QSize need(ink.right() + 1 - std::min(0, ink.left()),
                         wraps ? ink.height() : metrics.ascent() + metrics.descent());
        if (need.width() > box.width() || need.height() > box.height()) {
            clipped.push_back(w->objectName().toStdString() + " \"" + text.toStdString() +
                              "\" needs " + std::to_string(need.width()) + " x " +
                              std::to_string(need.height()) + ", box is " +
                              std::to_string(box.width()) + " x " + std::to_string(box.height()));
        }
    }
    return clipped;
}

class CaptionsFit : public testing_support::Form1Test {
  protected:
    void SetUp() override {
        previous_ = QApplication::font();
        app::UseInterfaceFont();
        Form1Test::SetUp();
    }
    void TearDown() override {
        Form1Test::TearDown();
        QApplication::setFont(previous_);
    }
    QFont previous_;
};

TEST_F(CaptionsFit, EveryWindowsCaptionsFitTheirBoxes) {
    ASSERT_EQ(QFontInfo(QApplication::font()).family(), app::kInterfaceFontFamily)
        << "the interface font is not installed";
    ASSERT_EQ(QFontInfo(QFont("MS Sans Serif")).family(), app::kClassicSansStandIn);
    Form2 instructions;
    frmAbout about;
    frmBases banner;
    using controls::qt::WindowOf;
    for (QWidget* window : std::initializer_list<QWidget*>{WindowOf(*form_), WindowOf(instructions),
                                                           WindowOf(about), WindowOf(banner)}) {
        EXPECT_EQ(ClippedCaptions(window), std::vector<std::string>{})
            << window->objectName().toStdString() << " at scale " << window->devicePixelRatio();
    }
}

}  // namespace
