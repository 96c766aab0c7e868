#include "FileErrors.h"

#include <cerrno>
#include <cstring>

namespace workflow {

QString ReasonOfError(int errorNumber) {
    switch (errorNumber) {
        case ENOSPC:
            return QStringLiteral("磁盘已满");
        case EDQUOT:
            return QStringLiteral("超出磁盘配额");
        case EROFS:
            return QStringLiteral("文件系统是只读的");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有权限");
        case EIO:
            return QStringLiteral("输入/输出错误");
        case ENAMETOOLONG:
            return QStringLiteral("文件名太长");
        case ELOOP:
            return QStringLiteral("符号链接太多或成环");
        case EMLINK:
            return QStringLiteral("链接太多");
        case ENOENT:
            return QStringLiteral("没有那个文件或文件夹");
        case EISDIR:
            return QStringLiteral("这是一个文件夹");
        case ENOTDIR:
            return QStringLiteral("路径中有一项不是文件夹");
        case EFBIG:
            return QStringLiteral("文件太大");
        case EBADF:
            return QStringLiteral("文件描述符无效");
        default:
            return QStringLiteral("系统错误%1(%2)")
                .arg(errorNumber)
                .arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

QString ReasonOf(const Failure& failure) {
    switch (failure.kind) {
        case FailureKind::None:
            return {};
        case FailureKind::System:
            return ReasonOfError(failure.error);
        case FailureKind::OutOfMemory:
            return QStringLiteral("内存不足");
        case FailureKind::BinaryFile:
            return QStringLiteral("这是二进制文件(含有NUL字节),不是源文件");
        case FailureKind::SourceIsFolder:
            return QStringLiteral("这是一个文件夹,不是文件");
        case FailureKind::SourceNotRegular:
            return QStringLiteral("不是普通文件");
        case FailureKind::NoTargetPath:
            return QStringLiteral("没有目标文件路径");
        case FailureKind::TargetFolderMissing:
            return QStringLiteral("目标文件夹不存在");
        case FailureKind::TargetIsFolder:
            return QStringLiteral("目标路径是一个文件夹");
        case FailureKind::TargetNotRegular:
            return QStringLiteral("目标不是普通文件");
        case FailureKind::TargetIsSource:
            return QStringLiteral("目标就是源文件(经由链接或别的路径),为安全起见没有写入");
        case FailureKind::TargetReadOnly:
            return QStringLiteral("目标文件是只读的");
        case FailureKind::SourceInPlace:
            return QStringLiteral(
                "目标就是源文件,而所在文件夹不允许新建文件,就地写入一旦失败会毁掉源文件");
        case FailureKind::NoRoomInPlace:
            return QStringLiteral("所在文件夹不允许新建文件,而就地写入前无法为目标文件预留空间(") +
                   ReasonOfError(failure.error) + QStringLiteral("),为免写坏旧文件没有写入");
        case FailureKind::InPlaceWouldExpose:
            return QStringLiteral("所在文件夹不允许新建文件,而目标文件能被无权读源文件的人读到");
    }
    return {};
}

QString UnrepresentableCaution(std::size_t count) {
    return QStringLiteral("%1个字符无法用源文件的编码表示,已写为?").arg(count);
}

}  // namespace workflow
