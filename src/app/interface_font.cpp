#include "app/interface_font.h"

#include <QApplication>
#include <QFont>

namespace app {

void UseInterfaceFont() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                              QString::fromLatin1(kClassicSansStandIn));
    QFont font(QString::fromLatin1(kInterfaceFontFamily));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kInterfacePointSize);
    QApplication::setFont(font);
}

}  // namespace app
