// qingyan-picture: draws the window to a PNG, as a person sees it at start, or with a source
// picked and cleaned: for the README's screenshot and for looking at the window without a
// display (QT_QPA_PLATFORM=offscreen).
//   qingyan-picture OUTPUT.png [SOURCE]
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

#include "window/Fonts.h"
#include "window/Form1.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fputs("用法: qingyan-picture OUTPUT.png [SOURCE]\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    const QString output = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QFileInfo source(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    if (argc > 2) {
        QDir::setCurrent(source.absolutePath());  // the window opens on the current folder
    }
    window::InstallFonts();
    window::Form1 form;
    form.show();
    if (argc > 2) {
        auto* files = form.findChild<QListWidget*>(QStringLiteral("File1"));
        const auto found = files->findItems(source.fileName(), Qt::MatchExactly);
        if (found.isEmpty()) {
            std::fputs("qingyan-picture: 文件列表中没有这个源文件\n", stderr);
            return 1;
        }
        files->setCurrentItem(found.front());
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
