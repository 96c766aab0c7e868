#include <QApplication>

#include <cstdio>

#include "window/Fonts.h"
#include "window/Form1.h"
#include "window/StartUp.h"
#include "workflow/FileNames.h"
#include "workflow/QtTranslations.h"
#include "workflow/Temporaries.h"
#include "workflow/TextFile.h"

namespace {

// Writes `text` to `stream` in UTF-8; false when it could not be written whole.
bool Write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), stream) ==
               static_cast<std::size_t>(bytes.size()) &&
           std::fflush(stream) == 0;
}

}  // namespace

// qingyan [FILE or FOLDER]: opens the window, on the given file's folder with the file picked.
// The options are read before anything needs a display, so --help and --version answer anywhere.
int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(workflow::PathFromBytes(QByteArray(argv[i])));
    }
    const window::StartRequest request = window::ReadStartArguments(arguments);
    switch (request.action) {
        case window::StartRequest::Action::Help:
            return Write(stdout, window::StartHelpText()) ? 0 : 2;
        case window::StartRequest::Action::Version:
            return Write(stdout, QStringLiteral("qingyan " QINGYAN_VERSION "\n")) ? 0 : 2;
        case window::StartRequest::Action::Error:
            Write(stderr, QStringLiteral("qingyan: ") + request.error +
                              QStringLiteral("\n用法: qingyan [选项] [文件或文件夹]  (--help "
                                             "查看说明)\n"));
            return 2;
        case window::StartRequest::Action::Open:
            break;
    }
    workflow::FailWritesPastTheSizeLimit();
    workflow::RemoveTemporariesOnSignals();
    QApplication app(argc, argv);
    window::NameApplication();
    workflow::LoadQtTranslations(app);
    window::InstallFonts();
    window::Form1 form;
    form.show();
    if (!request.path.isEmpty()) {
        form.OpenPath(request.path);
    }
    return app.exec();
}
