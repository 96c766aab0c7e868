#include "SourceLanguage.h"

namespace workflow {

engine::Language LanguageOfFile(const QString& path) {
    const bool c = path.endsWith(QStringLiteral(".c"), Qt::CaseInsensitive) ||
                   path.endsWith(QStringLiteral(".h"), Qt::CaseInsensitive);
    return c ? engine::Language::C : engine::Language::Assembler;
}

}  // namespace workflow
