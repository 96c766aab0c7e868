#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace engine {

/// The first position >= `from` at which `marker` starts in `text`, or npos; like
/// std::u16string_view::find, but it looks for the marker's first unit with memchr, which
/// reads many bytes per cycle, where the library walks the text one unit at a time.
inline std::size_t FindText(std::u16string_view text, std::u16string_view marker,
                            std::size_t from = 0) {
    constexpr std::size_t npos = std::u16string_view::npos;
    if (marker.empty()) {
        return from <= text.size() ? from : npos;
    }
    if (from >= text.size() || text.size() - from < marker.size()) {
        return npos;
    }
    const char16_t first = marker.front();
    unsigned char firstByte;
    std::memcpy(&firstByte, &first, 1);  // whichever byte of the unit comes first in memory
    const auto* base = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t lastStart = text.size() - marker.size();
    std::size_t byte = from * sizeof(char16_t);
    const std::size_t endByte = (lastStart + 1) * sizeof(char16_t);
    while (byte < endByte) {
        const void* hit = std::memchr(base + byte, firstByte, endByte - byte);
        if (hit == nullptr) {
            return npos;
        }
        const std::size_t hitByte = static_cast<const unsigned char*>(hit) - base;
        if (hitByte % sizeof(char16_t) == 0) {
            const std::size_t at = hitByte / sizeof(char16_t);
            if (text[at] == first && text.substr(at, marker.size()) == marker) {
                return at;
            }
        }
        byte = hitByte + 1;
    }
    return npos;
}

}  // namespace engine
