#include "StripMain.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "StripJob.h"
#include "StripPlan.h"
#include "StripSettings.h"
#include "workflow/Batch.h"
#include "workflow/Browsing.h"
#include "workflow/FileErrors.h"
#include "workflow/FileNames.h"
#include "workflow/Folder.h"
#include "workflow/OptionSet.h"
#include "workflow/Pipeline.h"
#include "workflow/QtTranslations.h"
#include "workflow/Temporaries.h"
#include "workflow/TextFile.h"
#include "workflow/Usage.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kFileFailed = 1;
constexpr int kBadUsage = 2;

// How writing the standard streams went: a failure to write standard output is reported at the
// end with exit status 2, as coreutils do; a failure to write standard error can only end so.
struct StandardStreams {
    bool outputClosedAtStart = false;
    bool outputWritten = false;
    int outputError = 0;
    bool errorFailed = false;
};
StandardStreams streams;

void Write(std::FILE* stream, std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    if (stream == stdout) {
        streams.outputWritten = true;
        streams.outputError = written || streams.outputError != 0 ? streams.outputError : errno;
    } else {
        streams.errorFailed = streams.errorFailed || !written;
    }
}

// Descriptors 0 to 2 that are closed at start are opened on /dev/null, so that no file this run
// opens takes their place and receives its messages.
void OpenClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            ::open("/dev/null", O_RDWR | O_CLOEXEC);
            streams.outputClosedAtStart = streams.outputClosedAtStart || fd == STDOUT_FILENO;
        }
    }
}

void Print(std::FILE* stream, const QString& line) {
    Write(stream, (line + u'\n').toStdString());
}

// The exit status, once standard output and error are flushed and their failures counted.
int Finish(int status) {
    if (std::fflush(stdout) != 0 && streams.outputError == 0) {
        streams.outputError = errno;
    }
    if (streams.outputClosedAtStart && streams.outputWritten) {
        streams.outputError = EBADF;
    }
    if (streams.outputError != 0) {
        Print(stderr, QStringLiteral("qingyan-strip: 无法写入标准输出: ") +
                          workflow::ReasonOfError(streams.outputError));
    }
    const bool errorFailed = std::fflush(stderr) != 0 || streams.errorFailed;
    return streams.outputError != 0 || errorFailed ? kBadUsage : status;
}

// Runs the files on `jobs` threads and hands each result to `report` in the order of the files,
// as soon as it and all before it are done.
void RunInOrder(const std::vector<tools::PlannedFile>& files, const tools::Settings& settings,
                const std::function<void(tools::JobResult&)>& report) {
    std::vector<tools::JobResult> results(static_cast<std::size_t>(files.size()));
    std::vector<bool> done(results.size(), false);
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t next = 0;
    const auto work = [&] {
        for (;;) {
            std::size_t index;
            {
                const std::lock_guard lock(mutex);
                if (next == results.size()) {
                    return;
                }
                index = next++;
            }
            tools::JobResult result = tools::RunJob(files[index].input, settings);
            const std::lock_guard lock(mutex);
            results[index] = std::move(result);
            done[index] = true;
            finished.notify_all();
        }
    };
    std::vector<std::thread> workers;
    const std::size_t threads = std::min<std::size_t>(static_cast<std::size_t>(settings.jobs),
                                                      std::max<std::size_t>(results.size(), 1));
    for (std::size_t i = 0; i < threads; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: fewer do the work
        }
    }
    if (workers.empty()) {
        work();  // not even one: this thread does it all, then reports
    }
    for (std::size_t index = 0; index < results.size(); ++index) {
        std::unique_lock lock(mutex);
        finished.wait(lock, [&] { return done[index]; });
        tools::JobResult result = std::move(results[index]);
        lock.unlock();
        report(result);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
}

// File names are taken as the bytes they are: a name that is not UTF-8 is read as GBK and its
// bytes remembered, so that the file is found and its target named by the same bytes. Each file
// argument is found again among the arguments by its text.
QStringList PathsOf(const QStringList& given, int argc, char* argv[]) {
    QStringList paths;
    int next = 1;
    for (const QString& text : given) {
        while (next < argc && QString::fromUtf8(argv[next]) != text) {
            ++next;
        }
        paths.append(next < argc ? workflow::PathFromBytes(QByteArray(argv[next++])) : text);
    }
    return paths;
}

// What the report calls a file's target: under the folder that -r walked, the source's path
// with the extension; in a copy of the tree, the source's own path there.
QString ShownTarget(const tools::PlannedFile& file, const tools::Settings& settings) {
    return file.input.target ? file.shown : workflow::TargetPathOf(file.shown, settings.Naming());
}

// Names each file that may not be on disk after the run's flush failed with `error`.
void TellFailedFlush(const workflow::SavedFileSystems& saved, int error) {
    const QString reason = workflow::ReasonOfError(error);
    Print(stderr, QStringLiteral("qingyan-strip: 目标文件没能全部写入磁盘: ") + reason);
    for (const QString& target : saved.Unflushed()) {
        Print(stderr,
              QStringLiteral("qingyan-strip: %1: 可能没有写入磁盘: %2").arg(target, reason));
    }
}

// What the run's flush left: the waiting saves that did not take their names, and the files that
// may not be on disk. Read once, then looked up for each file.
struct AfterFlush {
    std::map<QString, int> unpublished;
    std::set<QString> unflushed;
    int error = 0;

    explicit AfterFlush(const workflow::SavedFileSystems& saved)
        : unpublished(saved.Unpublished()), unflushed(saved.Unflushed()), error(saved.Error()) {}
};

// What a save noted as `savedAs` came to once the run's flush is over: a save that waited for it
// and could not take its target's name left the old target, and is told so (true); one on a file
// system that failed its flush may not be on disk.
bool AfterTheFlush(const AfterFlush& flush, const QString& savedAs,
                   workflow::FileOutcome& outcome) {
    if (outcome.failure || outcome.road == workflow::FileOutcome::Road::Passed) {
        return false;
    }
    if (const auto failed = flush.unpublished.find(savedAs); failed != flush.unpublished.end()) {
        outcome.failure = workflow::SystemFailure(failed->second);
        Print(stderr, QStringLiteral("qingyan-strip: %1: 无法保存: %2")
                          .arg(savedAs, workflow::ReasonOfError(failed->second)));
        return true;
    }
    if (flush.unflushed.contains(savedAs)) {
        outcome.failure = workflow::Failure{workflow::FailureKind::NotOnDisk, flush.error};
    }
    return false;
}

// Runs the planned files, reports each as it comes, and returns the run's exit status.
int RunPlanned(tools::RunPlan& plan, const tools::Settings& settings) {
    // A diff answers as diff does: 1 for differences, 2 for trouble.
    const bool diff = settings.mode == tools::Settings::Mode::Diff;
    int status = 0;
    workflow::BatchReportBuilder report;
    const bool toStdout = settings.mode != tools::Settings::Mode::Save;
    std::vector<tools::PlannedFile>& files = plan.files;
    // A run of many saves flushes each file system it wrote to once at its end, not every file;
    // what it reports as saved waits for that flush.
    workflow::SavedFileSystems saved;
    const bool flushAtEnd = !toStdout && files.size() > 1;
    for (tools::PlannedFile& file : files) {
        file.input.save.flush = !flushAtEnd;
        file.input.saved = flushAtEnd ? &saved : nullptr;
    }
    // One file's output waits for no other: it goes out as it is made, and is never held whole.
    if (files.size() == 1) {
        files.front().input.write = [](std::string_view bytes) { Write(stdout, bytes); };
    }
    // With a flush at the end, what each save comes to is known only after it.
    std::vector<std::pair<workflow::FileOutcome, QString>> waiting;  // and the name it is saved by
    const auto addToReport = [&](const workflow::FileOutcome& outcome) {
        const QString line = report.Add(outcome);
        if (settings.verbose) {
            Print(toStdout || outcome.sourceName == u"-" ? stderr : stdout, line);
        }
    };
    std::size_t next = 0;
    RunInOrder(files, settings, [&](tools::JobResult& result) {
        const tools::PlannedFile& file = files[next++];
        Write(stdout, result.out);
        Write(stderr, result.err);
        if (result.outOfMemory || (result.failed && diff)) {
            status = kBadUsage;
        } else if (result.failed) {
            status = std::max(status, kFileFailed);
        } else if (result.changes && status == 0) {
            status = kFileFailed;
        }
        if (!result.counted) {
            return;
        }
        if (!file.shown.isEmpty()) {
            result.outcome.sourceName = file.shown;
            result.outcome.targetName = ShownTarget(file, settings);
        }
        if (flushAtEnd) {
            waiting.emplace_back(std::move(result.outcome), std::move(result.savedAs));
        } else {
            addToReport(result.outcome);
        }
    });
    tools::SealMadeFolders(plan);
    if (flushAtEnd && !saved.Flush()) {
        status = std::max(status, kFileFailed);
        TellFailedFlush(saved, errno);
    }
    const AfterFlush flushed(saved);
    for (auto& [outcome, savedAs] : waiting) {
        if (AfterTheFlush(flushed, savedAs, outcome)) {
            status = std::max(status, kFileFailed);
        }
        addToReport(outcome);
    }
    if (settings.report) {
        const bool oneFolder =
            settings.paths.size() == 1 && workflow::FolderProblem(settings.paths.front()).isEmpty();
        const QString folder =
            QFileInfo(oneFolder ? settings.paths.front() : QDir::currentPath()).absoluteFilePath();
        Write(stdout, report.Text(folder).toStdString());
    }
    return status;
}

}  // namespace

namespace tools {

int StripMain(int argc, char* argv[]) {
    tools::NoteStandardInput();
    OpenClosedStandardDescriptors();
    workflow::FailWritesPastTheSizeLimit();
    workflow::RemoveTemporariesOnSignals();
    // A run keeps a share of what it may open for folders and waiting files: the more it may,
    // the fewer folders it opens again and the fewer flushes it makes.
    if (rlimit files{};
        ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromUtf8(argv[i]));
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qingyan-strip"));
    workflow::LoadQtTranslations(app);

    const auto refuse = [](const QString& error) {
        Print(stderr, QStringLiteral("qingyan-strip: ") + error);
        Print(stderr, QStringLiteral("用法: qingyan-strip [选项] FILE...  (--help 查看说明)"));
        return kBadUsage;
    };
    QCommandLineParser parser;
    tools::DescribeOptions(parser);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return refuse(unknown.isEmpty() ? parser.errorText()
                                        : workflow::UnknownOptionMessage(workflow::TypedOption(
                                              arguments.mid(1), unknown.front())));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        Write(stdout, parser.helpText().toStdString());
        return Finish(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("qingyan-strip " QINGYAN_VERSION));
        return Finish(0);
    }
    tools::Settings settings;
    QString error;
    const bool read = tools::ReadSettings(parser, settings, error);
    settings.paths = PathsOf(settings.paths, argc, argv);
    if (!read) {
        return refuse(error);
    }
    const workflow::OptionSet& o = settings.Naming();
    // A copy under -o keeps the source's names in its own folder: no source is overwritten.
    const bool saves = settings.mode == tools::Settings::Mode::Save && settings.output.isEmpty() &&
                       !settings.paths.contains(QStringLiteral("-"));
    if (saves && (!o.AddTargetExtension || o.TargetExtension.empty())) {
        // The window warns the same way before a save would overwrite the source.
        Print(stderr, QStringLiteral("qingyan-strip: ") + (o.AddTargetExtension
                                                               ? workflow::kEmptyExtensionWarning
                                                               : workflow::kNoExtensionWarning));
    }

    // Memory that runs out outside a file's own cleaning (a walk of a tree too large for it, the
    // report) ends the run with a reason, never with an abort.
    try {
        tools::RunPlan plan;
        if (!tools::PlanRun(settings, plan, error)) {
            return refuse(error);
        }
        return Finish(RunPlanned(plan, settings));
    } catch (const std::bad_alloc&) {
        Print(stderr, QStringLiteral("qingyan-strip: ") +
                          workflow::ReasonOf({workflow::FailureKind::OutOfMemory}));
        return kBadUsage;
    }
}

}  // namespace tools
