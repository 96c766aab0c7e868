#include <qpa/qplatformwindow.h>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>

#include "WindowFixture.h"
#include "window/StartUp.h"

namespace {

// Qt's own rule for the title a window shows on X11 and Wayland.
struct TitleFormat : QPlatformWindow {
    using QPlatformWindow::formatWindowTitle;
};

TEST_F(WindowTest, StartsFixedSizeWithDefaultsTheStartMessageAndOnlyTheUsefulControls) {
    EXPECT_EQ(form->size(), QSize(847, 585));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    for (const char* hidden : {"Text9", "Text10", "ProgressBar1", "ProgressBar2", "Command1",
                               "Command2", "Command4", "Command5"}) {
        EXPECT_FALSE(Shown(hidden)) << hidden;
    }
    for (const char* shown : {"Check3", "Check5", "Check4", "Label9", "Text11", "Label10"}) {
        EXPECT_TRUE(Shown(shown)) << shown;
    }
    // The option set's defaults, read with the option panel's own rules.
    EXPECT_EQ(form->CurrentOptions(), workflow::ForLanguage({}, engine::Language::Assembler));
    EXPECT_EQ(Tip(), QStringLiteral("提示:请先选择源文件路径,并按提示操作.或者点击左下角的duvo/"
                                    "提示区,获取帮助信息!"));
    EXPECT_EQ(TipColour(), kBlue);
    EXPECT_EQ(BlinkCount(), 0);
    EXPECT_EQ(TipIndex(), 0);
    // The source editor tells what the program is until a file is picked.
    EXPECT_THAT(QString::fromStdU16String(Find<window::ExactTextEdit>("RichTextBox1")->ExactText()),
                Holds(QStringLiteral("软件名称:\t青砚")));
    // The tick that refreshes the counters and blinks the mascot runs from the start, twice a
    // second.
    const auto* tick = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(tick, nullptr);
    EXPECT_TRUE(tick->isActive());
    EXPECT_EQ(tick->interval(), 500);
    EXPECT_EQ(Find("Drive1")->toolTip(), QStringLiteral("选择驱动器"));  // a hint on hover
    for (const auto& [label, caption] :
         {std::pair{"Label13", "选择驱动器"}, std::pair{"Label12", "选择路径"},
          std::pair{"Label11", "选择源文件"}}) {
        EXPECT_EQ(Find<QLabel>(label)->text(), QString::fromUtf8(caption)) << label;
    }
    // The source's path comes from the lists, never from typing.
    EXPECT_TRUE(Find<QLineEdit>("Text1")->isReadOnly());
    EXPECT_EQ(Find("Label15")->toolTip(), QStringLiteral("设置字符串引导符"));
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(TitleFormat::formatWindowTitle(form->windowTitle(), QStringLiteral(" — ")),
              QStringLiteral("青砚V12"));  // as X11 and Wayland show it: nothing appended
}

// Each part of the window stands in a drawn frame: its edge is a line on the window's ground.
TEST_F(WindowTest, EachPartOfTheWindowStandsInAFrame) {
    const QImage image = form->grab().toImage();
    for (const char* name : {"Shape1", "Shape2", "Shape3", "Shape4", "Shape5"}) {
        const QRect frame = Find(name)->geometry();
        // The top edge of the three columns, the left edge of the two rows below them.
        const bool column = frame.top() < form->height() / 2;
        const QPoint edge = column ? QPoint(frame.center().x(), frame.top())
                                   : QPoint(frame.left(), frame.center().y());
        const QPoint ground = edge - (column ? QPoint(0, 3) : QPoint(3, 0));
        EXPECT_NE(image.pixel(edge), image.pixel(ground)) << name;
    }
}

// The controls as the user meets them: the lists open at the current folder, each editor's tab
// as wide as eight spaces and its lines unwrapped, the progress bars and title as designed.
TEST_F(WindowTest, TheControlsStartAsTheyAreDesigned) {
    const QString here = QDir::currentPath();
    auto* folders = Find<window::FolderList>("Dir1");
    EXPECT_EQ(folders->path(), here);
    // The chain from / down to the current folder, each a step deeper, the current one selected.
    const QStringList chain = here.split(u'/', Qt::SkipEmptyParts);
    ASSERT_GT(folders->count(), chain.size());
    EXPECT_EQ(folders->item(0)->text(), "/");
    EXPECT_EQ(folders->currentRow(), chain.size());
    ASSERT_NE(folders->currentItem(), nullptr);
    EXPECT_EQ(folders->currentItem()->text(), QString(2 * chain.size(), u' ') + chain.last());
    EXPECT_EQ(Find<window::FileList>("File1")->path(), here);
    EXPECT_EQ(Find<window::FileList>("File1")->pattern(), Find<QLineEdit>("Text8")->text());
    auto* drives = Find<QComboBox>("Drive1");
    ASSERT_GT(drives->count(), 0);
    EXPECT_TRUE(here.startsWith(drives->currentData().toString()))
        << drives->currentText().toStdString();
    for (const char* name : {"RichTextBox1", "RichTextBox2", "Text9", "Text10"}) {
        auto* edit = Find<window::ExactTextEdit>(name);
        EXPECT_EQ(edit->tabStopDistance(), 8 * edit->fontMetrics().horizontalAdvance(u' ')) << name;
        EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::NoWrap) << name;
    }
    for (const char* name : {"ProgressBar1", "ProgressBar2"}) {
        EXPECT_FALSE(Find<QProgressBar>(name)->isTextVisible()) << name;
    }
    auto* title = Find<QLabel>("Label16");
    EXPECT_EQ(title->text(), QStringLiteral("进度"));
    EXPECT_EQ(title->palette().color(QPalette::WindowText), kBlue);
    EXPECT_EQ(Find("Command1")->font().pointSizeF(), 12);
    EXPECT_TRUE(Find("Command1")->font().families().contains(QStringLiteral("宋体")));
}

// `glyph` drawn black on white in `font`.
QImage Drawn(const QFont& font, QChar glyph) {
    QImage image(40, 40, QImage::Format_Grayscale8);
    image.fill(255);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(10, 28, QString(glyph));
    return image;
}

// How many pixels of two drawn characters differ by more than a quarter of the grey scale.
int PixelsApart(const QFont& font, QChar a, QChar b) {
    const QImage first = Drawn(font, a), second = Drawn(font, b);
    int apart = 0;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            apart += std::abs(qGray(first.pixel(x, y)) - qGray(second.pixel(x, y))) > 64;
        }
    }
    return apart;
}

// The ink at the middle of a drawn character, where a marked zero has its dot or stroke.
int InkAtCentre(const QFont& font, QChar glyph) {
    const QImage image = Drawn(font, glyph);
    const QPoint centre =
        QFontMetrics(font).tightBoundingRect(QString(glyph)).center() + QPoint(10, 28);
    int ink = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        ink += 255 - qGray(image.pixel(centre + QPoint(0, dy)));
    }
    return ink;
}

// The default line leader ; must not read as the : of a label, nor P0M1 as POM1; Chinese still
// comes from the Song face.
TEST_F(WindowTest, TheEditorsTellApartTheCharactersThatCodeConfuses) {
    const QFont font = Find("RichTextBox1")->font();
    EXPECT_EQ(Find("RichTextBox2")->font(), font);
    EXPECT_GE(PixelsApart(font, u';', u':'), 4);
    EXPECT_GE(PixelsApart(font, u'1', u'l'), 4);
    EXPECT_GE(PixelsApart(font, u'l', u'I'), 4);
    EXPECT_GE(InkAtCentre(font, u'0'), InkAtCentre(font, u'O') + 200);
    EXPECT_THAT(font.families(), Holds(QStringLiteral("宋体")));
    EXPECT_THAT(font.families(), Holds(QStringLiteral("AR PL UMing CN")));
}

// Paths and addresses on the tip line read right: l, 1 and I, 0 and O differ plainly, and the
// Chinese still comes from the Song face.
TEST_F(WindowTest, TheTipLineTellsApartLettersAndDigitsThatLookAlike) {
    const QFont font = TipLine()->font();
    EXPECT_GE(PixelsApart(font, u'l', u'1'), 4);
    EXPECT_GE(PixelsApart(font, u'l', u'I'), 4);
    EXPECT_GE(PixelsApart(font, u'1', u'I'), 4);
    EXPECT_GE(InkAtCentre(font, u'0'), InkAtCentre(font, u'O') + 200);
    EXPECT_THAT(font.families(), Holds(QStringLiteral("宋体")));
}

// The leftmost and rightmost columns of ink in the rows [top, bottom) of `image`.
std::pair<int, int> InkColumns(const QImage& image, int top, int bottom) {
    int left = image.width(), right = -1;
    for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 192) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

// The chip picture, as the target editor draws it at start: every line of its frame starts and
// ends in the same pixel column, and its loops are drawn with arcs, not corners.
TEST_F(WindowTest, TheChipPictureIsDrawnWhole) {
    auto* editor = Find<window::ExactTextEdit>("RichTextBox2");
    const QImage drawn = editor->viewport()->grab().toImage();
    QTextCursor line(editor->document());
    std::vector<std::pair<int, int>> edges;
    for (int row = 0; row < 11; ++row) {  // the frame, pins included, is eleven lines high
        const QRect box = editor->cursorRect(line);
        edges.push_back(InkColumns(drawn, box.top(), box.bottom()));
        line.movePosition(QTextCursor::NextBlock);
    }
    for (int row = 1; row < 11; ++row) {
        EXPECT_NEAR(edges[row].first, edges[0].first, 1) << "line " << row + 1;
        EXPECT_NEAR(edges[row].second, edges[0].second, 1) << "line " << row + 1;
    }
    EXPECT_GT(edges[0].second - edges[0].first, 200);  // not a sliver of it
    QTextCursor inPicture(editor->document());
    inPicture.setPosition(2);
    const QFont face = inPicture.charFormat().font();
    EXPECT_GE(PixelsApart(face, u'╭', u'┌'), 4);
    EXPECT_GE(PixelsApart(face, u'╯', u'┘'), 4);
}

// A caption's Latin and Chinese come from one face, not Chinese borrowed into a Latin face.
TEST_F(WindowTest, TheCaptionsAreSetInAFaceThatWritesChinese) {
    const QString face = QFontInfo(Find("Check1")->font()).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(face).contains(QFontDatabase::SimplifiedChinese))
        << face.toStdString();
    EXPECT_EQ(Find("Check1")->font().pointSize(), 9);  // the captions' size, as designed
}

TEST_F(WindowTest, TheOptionsAreWhatTheControlsHold) {
    for (int box = 1; box <= 11; ++box) {
        form->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(box))->toggle();
    }
    const char* texts[][2] = {{"Text4", "L"},  {"Text6", "B"},   {"Text7", "E"},  {"Text12", "S"},
                              {"Text13", "T"}, {"Text11", ".X"}, {"Text8", "*.P"}};
    for (const auto& [name, text] : texts) {
        Find<QLineEdit>(name)->setText(QString::fromLatin1(text));
    }
    Find<window::ExactTextEdit>("Text9")->SetExactText(u"H");
    Find<window::ExactTextEdit>("Text10")->SetExactText(u"F");
    // Every flag of the panel the other way round from its default.
    workflow::OptionSet expected = workflow::ForLanguage({}, engine::Language::Assembler);
    for (bool* flag : {&expected.KeepHeaderLineComments, &expected.KeepHeaderBlockComment,
                       &expected.KeepWholeLineComments, &expected.KeepAllLineComments,
                       &expected.KeepAllBlockComments, &expected.KeepLeadingSpaces,
                       &expected.KeepSurplusBlanks, &expected.IgnoreMarkersInStrings,
                       &expected.AddHeader, &expected.AddFooter, &expected.AddTargetExtension}) {
        *flag = !*flag;
    }
    expected.LineCommentLeader = u"L";
    expected.BlockCommentLeader = u"B";
    expected.BlockCommentTerminator = u"E";
    expected.StringLeader = u"S";
    expected.StringTerminator = u"T";
    expected.HeaderText = u"H";
    expected.FooterText = u"F";
    expected.TargetExtension = u".X";
    expected.SourcePattern = u"*.P";
    EXPECT_EQ(form->CurrentOptions(), expected);
}

// The window's own command line: one file or folder, "--" before a name that starts with "-",
// Qt's options (and their values) left for Qt.
TEST(StartArguments, AFileOrFolderHelpVersionOrAReasonToRefuse) {
    using Action = window::StartRequest::Action;
    const struct {
        QStringList arguments;
        Action action;
        QString path;
    } cases[] = {
        {{}, Action::Open, ""},
        {{"a.asm"}, Action::Open, "a.asm"},
        {{"--", "-odd.asm"}, Action::Open, "-odd.asm"},
        {{"--", "--help"}, Action::Open, "--help"},
        {{"-platform", "offscreen", "a.asm"}, Action::Open, "a.asm"},
        {{"--style", "fusion", "-reverse", "a.asm"}, Action::Open, "a.asm"},
        {{"-style=fusion", "a.asm"}, Action::Open, "a.asm"},  // the value joined: no more taken
        {{"-sync", "a.asm", "-display", ":0"}, Action::Open, "a.asm"},
        {{"-reversed", "a.asm"}, Action::Error, ""},
        {{"-h"}, Action::Help, ""},
        {{"--version"}, Action::Version, ""},
        {{"a.asm", "b.asm"}, Action::Error, ""},
        {{"--bogus"}, Action::Error, ""},
    };
    for (const auto& [arguments, action, path] : cases) {
        const window::StartRequest request = window::ReadStartArguments(arguments);
        EXPECT_EQ(request.action, action) << arguments.join(' ').toStdString();
        EXPECT_EQ(request.path, path) << arguments.join(' ').toStdString();
        EXPECT_EQ(request.error.isEmpty(), action != Action::Error)
            << arguments.join(' ').toStdString();
    }
}

}  // namespace
