// qingyan-strip: what the window's 自动 does, for scripts and build pipelines. Each FILE is cleaned
// with the options and saved beside itself as FILE plus the extension; "-" is standard input to
// standard output.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <tuple>

#include <fcntl.h>
#include <unistd.h>

#include "OptionFields.h"
#include "workflow/Batch.h"
#include "workflow/FileErrors.h"
#include "workflow/FileNames.h"
#include "workflow/Pipeline.h"
#include "workflow/TargetText.h"
#include "workflow/TextFile.h"

namespace {

constexpr int kFileFailed = 1;
constexpr int kBadUsage = 2;

void Print(std::FILE* stream, const QString& line) {
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

bool WriteAll(std::FILE* stream, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() &&
           std::fflush(stream) == 0;
}

// A block file's text with CR LF line breaks, the form the window's blocks are typed in, whatever
// kind of break each of its lines ends with.
std::optional<std::u16string> ReadBlockFile(const QString& path, QString& error) {
    workflow::ReadOutcome read = workflow::ReadSourceFile(path);
    if (!read.file) {
        error = path + QStringLiteral(": ") + read.error;
        return std::nullopt;
    }
    const std::u16string& text = read.file->text;
    std::u16string crLf;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == u'\r' || text[at] == u'\n') {
            crLf += u"\r\n";
            at += text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n';
        } else {
            crLf += text[at];
        }
    }
    return crLf;
}

// Whether standard input was open when the program started; once Qt has started, descriptor 0
// may have been reused for something else.
bool standardInputOpen = true;

// All of standard input, read in large blocks; false with errno set when a read fails.
bool ReadStandardInput(std::string& bytes) {
    if (!standardInputOpen) {
        errno = EBADF;
        return false;
    }
    constexpr std::size_t kBlock = 1 << 20;
    for (;;) {
        const std::size_t filled = bytes.size();
        bytes.resize(filled + kBlock);
        const ssize_t got = ::read(STDIN_FILENO, bytes.data() + filled, kBlock);
        bytes.resize(filled + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (got == 0) {
            return true;
        }
        if (got < 0 && errno != EINTR) {
            return false;
        }
    }
}

struct Settings {
    engine::EliminationOptions options;
    QStringList files;
    bool toStdout = false;
    bool verbose = false;
};

// Fills `settings` from the command line; returns false with the reason in `error`.
bool ReadSettings(const QCommandLineParser& parser, Settings& settings, QString& error) {
    engine::EliminationOptions& o = settings.options;
    if (parser.isSet(QStringLiteral("extension"))) {
        o.AddTargetExtension = true;
        o.TargetExtension = parser.value(QStringLiteral("extension")).toStdU16String();
    }
    if (parser.isSet(QStringLiteral("no-extension"))) {
        o.AddTargetExtension = false;
    }
    for (const auto& [flag, add, text] :
         {std::tuple{QStringLiteral("header-file"), &engine::EliminationOptions::AddHeader,
                     &engine::EliminationOptions::HeaderText},
          std::tuple{QStringLiteral("footer-file"), &engine::EliminationOptions::AddFooter,
                     &engine::EliminationOptions::FooterText}}) {
        if (parser.isSet(flag)) {
            std::optional<std::u16string> block = ReadBlockFile(parser.value(flag), error);
            if (!block) {
                return false;
            }
            o.*add = true;
            o.*text = std::move(*block);
        }
    }
    for (const QString& assignment : parser.values(QStringLiteral("set"))) {
        const qsizetype equals = assignment.indexOf(u'=');
        if (equals < 0) {
            error = QStringLiteral("--set 需要 FIELD=VALUE: ") + assignment;
            return false;
        }
        error = tools::AssignOptionField(o, assignment.left(equals), assignment.mid(equals + 1));
        if (!error.isEmpty()) {
            return false;
        }
    }
    settings.files = parser.positionalArguments();
    settings.toStdout = parser.isSet(QStringLiteral("stdout"));
    settings.verbose = parser.isSet(QStringLiteral("verbose"));
    if (settings.files.isEmpty()) {
        error = QStringLiteral("没有给出文件");
        return false;
    }
    return true;
}

// Cleans one file (or standard input for "-"); returns false after saying why on stderr.
bool ProcessOne(const QString& path, const Settings& settings, qsizetype& processed) {
    const engine::EliminationOptions& o = settings.options;
    const bool fromStdin = path == u"-";
    workflow::FileOutcome outcome;
    if (fromStdin || settings.toStdout) {
        std::optional<workflow::CleanedText> cleaned;
        if (fromStdin) {
            std::string bytes;
            if (!ReadStandardInput(bytes)) {
                Print(stderr, QStringLiteral("qingyan-strip: 无法读取标准输入: ") +
                                  workflow::ReasonOfError(errno));
                return false;
            }
            cleaned = workflow::CleanedText{workflow::SourceFromBytes(bytes), {}};
            cleaned->target =
                workflow::MakeTargetText(cleaned->source.text, o, cleaned->source.lineBreak);
            outcome.sourceName = outcome.targetName = path;
            outcome.sourceLength = static_cast<qsizetype>(cleaned->source.text.size());
            outcome.targetLength = static_cast<qsizetype>(cleaned->target.size());
        } else {
            cleaned = workflow::ReadAndClean(path, o, outcome);
        }
        if (cleaned && !WriteAll(stdout, codec::Encode(cleaned->target, cleaned->source.encoding,
                                                       &outcome.unrepresentable))) {
            Print(stderr, QStringLiteral("qingyan-strip: 无法写入标准输出"));
            return false;
        }
    } else {
        outcome = workflow::CleanFile(path, o);
    }
    if (!outcome.failure.isEmpty()) {
        const bool readFailed = outcome.sourceLength < 0;
        Print(stderr, QStringLiteral("qingyan-strip: %1: %2: %3")
                          .arg(readFailed ? path : workflow::TargetPathOf(path, o),
                               readFailed ? QStringLiteral("无法读取") : QStringLiteral("无法保存"),
                               outcome.failure));
        return false;
    }
    if (outcome.unrepresentable > 0) {
        Print(stderr,
              QStringLiteral("qingyan-strip: %1: 警告: %2个字符无法用文件的编码表示,已写为?")
                  .arg(path, QString::number(outcome.unrepresentable)));
    }
    ++processed;
    if (settings.verbose) {
        Print(settings.toStdout || fromStdin ? stderr : stdout,
              workflow::ReportLine(processed, outcome));
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    standardInputOpen = ::fcntl(STDIN_FILENO, F_GETFD) != -1;
    // File names are taken as the bytes they are: a name that is not UTF-8 is read as GBK and its
    // bytes remembered, so that the file is found and its target named by the same bytes.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(workflow::PathFromBytes(QByteArray(argv[i])));
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qingyan-strip"));
    QCoreApplication::setApplicationVersion(QStringLiteral("12.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("消除源程序中的注释,并将目标文件保存为 FILE 加扩展名(默认 .TX_)。\n"
                       "FILE 为 - 时读标准输入,写标准输出。\n\n选项字段(--set):\n  ") +
        tools::OptionFieldNames());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("set"),
         QStringLiteral("设置选项字段,例如 LineCommentLeader=//;可重复,最后生效。"),
         QStringLiteral("FIELD=VALUE")},
        {QStringLiteral("extension"), QStringLiteral("目标文件的附加扩展名。"),
         QStringLiteral("EXT")},
        {QStringLiteral("no-extension"), QStringLiteral("不加扩展名:目标文件覆盖源文件。")},
        {QStringLiteral("header-file"), QStringLiteral("从文件读取文件头并添加。"),
         QStringLiteral("FILE")},
        {QStringLiteral("footer-file"), QStringLiteral("从文件读取文件尾并添加。"),
         QStringLiteral("FILE")},
        {QStringLiteral("stdout"), QStringLiteral("将目标文本写到标准输出,不保存文件。")},
        {QStringLiteral("verbose"), QStringLiteral("为每个文件打印一行处理报告。")},
    });
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("源文件"),
                                 QStringLiteral("FILE..."));
    if (!parser.parse(arguments)) {
        Print(stderr, QStringLiteral("qingyan-strip: ") + parser.errorText());
        return kBadUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }

    Settings settings;
    QString error;
    if (!ReadSettings(parser, settings, error)) {
        Print(stderr, QStringLiteral("qingyan-strip: ") + error);
        Print(stderr, QStringLiteral("用法: qingyan-strip [选项] FILE...  (--help 查看说明)"));
        return kBadUsage;
    }
    const engine::EliminationOptions& o = settings.options;
    const bool savesFiles = !settings.toStdout && !settings.files.contains(QStringLiteral("-"));
    if (savesFiles && (!o.AddTargetExtension || o.TargetExtension.empty())) {
        // The window warns the same way before a save would overwrite the source.
        Print(stderr, QStringLiteral("qingyan-strip: ") + (o.AddTargetExtension
                                                               ? workflow::kEmptyExtensionWarning
                                                               : workflow::kNoExtensionWarning));
    }
    int status = 0;
    qsizetype processed = 0;
    for (const QString& path : settings.files) {
        if (!ProcessOne(path, settings, processed)) {
            status = kFileFailed;
        }
    }
    return status;
}
