#include <gtest/gtest.h>

#include <QApplication>

#include "window/Fonts.h"
#include "window/StartUp.h"

// Widget tests need one application object for the whole run, offscreen unless told otherwise.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    window::NameApplication();
    // A desktop's own default size, which the window's fonts must not depend on.
    QFont desktop = QApplication::font();
    desktop.setPointSize(13);
    QApplication::setFont(desktop);
    window::InstallFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
