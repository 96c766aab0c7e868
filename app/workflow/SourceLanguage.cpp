#include "SourceLanguage.h"

#include <QStringList>

namespace workflow {
namespace {

QString FromView(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::optional<engine::Language> LanguageOfFile(const QString& path) {
    const QString name = path.section(u'/', -1);
    return engine::LanguageOfFileName(std::u16string_view(
        reinterpret_cast<const char16_t*>(name.utf16()), static_cast<std::size_t>(name.size())));
}

engine::Language WindowLanguageOf(const QString& path) {
    return LanguageOfFile(path).value_or(engine::Language::Assembler);
}

QString LanguageHint(engine::Language language) {
    const engine::LanguageRow& row = engine::RowOf(language);
    const QString shown = FromView(row.shown);
    return QStringLiteral(
               "提示:这是%1源文件,注释符已换为%1的%2 %3 %4,字符串和字符常量按%1的规则"
               "识别;选汇编文件时换回")
        .arg(shown, FromView(row.markers[0]), FromView(row.markers[1]), FromView(row.markers[2]));
}

QString ClaimedTypesPattern() {
    QStringList types;
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        for (const std::u16string_view extension : row.extensions) {
            types << QStringLiteral("*.") + FromView(extension);
        }
        for (const std::u16string_view name : row.fileNames) {
            types << FromView(name);
        }
    }
    return types.join(u';');
}

QString LanguageNames() {
    QStringList names;
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        names << QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size()));
    }
    return names.join(QStringLiteral("、"));
}

}  // namespace workflow
