#include "OptionFields.h"

#include <QStringList>

#include <optional>

namespace tools {
namespace {

using engine::EliminationOptions;

struct BoolField {
    const char* name;
    bool EliminationOptions::*member;
};
struct TextField {
    const char* name;
    std::u16string EliminationOptions::*member;
};

constexpr BoolField kBoolFields[] = {
    {"AddHeader", &EliminationOptions::AddHeader},
    {"AddFooter", &EliminationOptions::AddFooter},
    {"KeepHeaderLineComments", &EliminationOptions::KeepHeaderLineComments},
    {"KeepHeaderBlockComment", &EliminationOptions::KeepHeaderBlockComment},
    {"KeepWholeLineComments", &EliminationOptions::KeepWholeLineComments},
    {"KeepAllLineComments", &EliminationOptions::KeepAllLineComments},
    {"KeepAllBlockComments", &EliminationOptions::KeepAllBlockComments},
    {"AddTargetExtension", &EliminationOptions::AddTargetExtension},
    {"KeepLeadingSpaces", &EliminationOptions::KeepLeadingSpaces},
    {"KeepSurplusBlanks", &EliminationOptions::KeepSurplusBlanks},
    {"IgnoreMarkersInStrings", &EliminationOptions::IgnoreMarkersInStrings},
};

constexpr TextField kTextFields[] = {
    {"HeaderText", &EliminationOptions::HeaderText},
    {"FooterText", &EliminationOptions::FooterText},
    {"TargetExtension", &EliminationOptions::TargetExtension},
    {"LineCommentLeader", &EliminationOptions::LineCommentLeader},
    {"BlockCommentLeader", &EliminationOptions::BlockCommentLeader},
    {"BlockCommentTerminator", &EliminationOptions::BlockCommentTerminator},
    {"StringLeader", &EliminationOptions::StringLeader},
    {"StringTerminator", &EliminationOptions::StringTerminator},
    {"SourcePattern", &EliminationOptions::SourcePattern},
};

std::optional<QString> Unescape(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) {
            return std::nullopt;
        }
        switch (value[i].unicode()) {
            case u'r':
                out += u'\r';
                break;
            case u'n':
                out += u'\n';
                break;
            case u't':
                out += u'\t';
                break;
            case u'\\':
                out += u'\\';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

}  // namespace

QString AssignOptionField(EliminationOptions& options, const QString& name, const QString& value) {
    for (const BoolField& field : kBoolFields) {
        if (name == QLatin1String(field.name)) {
            if (value != u"0" && value != u"1") {
                return QStringLiteral("%1 只能是0或1").arg(name);
            }
            options.*field.member = value == u"1";
            return {};
        }
    }
    for (const TextField& field : kTextFields) {
        if (name == QLatin1String(field.name)) {
            const std::optional<QString> text = Unescape(value);
            if (!text) {
                return QStringLiteral("%1 的值含有未知的转义(只认\\r \\n \\t \\\\)").arg(name);
            }
            options.*field.member = text->toStdU16String();
            return {};
        }
    }
    return QStringLiteral("没有名为 %1 的选项").arg(name);
}

QString OptionFieldNames() {
    QStringList names;
    for (const BoolField& field : kBoolFields) {
        names << QLatin1String(field.name) + QStringLiteral("=0|1");
    }
    for (const TextField& field : kTextFields) {
        names << QLatin1String(field.name) + QStringLiteral("=TEXT");
    }
    return names.join(QStringLiteral("\n  "));
}

}  // namespace tools
