#include "StripSettings.h"

#include <QThread>

#include <algorithm>
#include <optional>

#include "text/TargetText.h"
#include "workflow/FileErrors.h"
#include "workflow/FileNames.h"
#include "workflow/OptionSet.h"
#include "workflow/SourceLanguage.h"
#include "workflow/TextFile.h"

namespace tools {
namespace {

using Options = workflow::OptionSet;

// The help of an option field's command-line option: what it does, and whether it is the default.
QString FlagHelp(const workflow::OptionField& field, const char* help, bool sets) {
    static const Options defaults;
    if (const auto* flag = std::get_if<bool Options::*>(&field.member)) {
        return QString::fromUtf8(help) +
               (defaults.**flag == sets ? QStringLiteral("(默认)。") : QStringLiteral("。"));
    }
    if (!field.defaultShown) {
        return QString::fromUtf8(help) + QStringLiteral("。");
    }
    return QString::fromUtf8(help) + QStringLiteral("(默认 ") +
           QString::fromStdU16String(defaults.*std::get<std::u16string Options::*>(field.member)) +
           QStringLiteral(")。");
}

// A block file's text with CR LF line breaks, the form the window's blocks are typed in, whatever
// kind of break each of its lines ends with.
std::optional<std::u16string> ReadBlockFile(const QString& path, QString& error) {
    const workflow::ReadOutcome read = workflow::ReadSourceFile(path);
    if (!read.file) {
        error = workflow::OnOneLine(path) + QStringLiteral(": ") + workflow::ReasonOf(read.failure);
        return std::nullopt;
    }
    return text::WithLineBreaks(read.file->text, u"\r\n");
}

// The header and footer the command line reads from files; read once, for every language.
struct BlockFiles {
    std::optional<std::u16string> header;
    std::optional<std::u16string> footer;
};

bool ReadBlockFiles(const QCommandLineParser& parser, BlockFiles& blocks, QString& error) {
    for (const auto& [flag, block] : {std::pair{QStringLiteral("header-file"), &blocks.header},
                                      std::pair{QStringLiteral("footer-file"), &blocks.footer}}) {
        if (parser.isSet(flag) && !(*block = ReadBlockFile(parser.value(flag), error))) {
            return false;
        }
    }
    return true;
}

// Applies everything but the language preset to `o`: named options, then the blocks and the
// extension, then --set, which has the last word.
bool ApplyOptions(const QCommandLineParser& parser, const BlockFiles& blocks, Options& o,
                  QString& error) {
    for (const workflow::OptionField& field : workflow::kOptionFields) {
        if (const auto* flag = std::get_if<bool Options::*>(&field.member)) {
            for (const auto& [name, value] :
                 {std::pair{field.flag, true}, {field.offFlag, false}}) {
                if (name != nullptr && parser.isSet(QLatin1String(name))) {
                    o.** flag = value;
                }
            }
        } else if (field.flag != nullptr && parser.isSet(QLatin1String(field.flag))) {
            o.*std::get<std::u16string Options::*>(field.member) =
                parser.value(QLatin1String(field.flag)).toStdU16String();
        }
    }
    if (parser.isSet(QStringLiteral("extension"))) {
        o.AddTargetExtension = true;
        o.TargetExtension = parser.value(QStringLiteral("extension")).toStdU16String();
    }
    if (parser.isSet(QStringLiteral("no-extension"))) {
        o.AddTargetExtension = false;
    }
    if (blocks.header) {
        o.AddHeader = true;
        o.HeaderText = *blocks.header;
    }
    if (blocks.footer) {
        o.AddFooter = true;
        o.FooterText = *blocks.footer;
    }
    for (const QString& text : parser.values(QStringLiteral("keep-matching"))) {
        o.KeepCommentsHolding.push_back(text.toStdU16String());
    }
    for (const QString& assignment : parser.values(QStringLiteral("set"))) {
        const qsizetype equals = assignment.indexOf(u'=');
        if (equals < 0) {
            error = QStringLiteral("--set 需要 FIELD=VALUE: ") + assignment;
            return false;
        }
        error = AssignOptionField(o, assignment.left(equals), assignment.mid(equals + 1));
        if (!error.isEmpty()) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool Settings::Refuses(const QString& path) const {
    return !languages.forced && path != u"-" && !workflow::IsClaimedFile(path);
}

const workflow::OptionSet& Settings::OptionsFor(const QString& path,
                                                std::u16string_view text) const {
    return languages.For(languages.ReadingOf(path, text)
                             .value_or(engine::Reading{engine::Language::Assembler})
                             .language);
}

namespace {

QString FromView(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// --lang's help: every language of the table with its file types and markers.
QString LanguageHelp() {
    QString help = QStringLiteral("按哪种语言的规则读取:auto(默认)按文件类型选择;");
    QStringList languages;
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        QStringList types, markers;
        for (const auto* list : {&row.extensions, &row.exactExtensions}) {
            for (const std::u16string_view extension : *list) {
                types << u'.' + FromView(extension);
            }
        }
        for (const std::u16string_view marker : {row.markers[0], row.markers[1], row.markers[2]}) {
            if (!marker.empty()) {
                markers << FromView(marker);
            }
        }
        QStringList parts{FromView(row.shown)};
        if (!types.isEmpty()) {
            parts << types.join(u' ');
        }
        parts << (markers.isEmpty() ? QStringLiteral("不认注释符")
                                    : QStringLiteral("注释符 ") + markers.join(u' '));
        languages << QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size())) +
                         u'(' + parts.join(u',') + u')';
    }
    return help + languages.join(QStringLiteral("、")) +
           QStringLiteral("。给出语言时,所有文件都按它读取。");
}

}  // namespace

void DescribeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("消除源程序中的注释,并将目标文件保存为 FILE 加扩展名(默认 ") +
        QString::fromStdU16String(Options{}.TargetExtension) +
        QStringLiteral(")。\nFILE 为 - 时读标准输入,写标准输出。\n\n选项字段(--set):\n  ") +
        workflow::OptionFieldNames());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("lang"), LanguageHelp(), QStringLiteral("LANG")},
        {{QStringLiteral("r"), QStringLiteral("recursive")},
         QStringLiteral("处理文件夹及其子文件夹中的源文件(隐藏文件夹和指向文件夹的链接除外)。")},
        {{QStringLiteral("j"), QStringLiteral("jobs")},
         QStringLiteral("同时处理的文件数(默认为处理器核数)。"),
         QStringLiteral("N")},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral(
             "写一份干净的副本:与 -r 同用时,DIR 是文件夹树副本的根,源文件消除注释,其余文件原样"
             "复制,名字不变;给出的文件写到 DIR 下,用原来的文件名。DIR 须不存在或为空,"
             "且不在源文件夹之内。"),
         QStringLiteral("DIR")},
        {QStringLiteral("sources-only"), QStringLiteral("与 -o 同用:副本中只写源文件。")},
        {QStringLiteral("check"),
         QStringLiteral("只检查,不写文件:列出将被消除的注释;有文件会改变时退出码为 1。")},
        {QStringLiteral("diff"),
         QStringLiteral("不写文件,输出统一格式的差异(可用 patch -p1 应用)。")},
        {QStringLiteral("report"), QStringLiteral("最后打印与[批量]相同的处理报告。")},
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
        {QStringLiteral("keep-matching"), QStringLiteral("保留含有 TEXT 的注释;可重复。"),
         QStringLiteral("TEXT")},
        {QStringLiteral("stdout"), QStringLiteral("将目标文本写到标准输出,不保存文件。")},
        {QStringLiteral("verbose"), QStringLiteral("为每个文件打印一行处理报告。")},
    });
    for (const workflow::OptionField& field : workflow::kOptionFields) {
        const bool takesText = std::holds_alternative<std::u16string Options::*>(field.member);
        if (field.flag != nullptr) {
            parser.addOption({QLatin1String(field.flag), FlagHelp(field, field.flagHelp, true),
                              takesText ? QLatin1String(field.valueName) : QString()});
        }
        if (field.offFlag != nullptr) {
            parser.addOption(
                {QLatin1String(field.offFlag), FlagHelp(field, field.offFlagHelp, false)});
        }
    }
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("源文件或文件夹"),
                                 QStringLiteral("FILE..."));
}

bool ReadSettings(const QCommandLineParser& parser, Settings& settings, QString& error) {
    const QString language = parser.value(QStringLiteral("lang"));
    if (!language.isEmpty() && language != u"auto") {
        settings.languages.forced = engine::LanguageNamed(language.toStdString());
        if (!settings.languages.forced) {
            error = QStringLiteral("--lang 只能是 auto、") + workflow::LanguageNames() +
                    QStringLiteral(": ") + language;
            return false;
        }
    }
    BlockFiles blocks;
    if (!ReadBlockFiles(parser, blocks, error)) {
        return false;
    }
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        Options& options = settings.languages.byLanguage[static_cast<std::size_t>(row.language)];
        options = workflow::ForLanguage({}, row.language);
        if (!ApplyOptions(parser, blocks, options, error) ||
            !(error = workflow::MarkerProblem(options)).isEmpty()) {
            return false;
        }
    }
    const int modes = parser.isSet(QStringLiteral("stdout")) +
                      parser.isSet(QStringLiteral("check")) + parser.isSet(QStringLiteral("diff"));
    if (modes > 1) {
        error = QStringLiteral("--stdout、--check 和 --diff 只能选一个");
        return false;
    }
    settings.mode = parser.isSet(QStringLiteral("stdout"))  ? Settings::Mode::Stdout
                    : parser.isSet(QStringLiteral("check")) ? Settings::Mode::Check
                    : parser.isSet(QStringLiteral("diff"))  ? Settings::Mode::Diff
                                                            : Settings::Mode::Save;
    settings.recursive = parser.isSet(QStringLiteral("recursive"));
    const QStringList sets = parser.values(QStringLiteral("set"));
    const bool patternGiven = parser.isSet(QStringLiteral("pattern")) ||
                              std::any_of(sets.begin(), sets.end(), [](const QString& assignment) {
                                  return assignment.startsWith(QStringLiteral("SourcePattern="));
                              });
    if (parser.isSet(QStringLiteral("pattern")) && !settings.recursive) {
        error = QStringLiteral("--pattern 只用于 -r(--recursive)");
        return false;
    }
    settings.pattern = patternGiven ? QString::fromStdU16String(settings.Naming().SourcePattern)
                                    : workflow::ClaimedTypesPattern();
    settings.output = parser.value(QStringLiteral("output"));
    settings.sourcesOnly = parser.isSet(QStringLiteral("sources-only"));
    if (!settings.output.isEmpty() && settings.mode != Settings::Mode::Save) {
        error = QStringLiteral("-o 不能与 --stdout、--check 或 --diff 同用");
        return false;
    }
    if (settings.sourcesOnly && settings.output.isEmpty()) {
        error = QStringLiteral("--sources-only 只用于 -o(--output)");
        return false;
    }
    settings.verbose = parser.isSet(QStringLiteral("verbose"));
    settings.report = parser.isSet(QStringLiteral("report"));
    settings.jobs = QThread::idealThreadCount();
    if (parser.isSet(QStringLiteral("jobs"))) {
        bool number = false;
        settings.jobs = parser.value(QStringLiteral("jobs")).toInt(&number);
        if (!number || settings.jobs < 1) {
            error =
                QStringLiteral("--jobs 需要一个正整数: ") + parser.value(QStringLiteral("jobs"));
            return false;
        }
    }
    // More threads than this only wait on one another and on the disk.
    constexpr int kMostJobs = 64;
    settings.jobs = std::min(settings.jobs, kMostJobs);
    settings.paths = parser.positionalArguments();
    if (settings.paths.isEmpty()) {
        error = QStringLiteral("没有给出文件");
        return false;
    }
    return true;
}

}  // namespace tools
