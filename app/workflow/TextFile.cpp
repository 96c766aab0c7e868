#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#include "Passes.h"

#include <sys/stat.h>
#include <unistd.h>

namespace workflow {
namespace {

QString ReasonOf(const QFileDevice& file) {
    if (file.error() == QFileDevice::PermissionsError) {
        return QStringLiteral("没有权限");
    }
    return file.errorString();
}

bool Accessible(const QString& path, int mode) {
    return ::access(QFile::encodeName(path).constData(), mode) == 0;
}

// The file that writing to `path` must replace: the end of a chain of symbolic links, or `path`.
QString FinalTargetOf(const QString& path) {
    QString current = path;
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymLink()) {
            return current;
        }
        current = info.symLinkTarget();
    }
    return current;  // a loop of links: the write below fails on it with the system's reason
}

}  // namespace

SourceFile SourceFromBytes(std::string_view bytes) {
    codec::DecodedText decoded = codec::Decode(bytes);
    SourceFile file;
    file.lineBreak = std::u16string(engine::MainLineBreakOfBytes(bytes));
    file.text = std::move(decoded.text);
    file.encoding = decoded.encoding;
    file.byteSize = static_cast<qint64>(bytes.size());
    return file;
}

ReadOutcome ReadSourceFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return {std::nullopt, QStringLiteral("文件不存在")};
    }
    if (info.isDir()) {
        return {std::nullopt, QStringLiteral("这是一个文件夹,不是文件")};
    }
    if (!info.isFile()) {
        return {std::nullopt, QStringLiteral("不是普通文件")};
    }
    if (info.size() == 0) {
        return {SourceFile{}, {}};
    }
    if (!Accessible(path, R_OK)) {
        return {std::nullopt, QStringLiteral("没有读取权限")};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, ReasonOf(file)};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {std::nullopt, ReasonOf(file)};
    }
    return {SourceFromBytes(std::string_view(bytes.constData(), bytes.size())), {}};
}

WriteOutcome WriteTargetFile(const QString& path, std::u16string_view text,
                             codec::TextEncoding encoding) {
    if (path.isEmpty()) {
        return {QStringLiteral("没有目标文件路径"), 0};
    }
    const QString target = FinalTargetOf(path);
    const QFileInfo info(target);
    if (info.isDir()) {
        return {QStringLiteral("目标路径是一个文件夹"), 0};
    }
    if (!info.absoluteDir().exists()) {
        return {QStringLiteral("目标文件夹不存在"), 0};
    }
    if (info.exists() && !Accessible(target, W_OK)) {
        return {QStringLiteral("目标文件是只读的"), 0};
    }
    if (!Accessible(info.absolutePath(), W_OK | X_OK)) {
        return {QStringLiteral("没有在目标文件夹中写入的权限"), 0};
    }

    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        return {ReasonOf(file), 0};
    }
    // QSaveFile gives the new file the old one's mode bits, but not its owner: a save by root
    // would take another user's file away from them. Where the system allows it, keep the owner.
    struct stat existing {};
    if (::stat(QFile::encodeName(target).constData(), &existing) == 0) {
        [[maybe_unused]] const int ignored =
            ::fchown(file.handle(), existing.st_uid, existing.st_gid);
    }
    WriteOutcome outcome;
    // The text is encoded a slice at a time, so that a large one never sits in memory twice; a
    // byte-order mark goes first, once.
    codec::TextEncoding sliceEncoding = encoding;
    bool written = true;
    if (encoding == codec::TextEncoding::Utf8WithBom) {
        const std::string mark = codec::Encode({}, encoding);
        written = file.write(mark.data(), static_cast<qint64>(mark.size())) ==
                  static_cast<qint64>(mark.size());
        sliceEncoding = codec::TextEncoding::Utf8;
    }
    constexpr std::size_t kSlice = 1 << 20;
    for (std::size_t at = 0, end = 0; written && at < text.size(); at = end) {
        end = std::min(text.size(), at + kSlice);
        if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
            ++end;  // never split a surrogate pair
        }
        std::size_t missing = 0;
        const std::string bytes = codec::Encode(text.substr(at, end - at), sliceEncoding, &missing);
        outcome.unrepresentable += missing;
        written = file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                  static_cast<qint64>(bytes.size());
    }
    if (!written || !file.flush() || ::fsync(file.handle()) != 0) {
        const QString reason = ReasonOf(file);
        file.cancelWriting();
        return {reason.isEmpty() ? QStringLiteral("写入失败") : reason, 0};
    }
    if (!file.commit()) {
        return {ReasonOf(file), 0};
    }
    return outcome;
}

}  // namespace workflow
