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

}  // namespace workflow
