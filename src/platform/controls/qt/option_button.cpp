#include "platform/controls/option_button.h"

#include <QRadioButton>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

QRadioButton* ButtonOf(const OptionButton& button) {
    return static_cast<QRadioButton*>(qt::WidgetOf(button));
}

}  // namespace

OptionButton::OptionButton(Control& container, std::string_view caption)
    : Control(
          std::make_unique<Impl>(new QRadioButton(qt::Text(caption), qt::ClientOf(container)))) {
    QObject::connect(ButtonOf(*this), &QRadioButton::clicked, [this] {
        if (Click) {
            Click();
        }
    });
}

bool OptionButton::Value() const {
    const QRadioButton* button = ButtonOf(*this);
    return button && button->isChecked();
}

void OptionButton::setValue(bool on) {
    if (QRadioButton* button = ButtonOf(*this)) {
        button->setChecked(on);
    }
}

}  // namespace controls
