#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "FileAccess.h"
#include "FileErrors.h"
#include "Folder.h"
#include "text/TextCodec.h"

namespace workflow {

/// What a save must know of the source whose target it writes: which file it is, so that it is
/// known again by any path, and who may read it, so that no one else may read its target.
struct SourceFacts {
    bool known = false;  ///< false: no file behind the text (standard input, a typed text)
    dev_t device = 0;
    ino_t inode = 0;
    FileReaders readers;
};

/// A source file as loaded: its exact text, the encoding it was read in (its target is written
/// in the same one), its main line break (the kind most of its lines end with), its size on disk
/// and the facts a save of its target needs.
struct SourceFile {
    std::u16string text;
    codec::TextEncoding encoding = codec::TextEncoding::Gbk;
    std::u16string lineBreak = u"\r\n";
    qint64 byteSize = 0;
    SourceFacts facts;
};

/// A read that either gave a file or why not.
struct ReadOutcome {
    std::optional<SourceFile> file;
    Failure failure;
};

/// Reads a whole regular file, up to the size it had when opened (to its end, when the system
/// gives no size, as for /proc). A FIFO or device is refused without waiting on it.
ReadOutcome ReadSourceFile(const FileRef& file);
/// The same for a path.
ReadOutcome ReadSourceFile(const QString& path);

/// Appends everything that can still be read from the descriptor `fd` to `bytes`, in linear
/// time; with `stopAtNul`, stops after a block that holds a NUL byte. False with errno set when a
/// read fails.
bool ReadToEnd(int fd, std::string& bytes, bool stopAtNul = false);

/// Decodes a file's bytes, or bytes that came from elsewhere (standard input); bytes holding a
/// NUL are a binary file and give no source.
ReadOutcome SourceFromBytes(std::string_view bytes);

/// What a write did: no failure on success, and how many characters the encoding could not hold
/// (each written as "?").
struct WriteOutcome {
    Failure failure;
    std::size_t unrepresentable = 0;
    bool ok() const { return !failure; }
};

/// How a target is saved.
struct SaveOptions {
    /// The user named the source's own path as the target: the source itself may be replaced.
    bool replacesSource = false;
    /// Flush the file to disk before it takes its name, and its folder after. A run of many saves
    /// may leave this to one flush of each file system at its end (SavedFileSystems); a save that
    /// replaces its source, or any file already at the target's name, always flushes the file
    /// first.
    bool flush = true;
    /// In a run of many saves, a file that replaces an old target is written whole and waits
    /// here, unflushed, to take the target's name after one flush of its file system with the
    /// others (see SavedFileSystems::Await); `shown` names it there. Without, it is flushed on its
    /// own first.
    SavedFileSystems* waitFor = nullptr;
    QString shown{};
};

/// Makes a write past a file-size limit (ulimit -f) fail with EFBIG, told as a reason, instead
/// of killing the process by SIGXFSZ. Called once at the start of each program that saves.
void FailWritesPastTheSizeLimit();

/// Writes `text` to `target` without ever leaving a damaged file: it goes to a new file in the
/// target's folder (unnamed where the file system allows, so that a killed run leaves nothing),
/// which then takes the target's name in one step. Whatever stood at the name is replaced, a
/// symbolic link included (what it pointed at is untouched). A target that is the source itself,
/// by any path or link, is refused unless `options.replacesSource`. No one may read the target
/// who may not read the source: an existing target keeps its mode, owner, group and ACL only where
/// that holds, otherwise it becomes a file of the saver's with the source's mode. In a folder that
/// takes no new file nothing is saved, not even over a writable target: a write in place cut short
/// would tear it. No folder is created.
WriteOutcome WriteTargetFile(const FileRef& target, std::u16string_view text,
                             codec::TextEncoding encoding, const SourceFacts& source,
                             SaveOptions options = {});
/// Copies the regular file `source` to `target` byte for byte, saved as WriteTargetFile saves:
/// whole or not at all, never through a link, and readable by no one who may not read the source. A
/// link, a FIFO or a device at the source's name is refused.
WriteOutcome CopyFileTo(const FileRef& source, const FileRef& target, SaveOptions options = {});

/// The same for a path.
WriteOutcome WriteTargetFile(const QString& path, std::u16string_view text,
                             codec::TextEncoding encoding, const SourceFacts& source = {},
                             SaveOptions options = {});

}  // namespace workflow
