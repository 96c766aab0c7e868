#include "UnifiedDiff.h"

#include <algorithm>
#include <vector>

namespace tools {
namespace {

using Lines = std::vector<std::string_view>;

Lines SplitLines(std::string_view text) {
    Lines lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return lines;
}

struct Op {
    char kind;  // ' ' kept, '-' removed, '+' added
    std::string_view line;
};

// Pairs the lines in order, taking each line that both texts share at the nearest point where
// they meet again. Any such pairing gives a correct patch; cleaning changes lines here and there,
// so the nearest meeting point is nearly always a line or two away. The search reaches at most
// kWindow lines ahead, which keeps the work linear in the length of the files.
std::vector<Op> Align(const Lines& a, const Lines& b) {
    constexpr std::size_t kWindow = 64;
    std::vector<Op> ops;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ops.push_back({' ', a[i++]});
            ++j;
            continue;
        }
        std::size_t skipA = std::min(kWindow, a.size() - i);
        std::size_t skipB = std::min(kWindow, b.size() - j);
        bool met = false;
        for (std::size_t sum = 1; sum <= 2 * kWindow && !met; ++sum) {
            for (std::size_t da = 0; da <= sum && !met; ++da) {
                const std::size_t db = sum - da;
                if (i + da < a.size() && j + db < b.size() && da <= kWindow && db <= kWindow &&
                    a[i + da] == b[j + db]) {
                    skipA = da;
                    skipB = db;
                    met = true;
                }
            }
        }
        for (std::size_t k = 0; k < skipA; ++k) {
            ops.push_back({'-', a[i++]});
        }
        for (std::size_t k = 0; k < skipB; ++k) {
            ops.push_back({'+', b[j++]});
        }
    }
    return ops;
}

void AppendLine(std::string& out, char kind, std::string_view line) {
    out += kind;
    out += line;
    if (line.empty() || line.back() != '\n') {
        out += "\n\\ No newline at end of file\n";
    }
}

// The start of a range as the hunk header gives it: 1-based, or the line before an empty range.
std::string Range(std::size_t start, std::size_t count) {
    return std::to_string(count == 0 ? start : start + 1) + ',' + std::to_string(count);
}

// A file line of the header: the name after a/ or b/, then a tab, as diff -u writes it, so that
// patch reads a name with spaces to its end. A name holding a tab, a line break, a quote, a
// backslash or another control character is written in C-style quotes instead, as git writes it.
std::string FileLine(std::string_view marker, std::string_view side, std::string_view name) {
    const std::string path = std::string(side) + std::string(name);
    const bool plain = std::none_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || c == '"' || c == '\\';
    });
    std::string line = std::string(marker) + ' ';
    if (plain) {
        return line + path + "\t\n";
    }
    line += '"';
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const char* named = c == '\t'   ? "\\t"
                            : c == '\n' ? "\\n"
                            : c == '\r' ? "\\r"
                            : c == '"'  ? "\\\""
                            : c == '\\' ? "\\\\"
                                        : nullptr;
        if (named != nullptr) {
            line += named;
        } else if (byte < 0x20 || byte == 0x7F) {
            const char octal[] = {'\\', char('0' + (byte >> 6)), char('0' + ((byte >> 3) & 7)),
                                  char('0' + (byte & 7)), '\0'};
            line += octal;
        } else {
            line += c;
        }
    }
    return line + "\"\n";
}

}  // namespace

std::string UnifiedDiff(const std::string& name, std::string_view before, std::string_view after) {
    if (before == after) {
        return {};
    }
    constexpr std::size_t kContext = 3;
    const std::vector<Op> ops = Align(SplitLines(before), SplitLines(after));
    std::string out = FileLine("---", "a/", name) + FileLine("+++", "b/", name);
    std::size_t lineA = 0;  // lines of each text before ops[at]
    std::size_t lineB = 0;
    for (std::size_t at = 0; at < ops.size();) {
        if (ops[at].kind == ' ') {
            ++lineA, ++lineB, ++at;
            continue;
        }
        // A hunk: changes closer than twice the context run together.
        std::size_t begin = at;
        for (std::size_t k = 0; k < kContext && begin > 0 && ops[begin - 1].kind == ' '; ++k) {
            --begin, --lineA, --lineB;
        }
        std::size_t last = at;  // the hunk's last change
        for (std::size_t k = at; k < ops.size();) {
            if (ops[k].kind != ' ') {
                last = k++;
                continue;
            }
            std::size_t run = 0;
            while (k + run < ops.size() && ops[k + run].kind == ' ') {
                ++run;
            }
            if (k + run == ops.size() || run > 2 * kContext) {
                break;
            }
            k += run;
        }
        const std::size_t end = std::min(ops.size(), last + 1 + kContext);
        std::size_t countA = 0;
        std::size_t countB = 0;
        std::string body;
        for (std::size_t k = begin; k < end; ++k) {
            countA += ops[k].kind != '+';
            countB += ops[k].kind != '-';
            AppendLine(body, ops[k].kind, ops[k].line);
        }
        out += "@@ -" + Range(lineA, countA) + " +" + Range(lineB, countB) + " @@\n" + body;
        lineA += countA;
        lineB += countB;
        at = end;
    }
    return out;
}

}  // namespace tools
