#include "OptionSet.h"

#include <QStringList>

#include <algorithm>
#include <optional>
#include <utility>

namespace workflow {
namespace {

using O = OptionSet;

// The escapes a text of --set may hold, and what each stands for.
constexpr std::pair<char16_t, char16_t> kEscapes[] = {
    {u'r', u'\r'}, {u'n', u'\n'}, {u't', u'\t'}, {u'\\', u'\\'}};

std::optional<QString> Unescape(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            out += value[i];
            continue;
        }
        const auto* escape =
            ++i == value.size()
                ? std::end(kEscapes)
                : std::find_if(std::begin(kEscapes), std::end(kEscapes),
                               [&](const auto& known) { return known.first == value[i]; });
        if (escape == std::end(kEscapes)) {
            return std::nullopt;
        }
        out += escape->second;
    }
    return out;
}

}  // namespace

// clang-format off
const std::array<OptionField, 23> kOptionFields{{
    {"AddHeader", &O::AddHeader, "Check1"},
    {"HeaderText", &O::HeaderText, "Text9"},
    {"AddFooter", &O::AddFooter, "Check2"},
    {"FooterText", &O::FooterText, "Text10"},
    {"KeepHeaderLineComments", &O::KeepHeaderLineComments, "Check3",
     "keep-head-lines", "保留文件头的行注释", "no-keep-head-lines", "不保留文件头的行注释"},
    {"KeepHeaderBlockComment", &O::KeepHeaderBlockComment, "Check4",
     "keep-head-block", "保留文件头的块注释", "no-keep-head-block", "不保留文件头的块注释"},
    {"KeepWholeLineComments", &O::KeepWholeLineComments, "Check5",
     "keep-whole-lines", "保留整行的行注释"},
    {"KeepAllLineComments", &O::KeepAllLineComments, "Check6",
     "keep-line-comments", "保留所有的行注释"},
    {"KeepAllBlockComments", &O::KeepAllBlockComments, "Check7",
     "keep-block-comments", "保留所有的块注释"},
    {"AddTargetExtension", &O::AddTargetExtension, "Check8"},
    {"TargetExtension", &O::TargetExtension, "Text11"},
    {"KeepLeadingSpaces", &O::KeepLeadingSpaces, "Check9",
     nullptr, nullptr, "strip-leading-blanks", "删除行首的空格和制表符"},
    {"KeepSurplusBlanks", &O::KeepSurplusBlanks, "Check10",
     "keep-blanks", "保留多余的空行和空格"},
    {"IgnoreMarkersInStrings", &O::IgnoreMarkersInStrings, "Check11",
     nullptr, nullptr, "no-strings", "不识别字符串:字符串中的注释符号也起作用"},
    {"LineCommentLeader", &O::LineCommentLeader, "Text4", "line-comment", "行注释引导符"},
    {"BlockCommentLeader", &O::BlockCommentLeader, "Text6", "block-open", "块注释引导符"},
    {"BlockCommentTerminator", &O::BlockCommentTerminator, "Text7", "block-close", "块注释结束符"},
    {"StringLeader", &O::StringLeader, "Text12", "string-open", "字符串引导符"},
    {"StringTerminator", &O::StringTerminator, "Text13", "string-close", "字符串结束符"},
    {"SourcePattern", &O::SourcePattern, "Text8", "pattern",
     "-r 所取的源文件类型(默认:各语言认领的全部类型,见 --lang)", nullptr, nullptr, "TYPES", false},
    {"KeepLineNumbers", &O::KeepLineNumbers, nullptr,
     "keep-lines", "消除注释和多余空行时留下换行,目标文件的第N行就是源文件第N行的代码"},
    {"KeepLicenceComments", &O::KeepLicenceComments, nullptr,
     "keep-licences", "保留含有许可证或版权声明的注释(SPDX、Copyright、(c)年份、©、版权、许可证)"},
    {"KeepToolComments", &O::KeepToolComments, nullptr,
     nullptr, nullptr, "strip-tool-comments",
     "也消除工具读取的C/C++注释(fall through、lint、NOLINT、clang-format off/on、USER CODE BEGIN/END)"},
}};
// clang-format on

OptionSet ForLanguage(OptionSet options, engine::Language language, engine::TypedMarkers typed) {
    static_cast<engine::EliminationOptions&>(options) =
        engine::ForLanguage(options, language, typed);
    return options;
}

QString AssignOptionField(OptionSet& options, const QString& name, const QString& value) {
    for (const OptionField& field : kOptionFields) {
        if (name != QLatin1String(field.name)) {
            continue;
        }
        if (const auto* flag = std::get_if<bool O::*>(&field.member)) {
            if (value != u"0" && value != u"1") {
                return QStringLiteral("%1 只能是0或1").arg(name);
            }
            options.** flag = value == u"1";
            return {};
        }
        const std::optional<QString> text = Unescape(value);
        if (!text) {
            return QStringLiteral("%1 的值含有未知的转义(只认\\r \\n \\t \\\\)").arg(name);
        }
        options.*std::get<std::u16string O::*>(field.member) = text->toStdU16String();
        return {};
    }
    return QStringLiteral("没有名为 %1 的选项").arg(name);
}

QString OptionFieldNames() {
    QStringList names;
    for (const OptionField& field : kOptionFields) {
        names << QLatin1String(field.name) + (std::holds_alternative<bool O::*>(field.member)
                                                  ? QStringLiteral("=0|1")
                                                  : QStringLiteral("=TEXT"));
    }
    return names.join(QStringLiteral("\n  "));
}

QString MarkerProblem(const engine::EliminationOptions& options) {
    for (const auto marker : engine::kMarkerFields) {
        const std::u16string& text = options.*marker;
        if (text.empty() || text.find_first_not_of(u"\r\n") != std::u16string::npos) {
            continue;
        }
        for (const OptionField& field : kOptionFields) {
            if (field.member == decltype(field.member)(static_cast<std::u16string O::*>(marker))) {
                return QString::fromUtf8(field.flagHelp) +  // as the option panel names it
                       QStringLiteral("只由换行符组成,会把换行拆开,不能使用");
            }
        }
    }
    return {};
}

}  // namespace workflow
