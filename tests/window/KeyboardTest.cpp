#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>

#include "WindowFixture.h"

namespace {

const QByteArray kSource = "; head\r\n\tNOP ; x\r\n";
const QByteArray kTarget = "; head\r\n\tNOP\r\n";

class KeyboardTest : public WorkflowTest {
protected:
    void StartActive() {
        Start();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // The names of the controls that Tab visits from the drive list, once round the window.
    std::vector<std::string> TabWalk(Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Find("Drive1")->setFocus(Qt::TabFocusReason);
        std::vector<std::string> walk{"Drive1"};
        for (int step = 0; step < 60; ++step) {
            Key(Qt::Key_Tab, modifiers);
            const std::string name = QApplication::focusWidget()->objectName().toStdString();
            if (name == "Drive1") {
                break;
            }
            walk.push_back(name);
        }
        return walk;
    }
};

// Tab and Shift+Tab go round every control that takes the focus, both editors included, in the
// window's order, and type nothing into the source they pass through.
TEST_F(KeyboardTest, TabWalksTheWholeFocusOrderBothWaysAndNeverTypes) {
    folder.Write("A.ASM", kSource);
    StartActive();
    Pick("A.ASM");
    const std::u16string source = SourceText(), target = TargetText();
    // The visible controls of the window's focus order: the header and footer boxes are hidden,
    // and so is 批量 until a folder is opened.
    const std::vector<std::string> order = {
        "Drive1",   "Dir1",     "File1",  "Text1",  "Text4",   "Text5",        "Command1",
        "Text6",    "Text7",    "Text8",  "Check1", "Check2",  "Check3",       "Check4",
        "Check5",   "Check6",   "Check7", "Check8", "Text11",  "Check9",       "Check10",
        "Command3", "Command4", "Text12", "Text13", "Check11", "RichTextBox1", "RichTextBox2"};
    EXPECT_EQ(TabWalk(), order);
    std::vector<std::string> backwards = TabWalk(Qt::ShiftModifier);
    std::reverse(backwards.begin() + 1, backwards.end());
    EXPECT_EQ(backwards, order);
    for (int press = 0; press < 40; ++press) {
        Key(Qt::Key_Tab);
    }
    EXPECT_EQ(SourceText(), source);
    EXPECT_EQ(TargetText(), target);
}

// Enter and Return press the focused button, as Space does.
TEST_F(KeyboardTest, EnterOrReturnOnAFocusedButtonPressesIt) {
    folder.Write("A.ASM", kSource);
    StartActive();
    Pick("A.ASM");
    Find("Command1")->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    EXPECT_EQ(QString::fromStdU16String(TargetText()).toUtf8(), kTarget);
    EXPECT_TRUE(Shown("Command2"));
    Find("Command2")->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Enter);
    EXPECT_EQ(TempFolder::Read(folder.Path("A.ASM.TX_")), kTarget);
}

// In the folder list, typing goes to the next folder whose name starts with what was typed,
// keys typed in quick succession refine it, and Return opens the folder; moving by keys offers
// 批量 as a click does.
TEST_F(KeyboardTest, TypingInTheFolderListFindsAFolderAndReturnOpensIt) {
    for (const char* name : {"alpha", "beta", "bravo"}) {
        QDir(folder.Root()).mkdir(name);
    }
    StartActive();
    auto* folders = Find<window::FolderList>("Dir1");
    folders->setFocus(Qt::TabFocusReason);
    const auto current = [folders] { return folders->currentItem()->text().trimmed(); };
    EXPECT_FALSE(Shown("Command5"));
    QTest::keyClicks(folders, "br");
    EXPECT_EQ(current(), "bravo");
    EXPECT_TRUE(Shown("Command5"));
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(folders, "b");  // a new search, from past the current folder
    EXPECT_EQ(current(), "beta");
    Key(Qt::Key_Up);
    EXPECT_EQ(current(), "alpha");
    Key(Qt::Key_Return);
    EXPECT_EQ(Find<window::FileList>("File1")->path(), folder.Path("alpha"));
}

// Tabbed into, the file list shows that it holds the focus, though no file is current yet.
TEST_F(KeyboardTest, TheFileListMarksItsFocus) {
    folder.Write("A.ASM", kSource);
    StartActive();
    auto* files = Find<window::FileList>("File1");
    // The mark is a frame one pixel inside the list, on all four sides: seen where no name
    // stands, against the list as it looks without the focus.
    const auto look = [files] { return files->grab().toImage(); };
    const QImage unfocused = look();
    const auto marked = [&] {
        const QImage image = look();
        const QRect area = files->viewport()->geometry();
        const int low = area.top() + area.height() * 3 / 4;
        const int across = area.left() + area.width() * 3 / 4;
        const QPoint edges[] = {
            {area.left(), low}, {area.right(), low}, {across, area.top()}, {across, area.bottom()}};
        const QPoint inward[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (int side = 0; side < 4; ++side) {
            const QPoint line = edges[side] + inward[side];
            if (image.pixel(edges[side]) != unfocused.pixel(edges[side]) ||
                image.pixel(line) == unfocused.pixel(line)) {
                return false;
            }
        }
        return true;
    };
    EXPECT_FALSE(marked());
    Find("Dir1")->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), files);
    EXPECT_EQ(files->currentItem(), nullptr);  // tabbing in picks nothing
    EXPECT_TRUE(marked());
    Key(Qt::Key_Tab);
    EXPECT_FALSE(marked());
    EXPECT_EQ(SourcePath(), QString());
    // Back in, the first arrow key picks the first file.
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(SourcePath(), folder.Path("A.ASM"));
}

}  // namespace
