#include <QApplication>

#include "window/Fonts.h"
#include "window/Form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    window::InstallFonts();
    window::Form1 form;
    form.show();
    return app.exec();
}
