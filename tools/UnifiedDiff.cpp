#include "UnifiedDiff.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace tools {
namespace {

// A text's lines, by where each starts: lines end after each LF (a CR is part of its line).
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {
        for (std::size_t at = 0; at < text.size();) {
            starts_.push_back(at);
            const std::size_t lf = text.find('\n', at);
            at = lf == std::string_view::npos ? text.size() : lf + 1;
        }
        starts_.push_back(text.size());
    }
    std::size_t size() const { return starts_.size() - 1; }
    std::string_view operator[](std::size_t i) const {
        return text_.substr(starts_[i], starts_[i + 1] - starts_[i]);
    }

private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

// Where the pairing of the two texts' lines stands: lines of each taken, and the removals and
// additions still due before the next pair.
struct Cursor {
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t removing = 0;
    std::size_t adding = 0;
};

// Pairs the lines in order, taking each line that both texts share at the nearest point where
// they meet again. Any such pairing gives a correct patch; cleaning changes lines here and there,
// so the nearest meeting point is nearly always a line or two away. The search reaches at most
// kWindow lines ahead, which keeps the work linear in the length of the files. One step at a time
// from a cursor, so that a stretch can be paired again without keeping what it gave.
class Pairing {
public:
    Pairing(const Lines& a, const Lines& b) : a_(a), b_(b) {}

    /// The next step from `c`: ' ' a line of both, '-' one removed, '+' one added, or 0 at the
    /// end; `line` is the line.
    char Next(Cursor& c, std::string_view& line) const {
        if (c.removing > 0) {
            --c.removing;
            line = a_[c.i++];
            return '-';
        }
        if (c.adding > 0) {
            --c.adding;
            line = b_[c.j++];
            return '+';
        }
        if (c.i == a_.size() && c.j == b_.size()) {
            return 0;
        }
        if (c.i < a_.size() && c.j < b_.size() && a_[c.i] == b_[c.j]) {
            line = a_[c.i++];
            ++c.j;
            return ' ';
        }
        constexpr std::size_t kWindow = 64;
        c.removing = std::min(kWindow, a_.size() - c.i);
        c.adding = std::min(kWindow, b_.size() - c.j);
        for (std::size_t sum = 1; sum <= 2 * kWindow; ++sum) {
            for (std::size_t da = 0; da <= sum; ++da) {
                const std::size_t db = sum - da;
                if (c.i + da < a_.size() && c.j + db < b_.size() && da <= kWindow &&
                    db <= kWindow && a_[c.i + da] == b_[c.j + db]) {
                    c.removing = da;
                    c.adding = db;
                    return Next(c, line);
                }
            }
        }
        return Next(c, line);
    }

private:
    const Lines& a_;
    const Lines& b_;
};

// Output gathered into pieces of a bounded size.
class Sink {
public:
    explicit Sink(const std::function<void(std::string_view)>& write) : write_(write) {}
    ~Sink() { Flush(); }
    void Add(std::string_view bytes) {
        out_ += bytes;
        if (out_.size() >= (1 << 20)) {
            Flush();
        }
    }
    void AddLine(char kind, std::string_view line) {
        out_ += kind;
        Add(line);
        if (line.empty() || line.back() != '\n') {
            Add("\n\\ No newline at end of file\n");
        }
    }
    void Flush() {
        if (!out_.empty()) {
            write_(out_);
            out_.clear();
        }
    }

private:
    const std::function<void(std::string_view)>& write_;
    std::string out_;
};

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

// The start of a range as the hunk header gives it: 1-based, or the line before an empty range.
std::string Range(std::size_t start, std::size_t count) {
    return std::to_string(count == 0 ? start : start + 1) + ',' + std::to_string(count);
}

}  // namespace

bool UnifiedDiff(const std::string& name, std::string_view before, std::string_view after,
                 const std::function<void(std::string_view)>& write) {
    if (before == after) {
        return false;
    }
    constexpr std::size_t kContext = 3;
    const Lines a(before);
    const Lines b(after);
    const Pairing pairing(a, b);
    Sink sink(write);
    sink.Add(FileLine("---", "a/", name) + FileLine("+++", "b/", name));
    // Where each of the last few shared lines began, for the leading context of a hunk.
    std::deque<Cursor> context;
    Cursor cursor;
    std::string_view line;
    for (;;) {
        const Cursor here = cursor;
        const char kind = pairing.Next(cursor, line);
        if (kind == 0) {
            break;
        }
        if (kind == ' ') {
            context.push_back(here);
            if (context.size() > kContext) {
                context.pop_front();
            }
            continue;
        }
        // A hunk: changes closer than twice the context run together. Its extent and counts are
        // found first, then its lines are paired again to be written.
        const Cursor start = context.empty() ? here : context.front();
        std::size_t steps = context.size() + 1;  // from `start` up to this change
        std::size_t countA = context.size() + (kind == '-');
        std::size_t countB = context.size() + (kind == '+');
        std::size_t shared = 0;  // shared lines since the last change
        for (Cursor ahead = cursor;;) {
            const char next = pairing.Next(ahead, line);
            if (next == 0 || (next == ' ' && ++shared > 2 * kContext)) {
                break;
            }
            if (next != ' ') {
                steps += shared + 1;
                countA += shared + (next == '-');
                countB += shared + (next == '+');
                shared = 0;
            }
        }
        const std::size_t trailing = std::min(shared, kContext);
        steps += trailing;
        countA += trailing;
        countB += trailing;
        sink.Add("@@ -" + Range(start.i, countA) + " +" + Range(start.j, countB) + " @@\n");
        cursor = start;
        for (std::size_t k = 0; k < steps; ++k) {
            sink.AddLine(pairing.Next(cursor, line), line);
        }
        context.clear();
    }
    return true;
}

}  // namespace tools
