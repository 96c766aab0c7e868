#include "Fonts.h"

#include <QApplication>
#include <QFont>

namespace window {
namespace {

// Each role's families, best first: where the first is missing the next that is installed takes
// its place, so that the window keeps its layout on any Debian or Fedora desktop.
const QStringList kSongFamilies = {
    QStringLiteral("AR PL UMing CN"),      QStringLiteral("AR PL SungtiL GB"),
    QStringLiteral("Noto Serif CJK SC"),   QStringLiteral("Source Han Serif SC"),
    QStringLiteral("Noto Sans CJK SC"),    QStringLiteral("WenQuanYi Zen Hei"),
    QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
// Code faces with a marked zero and distinct punctuation; the Song face supplies what they lack.
const QStringList kCodeFamilies = {QStringLiteral("DejaVu Sans Mono"),
                                   QStringLiteral("Noto Sans Mono"), QStringLiteral("Hack"),
                                   QStringLiteral("JetBrains Mono")};
const QStringList kInterfaceFamilies = {
    QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
    QStringLiteral("Source Han Sans SC"),  QStringLiteral("WenQuanYi Zen Hei"),
    QStringLiteral("Droid Sans Fallback"), QStringLiteral("AR PL UMing CN")};

}  // namespace

void InstallFonts() {
    QFont::insertSubstitutions(QStringLiteral("宋体"), kSongFamilies);
    QFont interfaceFont;
    interfaceFont.setFamilies(kInterfaceFamilies);
    interfaceFont.setPointSize(9);
    QApplication::setFont(interfaceFont);
}

QFont SongFont(qreal points) {
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("宋体")} + kSongFamilies);
    font.setPointSizeF(points);
    return font;
}

QFont EditorFont(qreal points) {
    QFont font = SongFont(points);
    font.setFamilies(kCodeFamilies + font.families());
    return font;
}

}  // namespace window
