#include "SourceLanguage.h"

#include <QStringList>

namespace workflow {
namespace {

QString FromView(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string_view NameOf(const QString& path, QString& name) {
    name = path.section(u'/', -1);
    return {reinterpret_cast<const char16_t*>(name.utf16()), static_cast<std::size_t>(name.size())};
}

// A row's first markers, as the tip line names them: "// /* */".
QString MarkersOf(const engine::LanguageRow& row) {
    QStringList markers;
    for (std::size_t field = 0; field < 3; ++field) {
        if (!row.markers[field].empty()) {
            markers << FromView(row.markers[field]);
        }
    }
    return markers.isEmpty() ? QStringLiteral("(无)") : markers.join(u' ');
}

}  // namespace

bool IsClaimedFile(const QString& path) {
    QString name;
    return engine::IsClaimed(NameOf(path, name));
}

std::optional<engine::Reading> ReadingOf(const QString& path, std::u16string_view text) {
    QString name;
    return engine::ReadingOfFile(NameOf(path, name), text);
}

engine::Reading WindowReadingOf(const QString& path, std::u16string_view text) {
    return ReadingOf(path, text).value_or(engine::Reading{engine::Language::Assembler, false});
}

std::optional<engine::Reading> LanguageOptions::ReadingOf(const QString& path,
                                                          std::u16string_view text) const {
    if (forced) {
        return engine::Reading{*forced, false};
    }
    if (path == u"-") {
        return engine::Reading{engine::Language::Assembler, false};
    }
    return workflow::ReadingOf(path, text);
}

QString ReadingHint(engine::Reading reading) {
    const engine::LanguageRow& row = engine::RowOf(reading.language);
    const QString shown = FromView(row.shown);
    if (reading.undecided) {
        return QStringLiteral(
                   "提示:从内容看不出这是哪种汇编方言,只消除各方言共有的注释(%1);"
                   "要按某种方言处理,请改注释符")
            .arg(MarkersOf(row));
    }
    return QStringLiteral(
               "提示:这是%1源文件,注释符已换为%1的%2,字符串和字符常量按%1的规则识别;选汇编文件"
               "时换回")
        .arg(shown, MarkersOf(row));
}

QString UndecidedNote(engine::Reading reading) {
    return QStringLiteral("看不出汇编方言,只消除了各方言共有的注释(按 --lang %1)")
        .arg(
            QString::fromUtf8(engine::RowOf(reading.language).name.data(),
                              static_cast<qsizetype>(engine::RowOf(reading.language).name.size())));
}

QString ClaimedTypesPattern() {
    QStringList types;
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        for (const std::u16string_view extension : row.extensions) {
            types << QStringLiteral("*.") + FromView(extension);
        }
        for (const std::u16string_view extension : row.exactExtensions) {
            types << QStringLiteral("*.") + FromView(extension);
        }
    }
    types.removeDuplicates();
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
