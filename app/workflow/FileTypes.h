#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>

namespace workflow {

/// Which files a pattern takes: a list of wildcards separated by ";" ("*.ASM;*.C"), each matched
/// against the whole file name in any case, as the window's file list shows them. A build file
/// known by its name (CMakeLists.txt) is never taken, being no source; with `claimedOnly`, neither
/// is a file that no language claims. The window's list, 批量 and -r all take files here.
class FileTypes {
public:
    explicit FileTypes(const QString& pattern, bool claimedOnly = false);
    bool Takes(const QString& name) const;

private:
    QList<QRegularExpression> wildcards_;
    bool claimedOnly_;
};

}  // namespace workflow
