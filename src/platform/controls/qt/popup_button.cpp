#include "platform/controls/popup_button.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

class PopupButtonWidget : public QToolButton {
  public:
    PopupButtonWidget(const QString& caption, QWidget* parent, PopupButton& button)
        : QToolButton(parent) {
        setText(caption);
        setAutoRaise(true);
        setToolButtonStyle(Qt::ToolButtonTextOnly);
        setFocusPolicy(Qt::NoFocus);
        QFont font("MS Sans Serif");
        font.setPointSizeF(8.25);
        font.setWeight(QFont::Normal);
        setFont(font);
        connect(this, &QToolButton::clicked, this, [this, &button] {
            setHighlight(false);
            if (button.Click) {
                button.Click(0);
            }
        });
    }

    bool highlight() const { return highlight_; }
    void setHighlight(bool on) {
        highlight_ = on;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        if (highlight_) {
            option.state |= QStyle::State_Raised | QStyle::State_MouseOver;
        }
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
    }

  private:
    bool highlight_ = false;
};

PopupButtonWidget* ButtonOf(const PopupButton& button) {
    return static_cast<PopupButtonWidget*>(qt::WidgetOf(button));
}

}  // namespace

PopupButton::PopupButton(Control& container, std::string_view caption)
    : Control(std::make_unique<Impl>(
          new PopupButtonWidget(qt::Text(caption), qt::ClientOf(container), *this))) {}

bool PopupButton::Highlight() const {
    const PopupButtonWidget* widget = ButtonOf(*this);
    return widget && widget->highlight();
}

void PopupButton::setHighlight(bool on) {
    if (PopupButtonWidget* widget = ButtonOf(*this)) {
        widget->setHighlight(on);
    }
}

}  // namespace controls
