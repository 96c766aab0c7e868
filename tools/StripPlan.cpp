#include "StripPlan.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <map>

#include "workflow/Batch.h"
#include "workflow/Browsing.h"
#include "workflow/FileErrors.h"
#include "workflow/FileNames.h"
#include "workflow/FileTypes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tools {
namespace {

bool IsFolder(const QString& path) {
    return path != u"-" && workflow::NamesFolder(path);
}

PlannedFile Given(const QString& path) {
    PlannedFile file;
    file.input.path = path;
    return file;
}

PlannedFile Passed(const QString& path, const QString& shown, workflow::Failure why, bool fails) {
    PlannedFile file = Given(path);
    file.shown = shown;
    file.input.task = JobInput::Task::Pass;
    file.input.passed = why;
    file.input.passFails = fails;
    return file;
}

// The folder of the copy that -o writes to, made where it is missing.
class OutputTree {
public:
    // Opens `dir`, making it when missing; refuses one that holds anything, and one that is a
    // walked folder or lies inside one. The message says why.
    bool Open(const QString& dir, const QStringList& walked, QString& error) {
        const QString absolute = QFileInfo(dir).absoluteFilePath();
        const QString canonical = CanonicalOf(absolute);
        for (const QString& source : walked) {
            const QString root = QFileInfo(source).canonicalFilePath();
            if (canonical == root || canonical.startsWith(root + u'/')) {
                error = workflow::OnOneLine(dir) + QStringLiteral(": ") +
                        workflow::ReasonOf({workflow::FailureKind::OutputInsideSource});
                return false;
            }
        }
        const QByteArray native = workflow::NativePath(absolute);
        // Missing folders on the way are made as mkdir -p makes them; the root itself closed to
        // others until the copy is written.
        if (const QString parent = QFileInfo(absolute).path();
            !QFileInfo(parent).isDir() && !QDir().mkpath(parent)) {
            error = workflow::OnOneLine(dir) + QStringLiteral(": 无法建立输出文件夹");
            return false;
        }
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            error = workflow::OnOneLine(dir) + QStringLiteral(": 无法建立输出文件夹,") +
                    workflow::ReasonOfError(errno);
            return false;
        }
        root_ = workflow::Folder::Open(native);
        std::vector<workflow::FolderItem> items;
        if (root_ == nullptr || !workflow::ListOpenFolder(*root_, items, true)) {
            error =
                workflow::OnOneLine(dir) + QStringLiteral(": ") + workflow::ReasonOfError(errno);
            return false;
        }
        if (!items.empty()) {
            error = workflow::OnOneLine(dir) + QStringLiteral(": ") +
                    workflow::ReasonOf({workflow::FailureKind::OutputNotEmpty});
            return false;
        }
        return true;
    }

    // The walked folder whose copy the root is.
    void CopyInto(const std::shared_ptr<const workflow::Folder>& walked) {
        copies_[walked] = {root_, 0};
    }

    // The copy of the walked folder `walked`, made as the walk enters it; nullptr with errno set
    // when it, or the copy of a folder above it, could not be made.
    std::shared_ptr<const workflow::Folder> Make(
        const std::shared_ptr<const workflow::Folder>& walked, const QByteArray& name) {
        const Copy above = CopyOf(walked->parent());
        const workflow::Folder::Lease open =
            above.folder != nullptr ? above.folder->Use() : workflow::Folder::Lease();
        std::shared_ptr<const workflow::Folder> made;
        if (above.folder == nullptr) {
            errno = above.error;
        } else if (open && (::mkdirat(open.fd(), name.constData(), 0700) == 0 || errno == EEXIST)) {
            made = above.folder->Subfolder(name);
        }
        copies_[walked] = {made, made == nullptr ? errno : 0};
        return made;
    }

    // The copy of the walked folder `walked`, or nullptr where Make could not make it.
    std::shared_ptr<const workflow::Folder> FolderOf(
        const std::shared_ptr<const workflow::Folder>& walked) const {
        return CopyOf(walked).folder;
    }

    // Why the copy of the walked folder `walked` could not be made: an error number.
    int WhyNotMade(const std::shared_ptr<const workflow::Folder>& walked) const {
        return CopyOf(walked).error;
    }

    const std::shared_ptr<const workflow::Folder>& root() const { return root_; }

private:
    // The canonical form of a path that may not exist yet: its existing folder's, and the rest.
    static QString CanonicalOf(const QString& absolute) {
        const QFileInfo info(absolute);
        if (info.exists()) {
            return info.canonicalFilePath();
        }
        const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
        return parent.isEmpty() ? absolute : parent + u'/' + info.fileName();
    }

    // A walked folder's copy, or the error number that kept it from being made.
    struct Copy {
        std::shared_ptr<const workflow::Folder> folder;
        int error = 0;
    };
    Copy CopyOf(const std::shared_ptr<const workflow::Folder>& walked) const {
        const auto found = copies_.find(walked);
        return found == copies_.end() ? Copy{} : found->second;
    }

    std::shared_ptr<const workflow::Folder> root_;
    // By the walked folder, held here: no two of them share an address while the plan lives.
    std::map<std::shared_ptr<const workflow::Folder>, Copy> copies_;
};

// What -o does with one item of a walk: a source cleaned into the copy, another file copied, a
// link or special file named and left out.
void PlanCopiedItem(const QString& argument, const workflow::TreeItem& item, OutputTree& output,
                    bool sourcesOnly, RunPlan& plan) {
    const QString path = workflow::JoinPath(argument, item.shown);
    const workflow::FolderItem& entry = item.entry;
    if (entry.isLink || (!entry.isRegular && !entry.isFolder)) {
        if (!sourcesOnly || item.source) {
            plan.files.push_back(Passed(path, item.shown,
                                        {entry.isLink ? workflow::FailureKind::LinkNotCopied
                                                      : workflow::FailureKind::SpecialNotCopied},
                                        false));
        }
        return;
    }
    if (!item.source && sourcesOnly) {
        return;
    }
    const std::shared_ptr<const workflow::Folder> into = output.FolderOf(item.file.folder);
    if (into == nullptr) {  // no copy of its folder to write it in: named, with why
        plan.files.push_back(Passed(
            path, item.shown,
            {workflow::FailureKind::OutputFolderNotMade, output.WhyNotMade(item.file.folder)},
            true));
        return;
    }
    PlannedFile file = Given(path);
    file.shown = item.shown;
    file.input.file = item.file;
    file.input.task = item.source ? JobInput::Task::Clean : JobInput::Task::Copy;
    file.input.target = workflow::FileRef{into, item.file.name};
    plan.files.push_back(std::move(file));
}

// With -o, the walk of `argument` into the copy's tree.
void PlanCopiedTree(const QString& argument, const std::shared_ptr<const workflow::Folder>& open,
                    const workflow::FileTypes& types, const Settings& settings, OutputTree& output,
                    RunPlan& plan) {
    struct stat root {};
    if (const workflow::Folder::Lease walked = open->Use();
        walked && ::fstat(walked.fd(), &root) == 0) {
        plan.madeFolders.push_back({output.root(), static_cast<mode_t>(root.st_mode & 07777)});
    }
    output.CopyInto(open);
    workflow::WalkTree(open, types, true, [&](workflow::TreeItem&& item) {
        const auto path = [&] { return workflow::JoinPath(argument, item.shown); };
        if (item.kind == workflow::TreeItem::Kind::Unread) {
            plan.files.push_back(Passed(path(), item.shown, item.failure, true));
        } else if (item.kind == workflow::TreeItem::Kind::Hidden) {
            if (!settings.sourcesOnly) {  // no source: -r passes hidden files over too
                plan.files.push_back(
                    Passed(path(), item.shown, {workflow::FailureKind::HiddenNotCopied}, false));
            }
        } else if (item.kind == workflow::TreeItem::Kind::Folder) {
            const std::shared_ptr<const workflow::Folder> made =
                output.Make(item.file.folder, item.entry.name);
            if (made == nullptr) {
                plan.files.push_back(Passed(
                    path(), item.shown, {workflow::FailureKind::OutputFolderNotMade, errno}, true));
            } else {
                plan.madeFolders.push_back({made, item.entry.mode});
            }
        } else {
            PlanCopiedItem(argument, item, output, settings.sourcesOnly, plan);
        }
    });
}

// Without -o, the sources of a walk, and the folders it could not read.
void PlanWalk(const QString& argument, const std::shared_ptr<const workflow::Folder>& open,
              const workflow::FileTypes& types, RunPlan& plan) {
    workflow::WalkTree(open, types, false, [&](workflow::TreeItem&& item) {
        const auto path = [&] { return workflow::JoinPath(argument, item.shown); };
        if (item.kind == workflow::TreeItem::Kind::Unread) {
            plan.files.push_back(Passed(path(), item.shown, item.failure, true));
        } else if (item.kind == workflow::TreeItem::Kind::File && item.source &&
                   item.entry.isLink && !item.entry.isRegular) {
            plan.files.push_back(
                Passed(path(), item.shown, {workflow::FailureKind::BrokenLink}, false));
        } else if (item.kind == workflow::TreeItem::Kind::File && item.source) {
            PlannedFile file = Given(path());
            file.shown = std::move(item.shown);
            file.input.file = std::move(item.file);
            plan.files.push_back(std::move(file));
        }
    });
}

// With -o, a file named on the command line goes to the copy's root under its base name.
bool PlanGivenIntoOutput(const QString& path, OutputTree& output, QSet<QString>& names,
                         RunPlan& plan, QString& error) {
    const QString name = QFileInfo(path).fileName();
    if (names.contains(name)) {
        error = workflow::OnOneLine(path) + QStringLiteral(": ") +
                workflow::ReasonOf({workflow::FailureKind::SameBaseName});
        return false;
    }
    names.insert(name);
    PlannedFile file = Given(path);
    file.input.target = workflow::FileRef{output.root(), workflow::NativePath(name)};
    plan.files.push_back(std::move(file));
    return true;
}

}  // namespace

bool PlanRun(const Settings& settings, RunPlan& plan, QString& error) {
    // A walk takes only what it can read by some language's rules, unless --lang names one.
    const workflow::FileTypes types(settings.pattern, !settings.languages.forced);
    OutputTree output;
    if (!settings.output.isEmpty()) {
        QStringList walked;
        for (const QString& path : settings.paths) {
            if (settings.recursive && IsFolder(path)) {
                walked << path;
            }
        }
        if (walked.size() > 1) {
            error = QStringLiteral("-o 只能复制一个文件夹的树");
            return false;
        }
        if (!output.Open(settings.output, walked, error)) {
            return false;
        }
    }
    QSet<QString> givenNames;
    for (const QString& path : settings.paths) {
        const std::shared_ptr<const workflow::Folder> open =
            settings.recursive && IsFolder(path)
                ? workflow::Folder::Open(workflow::NativePath(path))
                : nullptr;
        if (open != nullptr && !settings.output.isEmpty()) {
            PlanCopiedTree(path, open, types, settings, output, plan);
        } else if (open != nullptr) {
            PlanWalk(path, open, types, plan);
        } else if (settings.recursive && IsFolder(path)) {
            plan.files.push_back(
                Passed(path, {}, {workflow::FailureKind::FolderUnread, errno}, true));
        } else if (!settings.output.isEmpty() && path != u"-") {
            if (!PlanGivenIntoOutput(path, output, givenNames, plan, error)) {
                return false;
            }
        } else {
            plan.files.push_back(Given(path));
        }
    }
    return true;
}

void SealMadeFolders(const RunPlan& plan) {
    for (auto made = plan.madeFolders.rbegin(); made != plan.madeFolders.rend(); ++made) {
        if (const workflow::Folder::Lease folder =
                made->folder != nullptr ? made->folder->Use() : workflow::Folder::Lease()) {
            ::fchmod(folder.fd(), made->mode);
        }
    }
}

}  // namespace tools
