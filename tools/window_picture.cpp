// qingyan-picture: draws the window to a PNG, as a person sees it at start, or with a source
// picked and cleaned: for the README's screenshot and for looking at the window without a
// display (QT_QPA_PLATFORM=offscreen).
//   qingyan-picture OUTPUT.png [SOURCE]
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

#include "window/Fonts.h"
#include "window/Form1.h"
#include "window/StartUp.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fputs("用法: qingyan-picture OUTPUT.png [SOURCE]\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    const QString output = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QFileInfo source(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    window::NameApplication();
    window::InstallFonts();
    window::Form1 form;
    form.show();
    if (argc > 2) {
        form.OpenPath(source.absoluteFilePath());  // as qingyan FILE opens it
        if (form.findChild<QLineEdit*>(QStringLiteral("Text1"))->text() !=
            source.absoluteFilePath()) {
            std::fputs("qingyan-picture: 文件列表中没有这个源文件\n", stderr);
            return 1;
        }
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    }
    QTimer::singleShot(0, &form, [&] {
        for (int tick = 0; tick < 4; ++tick) {
            form.Timer1_Timer();  // counters filled in, and the start-up blink over
        }
        QApplication::quit();
    });
    app.exec();
    if (!form.grab().toImage().save(output)) {
        std::fprintf(stderr, "qingyan-picture: 无法写入 %s\n", argv[1]);
        return 1;
    }
    return 0;
}
