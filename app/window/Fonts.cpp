#include "Fonts.h"

#include <QApplication>
#include <QFont>

namespace window {

void InstallFonts() {
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
    QFont interfaceFont(QStringLiteral("WenQuanYi Micro Hei"));
    interfaceFont.setPointSize(9);
    QApplication::setFont(interfaceFont);
}

}  // namespace window
