#include "StartUp.h"

#include <QGuiApplication>

#include "workflow/Usage.h"

namespace window {
namespace {

// Qt's own options of a window program, which QApplication takes out of the arguments itself.
bool IsQtOption(const QString& argument, bool& takesValue) {
    static const QStringList kWithValue = {QStringLiteral("platform"),
                                           QStringLiteral("platformtheme"),
                                           QStringLiteral("platformpluginpath"),
                                           QStringLiteral("plugin"),
                                           QStringLiteral("display"),
                                           QStringLiteral("style"),
                                           QStringLiteral("stylesheet"),
                                           QStringLiteral("session"),
                                           QStringLiteral("qwindowgeometry"),
                                           QStringLiteral("qwindowtitle"),
                                           QStringLiteral("qwindowicon"),
                                           QStringLiteral("geometry")};
    static const QStringList kAlone = {QStringLiteral("reverse"), QStringLiteral("nograb"),
                                       QStringLiteral("dograb"), QStringLiteral("sync"),
                                       QStringLiteral("widgetcount")};
    QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const bool joined = name.contains(u'=');
    name = name.section(u'=', 0, 0);
    takesValue = !joined && kWithValue.contains(name);
    return kWithValue.contains(name) || kAlone.contains(name);
}

}  // namespace

StartRequest ReadStartArguments(const QStringList& arguments) {
    StartRequest request;
    bool optionsEnded = false;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments[at];
        bool takesValue = false;
        if (!optionsEnded && argument == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == u"-h" || argument == u"--help")) {
            return {StartRequest::Action::Help, {}, {}};
        } else if (!optionsEnded && (argument == u"-v" || argument == u"--version")) {
            return {StartRequest::Action::Version, {}, {}};
        } else if (!optionsEnded && argument.size() > 1 && argument.startsWith(u'-')) {
            if (!IsQtOption(argument, takesValue)) {
                return {StartRequest::Action::Error, {}, workflow::UnknownOptionMessage(argument)};
            }
            at += takesValue ? 1 : 0;
        } else if (!request.path.isEmpty()) {
            return {StartRequest::Action::Error, {}, QStringLiteral("只能给出一个文件或文件夹")};
        } else {
            request.path = argument;
        }
    }
    return request;
}

QString StartHelpText() {
    return QStringLiteral(
        "用法: qingyan [选项] [文件或文件夹]\n"
        "打开青砚的窗口,消除源程序中的注释.给出文件时,打开它所在的文件夹并选中它;\n"
        "给出文件夹时,打开这个文件夹.\n"
        "\n"
        "选项:\n"
        "  -h, --help     显示本帮助并退出\n"
        "  -v, --version  显示版本并退出\n"
        "\n"
        "Qt 的窗口选项(如 -platform、-style)照常可用.\n"
        "在命令行上处理文件和整个目录树,请用 qingyan-strip(见 qingyan-strip --help).\n");
}

void NameApplication() {
    QGuiApplication::setApplicationName(QStringLiteral("qingyan"));
    QGuiApplication::setApplicationVersion(QStringLiteral(QINGYAN_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("qingyan"));
}

}  // namespace window
