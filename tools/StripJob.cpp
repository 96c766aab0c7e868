#include "StripJob.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "UnifiedDiff.h"
#include "engine/Passes.h"
#include "text/TargetText.h"
#include "text/TextCodec.h"
#include "workflow/Browsing.h"
#include "workflow/FileErrors.h"
#include "workflow/FileNames.h"
#include "workflow/OptionSet.h"
#include "workflow/Pipeline.h"
#include "workflow/SourceLanguage.h"
#include "workflow/TextFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace tools {
namespace {

bool standardInputOpen = true;

// All of standard input; false with errno set when it cannot be read (also when it was closed
// before the program started, since Qt may have reused descriptor 0 since).
bool ReadStandardInput(std::string& bytes) {
    if (!standardInputOpen) {
        errno = EBADF;
        return false;
    }
    bytes.reserve(1 << 20);
    return workflow::ReadToEnd(STDIN_FILENO, bytes, true);  // a NUL: binary, no need to go on
}

std::string Line(const QString& text) {
    return (text + u'\n').toStdString();
}

// `text` in UTF-8, on one line and harmless to a terminal.
std::string Printable(std::u16string_view text) {
    return workflow::OnOneLine(text).toStdString();
}

// A path as the messages show it.
QString Shown(const QString& path) {
    return workflow::OnOneLine(path);
}

// The parts of an absolute path, "." and ".." resolved by name, as a patch names files.
QList<QByteArray> PathParts(const QByteArray& absolute) {
    QList<QByteArray> parts;
    for (const QByteArray& part : absolute.split('/')) {
        if (part == "..") {
            if (!parts.isEmpty()) {
                parts.removeLast();
            }
        } else if (!part.isEmpty() && part != ".") {
            parts.append(part);
        }
    }
    return parts;
}

// The name of a file in a patch, from the bytes of its path: its path under the current folder
// when it lies there, so that patch -p1 run in this folder finds it; as given otherwise.
std::string PatchName(const QByteArray& given) {
    static const QByteArray here = workflow::NativePath(QDir::currentPath());
    static const QList<QByteArray> hereParts = PathParts(here);
    const QList<QByteArray> parts = PathParts(given.startsWith('/') ? given : here + '/' + given);
    if (parts.size() > hereParts.size() &&
        std::equal(hereParts.begin(), hereParts.end(), parts.begin())) {
        return parts.mid(hereParts.size()).join('/').toStdString();
    }
    return given.toStdString();
}

// The comments that would go, one line each ("FILE:LINE: the comment's first line"), then how
// many; or what else would change. Lines count every kind of line break. The target is made as a
// save makes it, so that what the check says would change is what a save changes.
void Check(const QString& path, const workflow::SourceFile& source,
           const workflow::OptionSet& options, JobResult& result,
           const std::function<void(std::string_view)>& write) {
    const std::u16string& text = source.text;
    const std::string shownPath = Printable(path.toStdU16String());
    std::size_t comments = 0;
    std::size_t line = 1;
    std::size_t counted = 0;  // the text before `counted` holds line - 1 breaks
    const auto removed = [&](engine::TextSpan comment) {
        ++comments;
        line += text::LineBreaksIn(text, counted, comment.position);
        counted = comment.position;
        // Its first line, looked for within the comment alone: a long line of short comments
        // is read once.
        const std::u16string_view span =
            std::u16string_view(text).substr(comment.position, comment.length);
        const std::u16string_view body = span.substr(0, span.find_first_of(u"\r\n"));
        write(shownPath + ':' + std::to_string(line) + ": " + Printable(body) + '\n');
    };
    result.changes =
        workflow::TargetTextOf(text, options, source.lineBreak, nullptr, removed) != text;
    if (comments > 0) {
        write(shownPath + ": " + std::to_string(comments) + "处注释将被消除\n");
    } else if (result.changes) {
        write(shownPath + ": 将被整理(空行、空格、文件头或文件尾)\n");
    }
}

// The source of a run that writes no file: standard input, or the file read.
std::optional<workflow::SourceFile> ReadSource(const JobInput& input, JobResult& result) {
    workflow::FileOutcome& outcome = result.outcome;
    workflow::ReadOutcome read;
    if (input.path == u"-") {
        std::string bytes;
        if (!ReadStandardInput(bytes)) {
            result.err = Line(QStringLiteral("qingyan-strip: 无法读取标准输入: ") +
                              workflow::ReasonOfError(errno));
            result.failed = true;
            return std::nullopt;
        }
        read = workflow::SourceFromBytes(bytes);
    } else {
        read = input.file ? workflow::ReadSourceFile(*input.file)
                          : workflow::ReadSourceFile(input.path);
    }
    outcome.failure = read.failure;
    if (read.file) {
        outcome.sourceLength = static_cast<qsizetype>(read.file->text.size());
    }
    return std::move(read.file);
}

// The cleaned text of `source`, encoded a slice at a time to `write`.
void WriteTarget(workflow::SourceFile source, const workflow::OptionSet& o,
                 const std::function<void(std::string_view)>& write, JobResult& result) {
    const std::u16string target =
        workflow::TargetTextOf(std::move(source.text), o, source.lineBreak);
    result.outcome.targetLength = static_cast<qsizetype>(target.size());
    codec::EncodeInSlices(
        target, source.encoding,
        [&](std::string_view bytes) {
            write(bytes);
            return true;
        },
        result.outcome.unrepresentable);
}

}  // namespace

void NoteStandardInput() {
    standardInputOpen = ::fcntl(STDIN_FILENO, F_GETFD) != -1;
}

namespace {

// Why the file named by `input` cannot be taken at all, or an empty string.
QString RefusalOf(const JobInput& input, const Settings& settings) {
    const QString& path = input.path;
    if (path != u"-" && !input.file && !settings.recursive && workflow::NamesFolder(path)) {
        return QStringLiteral(
                   "qingyan-strip: %1: 这是一个文件夹;要处理其中的源文件,请加 "
                   "-r(--recursive)")
            .arg(Shown(path));
    }
    if (input.task == JobInput::Task::Clean && settings.Refuses(path)) {
        return QStringLiteral(
                   "qingyan-strip: %1: 没有哪种语言认领这种文件,不知按什么规则读它;"
                   "要处理它,请用 --lang 指定语言(%2)")
            .arg(Shown(path), workflow::LanguageNames());
    }
    return {};
}

// Saves the cleaned file, or for a copy of a tree the file as it is, where the input says.
// The path of the file a save of `input` writes, as messages show it.
QString TargetShown(const JobInput& input, const Settings& settings) {
    return Shown(input.target
                     ? input.target->folder->path() + u'/' + QString::fromUtf8(input.target->name)
                     : workflow::TargetPathOf(input.path, settings.Naming()));
}

void Save(const JobInput& input, const Settings& settings, workflow::FileOutcome& outcome) {
    std::optional<workflow::FileRef> file = input.file;
    if (!file) {
        file = workflow::FileAtPath(input.path);
    }
    if (!file) {
        outcome.failure = workflow::SystemFailure(errno);
        return;
    }
    const QString sourceName = outcome.sourceName, targetName = outcome.targetName;
    workflow::SaveOptions save = input.save;
    if (input.saved != nullptr) {
        save.waitFor = input.saved;
        save.shown = TargetShown(input, settings);
    }
    if (input.task == JobInput::Task::Copy) {
        const workflow::WriteOutcome written = workflow::CopyFileTo(*file, *input.target, save);
        outcome.failure = written.failure;
        outcome.road = workflow::FileOutcome::Road::Copied;
    } else if (input.target) {
        outcome = workflow::CleanFileTo(*file, *input.target, settings.languages, save);
        if (outcome.failure.kind == workflow::FailureKind::BinaryFile) {
            // A copy of a tree holds every file: a source that is no text goes in as it is.
            const workflow::Failure notCleaned = outcome.failure;
            outcome = {};
            outcome.failure = workflow::CopyFileTo(*file, *input.target, save).failure;
            outcome.road = workflow::FileOutcome::Road::Copied;
            outcome.notCleaned = notCleaned;
        }
    } else {
        outcome = workflow::CleanFile(*file, settings.languages, save);
    }
    outcome.sourceName = sourceName;
    outcome.targetName = targetName;
    if (input.saved != nullptr && !outcome.failure) {
        input.saved->Note(input.target ? input.target->folder : file->folder, save.shown);
    }
}

// Writes the cleaned text to standard output, checks or diffs it, as the mode asks.
void Show(const JobInput& input, const Settings& settings, JobResult& result,
          const std::function<void(std::string_view)>& write) {
    std::optional<workflow::SourceFile> source = ReadSource(input, result);
    if (!source) {
        return;
    }
    const QString& path = input.path;
    result.outcome.reading = settings.languages.ReadingOf(path, source->text);
    const workflow::OptionSet& o = settings.OptionsFor(path, source->text);
    if (settings.mode == Settings::Mode::Check) {
        Check(path, *source, o, result, write);
    } else if (settings.mode == Settings::Mode::Diff) {
        const QByteArray native = input.file ? input.file->folder->path() + '/' + input.file->name
                                             : workflow::NativePath(path);
        const std::string before = codec::Encode(source->text, source->encoding);
        const std::string after =
            codec::Encode(workflow::TargetTextOf(std::move(source->text), o, source->lineBreak),
                          source->encoding);
        result.changes = UnifiedDiff(PatchName(native), before, after, write);
    } else {
        WriteTarget(std::move(*source), o, write, result);
    }
}

// Tells of the outcome on standard error: why the file failed, or what was written as "?".
void Tell(const JobInput& input, const Settings& settings, JobResult& result) {
    const QString& path = input.path;
    const workflow::FileOutcome& outcome = result.outcome;
    const workflow::Failure& failure = outcome.failure;
    result.counted = true;  // the report names every file the run took
    if (failure.kind == workflow::FailureKind::BinaryFile) {
        result.err = Line(QStringLiteral("qingyan-strip: %1: 跳过: %2")
                              .arg(Shown(path), workflow::ReasonOf(failure)));
        result.failed = true;
    } else if (failure) {
        const bool readFailed = outcome.sourceLength < 0;
        result.err =
            Line(QStringLiteral("qingyan-strip: %1: %2: %3")
                     .arg(readFailed ? Shown(path) : TargetShown(input, settings),
                          readFailed ? QStringLiteral("无法读取") : QStringLiteral("无法保存"),
                          workflow::ReasonOf(failure)));
        result.failed = true;
        result.outOfMemory = failure.kind == workflow::FailureKind::OutOfMemory;
    } else if (outcome.notCleaned) {
        result.err = Line(QStringLiteral("qingyan-strip: %1: 原样复制: %2")
                              .arg(Shown(path), workflow::ReasonOf(outcome.notCleaned)));
    } else if (outcome.unrepresentable > 0) {
        result.err = Line(QStringLiteral("qingyan-strip: %1: 警告: ").arg(Shown(path)) +
                          workflow::UnrepresentableCaution(outcome.unrepresentable));
    }
}

// A file the run names but does not take: a link a copy leaves out, or a folder it could not
// read, which fails the run.
JobResult Pass(const JobInput& input, JobResult result) {
    result.outcome.failure = input.passed;
    result.outcome.road = workflow::FileOutcome::Road::Passed;
    result.counted = true;
    if (input.passFails) {
        result.err = Line(QStringLiteral("qingyan-strip: %1: ").arg(Shown(input.path)) +
                          workflow::ReasonOf(input.passed));
        result.failed = true;
    }
    return result;
}

}  // namespace

JobResult RunJob(const JobInput& input, const Settings& settings) {
    JobResult result;
    workflow::FileOutcome& outcome = result.outcome;
    outcome.sourceName = QFileInfo(input.path).fileName();
    outcome.targetName =
        input.target ? QString::fromUtf8(input.target->name)
                     : QFileInfo(workflow::TargetPathOf(input.path, settings.Naming())).fileName();
    if (input.task == JobInput::Task::Pass) {
        return Pass(input, std::move(result));
    }
    if (const QString refusal = RefusalOf(input, settings); !refusal.isEmpty()) {
        result.err = Line(refusal);
        result.failed = true;
        return result;
    }
    // Output goes straight to `input.write` where the caller gives one, otherwise into the result.
    const std::function<void(std::string_view)> write =
        input.write ? input.write : [&](std::string_view bytes) { result.out += bytes; };
    try {
        if (settings.mode == Settings::Mode::Save && input.path != u"-") {
            Save(input, settings, outcome);
            if (input.saved != nullptr) {
                result.savedAs = TargetShown(input, settings);
            }
        } else {
            Show(input, settings, result, write);
            if (result.failed) {
                return result;  // standard input could not be read: told already
            }
        }
    } catch (const std::bad_alloc&) {
        result.out.clear();
        outcome.failure = workflow::Failure{workflow::FailureKind::OutOfMemory};
    }
    Tell(input, settings, result);
    return result;
}

}  // namespace tools
