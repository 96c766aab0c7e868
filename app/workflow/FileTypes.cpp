#include "FileTypes.h"

#include <algorithm>

#include "SourceLanguage.h"

namespace workflow {

FileTypes::FileTypes(const QString& pattern, bool claimedOnly) : claimedOnly_(claimedOnly) {
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        wildcards_.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(part),
                                             QRegularExpression::CaseInsensitiveOption));
    }
}

bool FileTypes::Takes(const QString& name) const {
    const auto matches = [&](const QRegularExpression& w) { return w.match(name).hasMatch(); };
    if (!std::any_of(wildcards_.begin(), wildcards_.end(), matches)) {
        return false;
    }
    const std::u16string_view view(reinterpret_cast<const char16_t*>(name.utf16()),
                                   static_cast<std::size_t>(name.size()));
    return !engine::IsBuildFileName(view) && (!claimedOnly_ || IsClaimedFile(name));
}

}  // namespace workflow
