#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

#include "TextCodec.h"

namespace workflow {

/// A source file as loaded: its exact text, the encoding it was read in (its target is written
/// in the same one), its main line break (the kind most of its lines end with), and its size on
/// disk.
struct SourceFile {
    std::u16string text;
    codec::TextEncoding encoding = codec::TextEncoding::Gbk;
    std::u16string lineBreak = u"\r\n";
    qint64 byteSize = 0;
};

/// A read that either gave a file or a short reason why not.
struct ReadOutcome {
    std::optional<SourceFile> file;
    QString error;
    bool binary = false;  ///< read, but a binary file (it holds a NUL byte), so no source
};

/// Why a binary file is left alone.
inline const QString kBinaryFileReason = QStringLiteral("这是二进制文件(含有NUL字节),不是源文件");

/// Reads a whole regular file. An empty file is recognised by its size and not read.
ReadOutcome ReadSourceFile(const QString& path);

/// Appends everything that can still be read from the descriptor `fd` to `bytes`; false with
/// errno set when a read fails.
bool ReadToEnd(int fd, std::string& bytes);

/// Decodes a file's bytes, or bytes that came from elsewhere (standard input); bytes holding a
/// NUL are a binary file and give no source.
ReadOutcome SourceFromBytes(std::string_view bytes);

/// What a write did: an empty error on success, and how many characters the encoding could not
/// hold (each written as "?").
struct WriteOutcome {
    QString error;
    std::size_t unrepresentable = 0;
    bool ok() const { return error.isEmpty(); }
};

/// Writes `text` to `path` without ever leaving a damaged file: it goes to a temporary file in the
/// same folder, is flushed to disk, then renamed over the target. On failure the old target is
/// untouched. A symbolic link at `path` is followed only when it belongs to the user or to the
/// owner of its folder, and keeps pointing at the file it names, which is replaced. A new target
/// gets the permission bits of the file at `sourcePath` less the umask; an existing one keeps its
/// mode, and its owner where the system allows. In a folder that takes no new file, an existing
/// writable target other than the source is written in place. No folder is created.
WriteOutcome WriteTargetFile(const QString& path, std::u16string_view text,
                             codec::TextEncoding encoding, const QString& sourcePath = {});

}  // namespace workflow
