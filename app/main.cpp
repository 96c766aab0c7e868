#include <QApplication>

#include "window/Fonts.h"
#include "window/Form1.h"
#include "workflow/FileNames.h"
#include "workflow/QtTranslations.h"

// qingyan [FILE or FOLDER]: opens the window, on the given file's folder with the file picked.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qingyan"));
    QApplication::setApplicationVersion(QStringLiteral(QINGYAN_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("青砚"));
    QGuiApplication::setDesktopFileName(QStringLiteral("qingyan"));
    workflow::LoadQtTranslations(app);
    window::InstallFonts();
    window::Form1 form;
    form.show();
    if (argc > 1) {
        form.OpenPath(workflow::PathFromBytes(QByteArray(argv[1])));
    }
    return app.exec();
}
