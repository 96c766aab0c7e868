#include "Usage.h"

namespace workflow {

QString UnknownOptionMessage(const QString& typed) {
    return QStringLiteral("未知选项'%1'").arg(typed);
}

QString TypedOption(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments) {
        if (argument == u"--") {
            break;
        }
        if (argument.size() < 2 || !argument.startsWith(u'-')) {
            continue;
        }
        const bool longForm = argument.startsWith(QStringLiteral("--"));
        const QString options = argument.mid(longForm ? 2 : 1).section(u'=', 0, 0);
        const bool letters = !longForm && name.size() == 1 && options.contains(name);
        if (options == name || letters) {
            return argument;
        }
    }
    return name;
}

}  // namespace workflow
