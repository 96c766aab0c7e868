// The command line's parts in-process: the diff it writes, the escapes of --set, and which
// options each file gets.
#include <gtest/gtest.h>

#include <QCommandLineParser>

#include "../workflow/TempFolder.h"
#include "engine/Languages.h"
#include "tools/StripSettings.h"
#include "tools/UnifiedDiff.h"
#include "workflow/SourceLanguage.h"

namespace {

std::string Diff(const std::string& name, std::string_view before, std::string_view after) {
    std::string out;
    const bool differs =
        tools::UnifiedDiff(name, before, after, [&](std::string_view piece) { out += piece; });
    EXPECT_EQ(differs, !out.empty());
    return out;
}

// Three lines of context as diff has them, hunks apart when their context does not meet, a last
// line without its line break marked as diff marks it, and a CR kept as part of its line.
TEST(UnifiedDiff, WritesHunksAsDiffDoes) {
    EXPECT_EQ(Diff("A.ASM", "same\n", "same\n"), "");
    EXPECT_EQ(Diff("D.ASM", "a\nb\nc\nd ; x\ne\nf\ng\nh\ni\nj\nk\nl\nm ; y\nn",
                   "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\nm\nn\n"),
              "--- a/D.ASM\t\n+++ b/D.ASM\t\n"
              "@@ -1,7 +1,7 @@\n a\n b\n c\n-d ; x\n+d\n e\n f\n g\n"
              "@@ -10,5 +10,5 @@\n j\n k\n l\n-m ; y\n-n\n\\ No newline at end of file\n+m\n+n\n");
    EXPECT_EQ(Diff("F.ASM", "a\r\nb ; c\r\n", "a\r\nb\r\n"),
              "--- a/F.ASM\t\n+++ b/F.ASM\t\n@@ -1,2 +1,2 @@\n a\r\n-b ; c\r\n+b\r\n");
    EXPECT_EQ(Diff("E.ASM", "x\n", ""), "--- a/E.ASM\t\n+++ b/E.ASM\t\n@@ -1,1 +0,0 @@\n-x\n");
    // As many lines gone, or come, as the search for the next common line looks ahead: one hunk
    // of them alone, the common line kept.
    std::string lines, gone, come;
    for (int i = 0; i < 64; ++i) {
        lines += std::to_string(i) + '\n';
        gone += '-' + std::to_string(i) + '\n';
        come += '+' + std::to_string(i) + '\n';
    }
    EXPECT_EQ(Diff("G", lines + "x\n", "x\n"),
              "--- a/G\t\n+++ b/G\t\n@@ -1,65 +1,1 @@\n" + gone + " x\n");
    EXPECT_EQ(Diff("G", "x\n", lines + "x\n"),
              "--- a/G\t\n+++ b/G\t\n@@ -1,1 +1,65 @@\n" + come + " x\n");
}

TEST(OptionFields, SetTakesFlagsAsDigitsAndTextsWithFourEscapes) {
    workflow::OptionSet o;
    EXPECT_EQ(workflow::AssignOptionField(o, "HeaderText", R"(a\r\n\tb\\)"), "");
    EXPECT_EQ(o.HeaderText, u"a\r\n\tb\\");
    EXPECT_EQ(workflow::AssignOptionField(o, "KeepAllLineComments", "1"), "");
    EXPECT_TRUE(o.KeepAllLineComments);
    EXPECT_EQ(workflow::AssignOptionField(o, "AddTargetExtension", "0"), "");
    EXPECT_FALSE(o.AddTargetExtension);
    const workflow::OptionSet before = o;
    for (const auto& [name, value] : {std::pair{"StringLeader", R"(\q)"},
                                      {"StringLeader", R"(x\)"},
                                      {"AddHeader", "yes"},
                                      {"Nope", "1"}}) {
        EXPECT_NE(workflow::AssignOptionField(o, name, value), "") << name << value;
    }
    EXPECT_EQ(o, before);
}

// Reads a command line into settings, as the program does.
tools::Settings Read(const QStringList& arguments, QString* error = nullptr) {
    QCommandLineParser parser;
    tools::DescribeOptions(parser);
    EXPECT_TRUE(parser.parse(QStringList{"qingyan-strip"} + arguments));
    tools::Settings settings;
    QString problem;
    EXPECT_EQ(tools::ReadSettings(parser, settings, problem), error == nullptr)
        << problem.toStdString();
    if (error != nullptr) {
        *error = problem;
    }
    return settings;
}

// Each file gets its language's preset, and over it every option the command line names: a
// marker the user gives holds for C files too, and the blocks come from their files for both.
TEST(StripSettings, EachFileGetsItsLanguageAndWhatTheCommandLineSays) {
    TempFolder folder;
    const QString header = folder.Write("HEAD.TXT", "; h\n; i\r");
    const QString footer = folder.Write("FOOT.TXT", "; end");
    const tools::Settings automatic =
        Read({"--keep-whole-lines", "--header-file", header, "--footer-file", footer, "x"});
    const workflow::OptionSet& c = automatic.OptionsFor("src/main.C", u"");
    const workflow::OptionSet& assembler = automatic.OptionsFor("MAIN.ASM", u"");
    EXPECT_EQ(c.LineCommentLeader, u"//");
    EXPECT_EQ(c.Rules, engine::kCRules);
    EXPECT_EQ(assembler.LineCommentLeader, u";");
    EXPECT_EQ(assembler.Rules, engine::RowOf(engine::Language::Assembler).rules);
    EXPECT_EQ(assembler.Rules.MoreLiterals[0].quote, u'\'');  // '…' holds no comment
    for (const workflow::OptionSet* o : {&c, &assembler}) {
        EXPECT_TRUE(o->KeepWholeLineComments);
        EXPECT_TRUE(o->AddHeader);
        EXPECT_EQ(o->HeaderText, u"; h\r\n; i\r\n");
        EXPECT_TRUE(o->AddFooter);
        EXPECT_EQ(o->FooterText, u"; end");
    }
    const tools::Settings typed =
        Read({"--line-comment", "#", "--set", "BlockCommentLeader=(*", "x"});
    EXPECT_EQ(typed.OptionsFor("a.h", u"").LineCommentLeader, u"#");
    EXPECT_EQ(typed.OptionsFor("a.h", u"").BlockCommentLeader, u"(*");
    EXPECT_EQ(typed.OptionsFor("a.h", u"").Rules, engine::kCRules);
    EXPECT_EQ(Read({"--lang", "c", "x"}).OptionsFor("A.ASM", u"").LineCommentLeader, u"//");
    EXPECT_EQ(Read({"--lang", "asm", "x"}).OptionsFor("a.c", u"").LineCommentLeader, u";");
    EXPECT_EQ(automatic.OptionsFor("x.HPP", u"").Rules, engine::kCppRules);
    EXPECT_EQ(automatic.OptionsFor("-", u"").Rules,
              engine::RowOf(engine::Language::Assembler).rules);
    EXPECT_TRUE(automatic.Refuses("link.x"));
    EXPECT_FALSE(automatic.Refuses("-") || automatic.Refuses("x.S"));
    EXPECT_FALSE(Read({"--lang", "c++", "x"}).Refuses("vector"));
    EXPECT_EQ(Read({"--lang", "c++", "x"}).OptionsFor("vector", u"").Rules, engine::kCppRules);
    // A file type several dialects share is read as its text shows.
    EXPECT_EQ(
        automatic.OptionsFor("boot.s", u"\tldr r0, =x\n\tbx lr\n\tcpsid i\n").LineCommentLeader,
        u"@");
    // -r takes every type some language claims unless told otherwise.
    EXPECT_EQ(automatic.pattern, workflow::ClaimedTypesPattern());
    EXPECT_EQ(Read({"-r", "--pattern", "*.S", "x"}).pattern, "*.S");
    EXPECT_EQ(Read({"--set", "SourcePattern=*.X", "x"}).pattern, "*.X");

    QString error;
    Read({"--line-comment", "\n", "x"}, &error);
    EXPECT_THAT(error, Holds(QStringLiteral("行注释引导符只由换行符组成")));
    Read({"--header-file", folder.Path("NONE"), "x"}, &error);
    EXPECT_THAT(error, Holds(QStringLiteral("没有那个文件或文件夹")));
    Read({"--set", "AddHeader", "x"}, &error);
    EXPECT_EQ(error, QStringLiteral("--set 需要 FIELD=VALUE: AddHeader"));
    Read({"--lang", "pascal", "x"}, &error);
    EXPECT_THAT(error, Starts(QStringLiteral("--lang 只能是 auto、asm、c、c++、")));
    EXPECT_THAT(error, Ends(QStringLiteral(": pascal")));
}

// The README's table and the manual's list of languages are the program's table, row by row.
TEST(LanguageTable, TheReadmeAndTheManualListEveryLanguageAsTheProgramHasIt) {
    const auto between = [](const QString& path, const QString& first, const QString& last) {
        const QString text =
            QString::fromUtf8(TempFolder::Read(QStringLiteral(QINGYAN_SOURCE_TREE "/") + path));
        const qsizetype start = text.indexOf(first), end = text.indexOf(last);
        EXPECT_TRUE(start >= 0 && end > start) << path.toStdString();
        return text.mid(start, end - start).split(u'\n', Qt::SkipEmptyParts).mid(1);
    };
    const QStringList readme = between("README.md", "<!-- languages", "<!-- end of languages");
    QStringList manual =
        between("packaging/qingyan-strip.1", ".\\\" languages", ".\\\" end of languages");
    manual.removeAll(QStringLiteral(".IP \\(bu 2"));
    QStringList readmeRows, manualRows;
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        const auto text = [](std::u16string_view view) {
            return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
        };
        const QString name = QString::fromLatin1(row.name.data(), row.name.size());
        QStringList types, markers;
        for (const std::u16string_view extension : row.extensions) {
            types << u'.' + text(extension);
        }
        for (const std::u16string_view extension : row.exactExtensions) {
            types << u'.' + text(extension);
        }
        for (const std::u16string_view marker : row.markers) {
            markers << text(marker);
        }
        markers.removeLast();  // the string's terminator is its leader again
        const auto quoted = [](const QStringList& items) {
            return u'`' + items.join(QStringLiteral("` `")) + u'`';
        };
        markers.removeAll(QString());
        // The rest of its rules, in words.
        const engine::LexicalRules& r = row.rules;
        QStringList more;
        for (const engine::LineLeader& leader : r.MoreLineLeaders) {
            if (!leader.text.empty()) {
                more << u'`' + text(leader.text) + u'`' +
                            (leader.lineStartOnly ? QStringLiteral(" at a line's start") : "");
            }
        }
        for (const engine::LiteralKind& kind : r.MoreLiterals) {
            if (kind.quote == 0) {
                continue;
            }
            const QString q(QChar(kind.quote));
            more << (kind.oneSided ? u'`' + q + QStringLiteral("a`") : u'`' + q + u'…' + q + u'`') +
                        (kind.escapes == engine::QuoteEscapes::Backslash
                             ? QStringLiteral(" with \\")
                         : kind.escapes == engine::QuoteEscapes::Doubled
                             ? QStringLiteral(" with ") + q + q
                             : QString());
        }
        const std::pair<bool, const char*> flags[] = {
            {r.CharacterQuote != 0, "`'…'` with \\"},
            {r.BackslashEscapes, "strings with \\"},
            {r.LineSplicing, "line joins"},
            {r.HeaderNames, "header names"},
            {r.RawStrings, "raw strings"},
            {r.DigitSeparators, "digit separators"},
            {r.DirectiveLines, "`#` directive lines are code"},
            {r.ControlLinePrefix != 0, "`$` control lines are code"},
            {!r.CommentDirective.empty(), "`COMMENT` blocks"}};
        for (const auto& [on, words] : flags) {
            if (on) {
                more << QString::fromUtf8(words);
            }
        }
        const QString moreShown =
            more.isEmpty() ? QStringLiteral("—") : more.join(QStringLiteral(", "));
        const QString typesShown = types.isEmpty() ? QStringLiteral("—") : quoted(types);
        const QString markersShown = markers.isEmpty() ? QStringLiteral("—") : quoted(markers);
        readmeRows << QStringLiteral("| `%1` | %2 | %3 | %4 | %5 |")
                          .arg(name, text(row.shown), typesShown, markersShown, moreShown);
        manualRows << QStringLiteral("%1 (%2): %3; markers %4; %5")
                          .arg(name, text(row.shown),
                               types.isEmpty() ? QStringLiteral("no type of its own")
                                               : types.join(u' '),
                               markers.isEmpty() ? QStringLiteral("none") : markers.join(u' '),
                               QString(moreShown).remove(u'`').replace(u'\\',
                                                                       QStringLiteral("\\e")));
    }
    // After the table's head; each list printed whole where it differs, to be copied.
    EXPECT_EQ(readme.mid(2), readmeRows) << readmeRows.join(u'\n').toStdString();
    EXPECT_EQ(manual, manualRows) << manualRows.join(u'\n').toStdString();
}

}  // namespace
