// The batch run through the window beside qingyan-strip on the same files: files per second and
// MB/s. On a real display when there is one (run it under xvfb-run), offscreen otherwise.
// Usage: batch_bench [COUNT KILOBYTES]...  (default: 2000 20, then 20 5000)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include "GbkSourceFile.h"
#include "window/Fonts.h"
#include "window/Form1.h"

namespace {

// Writes `count` GBK assembler sources of about `kilobytes` each; returns their total size.
double WriteSources(const QString& folder, int count, std::size_t kilobytes, QStringList& paths) {
    double bytes = 0;
    for (int i = 0; i < count; ++i) {
        paths << QDir(folder).filePath(QStringLiteral("F%1.ASM").arg(i, 5, 10, QLatin1Char('0')));
        bytes += static_cast<double>(bench::WriteGbkAssemblerFile(
            paths.back().toStdString(), kilobytes * 1000, static_cast<unsigned>(i + 1)));
    }
    return bytes;
}

void Measure(int count, std::size_t kilobytes) {
    QTemporaryDir dir;
    QStringList paths;
    const double megabytes = WriteSources(dir.path(), count, kilobytes, paths) / 1e6;
    QDir::setCurrent(dir.path());

    QElapsedTimer clock;
    double windowSeconds = 0;
    {
        window::Form1 form;
        form.show();
        QApplication::processEvents();  // mapped and painted, as a user's window is
        clock.start();
        form.Command5_Click();
        windowSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    }
    clock.start();
    QProcess cli;
    cli.start(QStringLiteral(QINGYAN_STRIP_PATH), paths);
    cli.waitForFinished(-1);
    const double cliSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;

    std::printf(
        "%5d files of %5zu KB (%.1f MB): window %6.2f s = %7.1f files/s %6.1f MB/s;"
        "  qingyan-strip %6.2f s = %7.1f files/s %6.1f MB/s;  ratio %.2f\n",
        count, kilobytes, megabytes, windowSeconds, count / windowSeconds,
        megabytes / windowSeconds, cliSeconds, count / cliSeconds, megabytes / cliSeconds,
        windowSeconds / cliSeconds);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    window::InstallFonts();
    if (argc >= 3) {
        for (int i = 1; i + 1 < argc; i += 2) {
            Measure(std::atoi(argv[i]), std::strtoul(argv[i + 1], nullptr, 10));
        }
    } else {
        Measure(2000, 20);
        Measure(20, 5000);
    }
    return 0;
}
