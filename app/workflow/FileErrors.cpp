#include "FileErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace workflow {
namespace {

// The system's refusals, by error number.
constexpr std::pair<int, const char*> kSystemReasons[] = {
    {ENOSPC, "磁盘已满"},
    {EDQUOT, "超出磁盘配额"},
    {EROFS, "文件系统是只读的"},
    {EACCES, "没有权限"},
    {EPERM, "没有权限"},
    {EIO, "输入/输出错误"},
    {ENAMETOOLONG, "文件名太长"},
    {ELOOP, "符号链接太多或成环"},
    {EMLINK, "链接太多"},
    {ENOENT, "没有那个文件或文件夹"},
    {EISDIR, "这是一个文件夹"},
    {ENOTDIR, "路径中有一项不是文件夹"},
    {EFBIG, "文件太大(超出文件系统或进程的文件大小上限)"},
    {EBADF, "文件描述符无效"},
    {EOPNOTSUPP, "文件系统不支持这一操作"},
    {EMFILE, "打开的文件太多(已到本进程的上限)"},
    {ENFILE, "系统中打开的文件太多"},
    {ENOMEM, "内存不足"},
    {EBUSY, "设备或资源正忙"},
    {ETXTBSY, "文件正被执行"},
    {EAGAIN, "资源暂时不可用"},
    {EINTR, "操作被中断"},
    {EXDEV, "不能跨文件系统"},
    {EEXIST, "文件已存在"},
    {ENOTEMPTY, "文件夹不是空的"},
    {ENXIO, "没有那个设备或地址"},
    {ENODEV, "没有那个设备"},
    {EINVAL, "参数无效"},
    {EOVERFLOW, "数值超出范围"},
    {ENODATA, "没有数据"},
    {ESTALE, "文件或文件夹已被移走或换掉(文件句柄已失效)"},
    {ENOTCONN, "连接已断开"},
    {ETIMEDOUT, "连接超时"},
    {ENOLCK, "没有可用的锁"},
    {ENOSYS, "系统不支持这一功能"},
    {EUCLEAN, "文件系统结构损坏,需要检查"},
    {EDEADLK, "资源死锁"},
};

// Every other kind. Those of kWithSystemReason tell the system's reason after their words.
constexpr std::pair<FailureKind, const char*> kReasons[] = {
    {FailureKind::OutOfMemory, "内存不足"},
    {FailureKind::BinaryFile, "这是二进制文件(含有NUL字节),不是源文件"},
    {FailureKind::SourceIsFolder, "这是一个文件夹,不是文件"},
    {FailureKind::SourceNotRegular, "不是普通文件"},
    {FailureKind::NoTargetPath, "没有目标文件路径"},
    {FailureKind::TargetFolderMissing, "目标文件夹不存在"},
    {FailureKind::TargetIsFolder, "目标路径是一个文件夹"},
    {FailureKind::TargetNotRegular, "目标不是普通文件"},
    {FailureKind::TargetIsSource, "目标就是源文件(经由链接或别的路径),为安全起见没有写入"},
    {FailureKind::TargetReadOnly, "目标文件是只读的"},
    {FailureKind::FolderTakesNoNewFile,
     "所在文件夹不允许新建文件;就地改写目标文件一旦中断就会写坏它,所以没有写入"},
    {FailureKind::FolderUnread, "无法打开文件夹"},
    {FailureKind::LinkNotCopied, "这是符号链接,副本中不复制"},
    {FailureKind::HiddenNotCopied, "隐藏的文件或文件夹,副本中不复制"},
    {FailureKind::BrokenLink, "这是符号链接,它指向的文件不存在"},
    {FailureKind::SpecialNotCopied, "不是普通文件(管道、设备或套接字),副本中不复制"},
    {FailureKind::OutputNotEmpty, "输出文件夹不是空的"},
    {FailureKind::OutputInsideSource, "输出文件夹就是源文件夹,或在源文件夹之内"},
    {FailureKind::SameBaseName, "与另一个文件同名,会写到输出文件夹中的同一个文件"},
    {FailureKind::SourceChanged, "读取时源文件被改动了(变短了),请在它不再变化时重试"},
    {FailureKind::OutputFolderNotMade, "无法建立输出文件夹"},
    {FailureKind::NotOnDisk, "可能没有写入磁盘"},
};
constexpr FailureKind kWithSystemReason[] = {
    FailureKind::FolderUnread, FailureKind::OutputFolderNotMade, FailureKind::NotOnDisk};

}  // namespace

QString ReasonOfError(int errorNumber) {
    for (const auto& [number, reason] : kSystemReasons) {
        if (number == errorNumber) {
            return QString::fromUtf8(reason);
        }
    }
    // An error no table names: its number and its symbolic name, which a search finds; the
    // system's own words would be English.
    const char* name = ::strerrorname_np(errorNumber);
    return name == nullptr ? QStringLiteral("系统错误%1").arg(errorNumber)
                           : QStringLiteral("系统错误%1(%2)").arg(errorNumber).arg(name);
}

QString ReasonOf(const Failure& failure) {
    if (failure.kind == FailureKind::None) {
        return {};
    }
    if (failure.kind == FailureKind::System) {
        return ReasonOfError(failure.error);
    }
    for (const auto& [kind, reason] : kReasons) {
        if (kind == failure.kind) {
            const bool withError =
                std::find(std::begin(kWithSystemReason), std::end(kWithSystemReason), kind) !=
                std::end(kWithSystemReason);
            return QString::fromUtf8(reason) +
                   (withError ? u',' + ReasonOfError(failure.error) : QString());
        }
    }
    return {};
}

QString UnrepresentableCaution(std::size_t count) {
    return QStringLiteral("%1个字符无法用源文件的编码表示,已写为?").arg(count);
}

}  // namespace workflow
