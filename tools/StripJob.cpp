#include "StripJob.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include "UnifiedDiff.h"
#include "engine/Passes.h"
#include "workflow/Batch.h"
#include "workflow/FileErrors.h"
#include "workflow/FileNames.h"
#include "workflow/TargetText.h"

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
    return workflow::ReadToEnd(STDIN_FILENO, bytes);
}

std::string Line(const QString& text) {
    return (text + u'\n').toStdString();
}

// The comments that would go, one line each ("FILE:LINE: the comment's first line"), then how
// many; or what else would change. Lines count every kind of line break.
void Check(const QString& path, const workflow::CleanedText& cleaned,
           const engine::EliminationOptions& options, JobResult& result) {
    const std::u16string& text = cleaned.source.text;
    result.changes = cleaned.target != text;
    const std::vector<engine::TextSpan> comments = engine::RemovedComments(text, options);
    std::size_t line = 1;
    std::size_t counted = 0;  // the text before `counted` holds line - 1 breaks
    for (const engine::TextSpan& comment : comments) {
        for (; counted < comment.position; ++counted) {
            const bool crLf =
                text[counted] == u'\r' && counted + 1 < text.size() && text[counted + 1] == u'\n';
            line += (text[counted] == u'\r' || text[counted] == u'\n') && !crLf ? 1 : 0;
        }
        const std::u16string_view body = std::u16string_view(text).substr(
            comment.position,
            std::min(comment.length,
                     text.find_first_of(u"\r\n", comment.position) - comment.position));
        result.out += Line(
            QStringLiteral("%1:%2: %3")
                .arg(path, QString::number(line), QString::fromStdU16String(std::u16string(body))));
    }
    if (!comments.empty()) {
        result.out += Line(QStringLiteral("%1: %2处注释将被消除").arg(path).arg(comments.size()));
    } else if (result.changes) {
        result.out += Line(path + QStringLiteral(": 将被整理(空行、空格、文件头或文件尾)"));
    }
}

}  // namespace

void NoteStandardInput() {
    standardInputOpen = ::fcntl(STDIN_FILENO, F_GETFD) != -1;
}

JobResult RunJob(const QString& path, const Settings& settings) {
    const engine::EliminationOptions& o = settings.OptionsFor(path);
    JobResult result;
    workflow::FileOutcome& outcome = result.outcome;
    std::optional<workflow::CleanedText> cleaned;
    if (path == u"-") {
        std::string bytes;
        if (!ReadStandardInput(bytes)) {
            result.err = Line(QStringLiteral("qingyan-strip: 无法读取标准输入: ") +
                              workflow::ReasonOfError(errno));
            result.failed = true;
            return result;
        }
        outcome.sourceName = outcome.targetName = path;
        cleaned = workflow::Clean(workflow::SourceFromBytes(bytes), o, outcome);
    } else if (settings.mode == Settings::Mode::Save) {
        outcome = workflow::CleanFile(path, o);
    } else {
        cleaned = workflow::ReadAndClean(path, o, outcome);
    }

    if (cleaned) {
        const codec::TextEncoding encoding = cleaned->source.encoding;
        if (settings.mode == Settings::Mode::Check) {
            Check(path, *cleaned, o, result);
        } else if (settings.mode == Settings::Mode::Diff) {
            result.out = UnifiedDiff(workflow::NativePath(path).toStdString(),
                                     codec::Encode(cleaned->source.text, encoding),
                                     codec::Encode(cleaned->target, encoding));
        } else {
            result.out = codec::Encode(cleaned->target, encoding, &outcome.unrepresentable);
        }
    }
    if (!outcome.failure.isEmpty()) {
        const bool readFailed = outcome.sourceLength < 0;
        result.err =
            Line(QStringLiteral("qingyan-strip: %1: %2: %3")
                     .arg(readFailed ? path : workflow::TargetPathOf(path, o),
                          readFailed ? QStringLiteral("无法读取") : QStringLiteral("无法保存"),
                          outcome.failure));
        result.failed = true;
        return result;
    }
    if (outcome.unrepresentable > 0) {
        result.err =
            Line(QStringLiteral("qingyan-strip: %1: 警告: %2个字符无法用文件的编码表示,已写为?")
                     .arg(path, QString::number(outcome.unrepresentable)));
    }
    result.counted = true;
    return result;
}

}  // namespace tools
