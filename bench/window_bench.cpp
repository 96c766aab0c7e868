// The window's single-file road on large sources, offscreen: pick (read and show), 消除 (both
// passes and show) and 保存 (write), and one timer tick. Usage: window_bench [MEGABYTES...]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "GbkSourceFile.h"
#include "window/Fonts.h"
#include "window/Form1.h"

namespace {

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <class Action>
double TimeMs(Action action) {
    QElapsedTimer clock;
    clock.start();
    action();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void Measure(std::size_t megabytes) {
    QTemporaryDir dir;
    const std::size_t size = bench::WriteGbkAssemblerFile(
        QDir(dir.path()).filePath("MAIN.ASM").toStdString(), megabytes * 1000 * 1000);
    QDir::setCurrent(dir.path());

    window::Form1 form;
    form.show();
    auto* files = form.findChild<QListWidget*>("File1");
    auto* eliminate = form.findChild<QPushButton*>("Command1");
    auto* save = form.findChild<QPushButton*>("Command2");
    std::vector<double> pick, clean, write, tick;
    for (int round = 0; round < 3; ++round) {
        files->setCurrentRow(-1);
        pick.push_back(TimeMs([&] { files->setCurrentRow(0); }));
        clean.push_back(TimeMs([&] { eliminate->click(); }));
        write.push_back(TimeMs([&] { save->click(); }));
        tick.push_back(TimeMs([&] { form.Timer1_Timer(); }));
    }
    const double mb = static_cast<double>(size) / 1e6;
    std::printf(
        "%5.1f MB source: pick %7.1f ms  eliminate %7.1f ms  save %7.1f ms  tick %.3f ms"
        "  (%.0f MB/s eliminate)\n",
        mb, Median(pick), Median(clean), Median(write), Median(tick), mb / (Median(clean) / 1000));
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    window::InstallFonts();
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    }
    if (sizes.empty()) {
        sizes = {20, 50};
    }
    for (std::size_t megabytes : sizes) {
        Measure(megabytes);
    }
    return 0;
}
