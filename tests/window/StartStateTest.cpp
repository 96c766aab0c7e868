#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>

#include "WindowFixture.h"
#include "window/BrowsingLists.h"

namespace {

struct Control {
    const char* name;
    int left, top, width, height;  // twips
    const char* caption;           // nullptr: no caption to check
    const char* hint;              // nullptr: no hint
    bool shown;
};

// The window's layout as drawn up, in twips.
const Control kControls[] = {
    {"Check10", 240, 240, 2055, 255, "保留多余空行和空格", "选择是否保留多余的空行/空格/制表符",
     true},
    {"Check9", 480, 480, 1575, 255, "保留行首空格", "选择是否保留行首的空格/制表符", true},
    {"Check6", 240, 720, 1815, 255, "保留所有行注释", "选择是否保留所有的行注释", true},
    {"Check5", 480, 960, 1935, 255, "保留整行注释", "选择是否保留整行的行注释", true},
    {"Check3", 480, 1200, 1935, 255, "保留源文件头行注释", "选择是否保留文件头的行注释", true},
    {"Label4", 480, 1560, 1215, 255, "行注释引导符:", "设置行注释引导符", true},
    {"Text4", 1680, 1560, 615, 270, ";", "设置行注释引导符", true},
    {"Check7", 240, 1920, 2055, 255, "保留所有块注释", "选择是否保留所有的块注释", true},
    {"Check4", 480, 2160, 1935, 255, "保留源文件头块注释", "选择是否保留文件头的块注释", true},
    {"Label6", 480, 2520, 1215, 255, "块注释引导符:", "设置块注释引导符", true},
    {"Text6", 1680, 2520, 615, 270, "/*", "设置块注释引导符", true},
    {"Label7", 480, 2760, 1215, 255, "块注释结束符:", "设置块注释结束符", true},
    {"Text7", 1680, 2760, 615, 270, "*/", "设置块注释结束符", true},
    {"Check11", 240, 3120, 2175, 255, "忽略字符串中注释符", "选择是否忽略字符串中的注释符", true},
    {"Label15", 480, 3480, 1215, 255, "字符串引导符:", "设置字符串引导符", true},
    {"Text12", 1680, 3480, 615, 270, "\"", "设置字符串引导符", true},
    {"Label14", 480, 3720, 1215, 255, "字符串结束符:", "设置字符串结束符", true},
    {"Text13", 1680, 3720, 615, 270, "\"", "设置字符串结束符", true},
    {"Check1", 240, 4080, 1695, 255, "自动添加文件头", "选择是否为目标文件添加文件头", true},
    {"Text9", 240, 4440, 2295, 1095, nullptr, "查看/编辑文件头", false},
    {"Check2", 240, 5640, 1695, 255, "自动添加文件尾", "选择是否为目标文件添加文件尾", true},
    {"Text10", 240, 6000, 2295, 1095, nullptr, "查看/编辑文件尾", false},
    {"Label13", 2760, 240, 1335, 255, "选择驱动器", nullptr, true},
    {"Drive1", 2760, 480, 2295, 300, nullptr, "选择驱动器", true},
    {"Label12", 2760, 840, 1575, 255, "选择路径", nullptr, true},
    {"Dir1", 2760, 1200, 2295, 2610, nullptr, "选择路径", true},
    {"Label11", 2760, 3960, 1335, 255, "选择源文件", nullptr, true},
    {"File1", 2760, 4320, 2295, 2790, nullptr, "选择源文件", true},
    {"Label8", 5280, 240, 1095, 255, "源文件类型:", "设置源文件的类型,按[更改]或回车确认", true},
    {"Text8", 6360, 240, 3255, 270, "*.TXT;*.ASM;*.DT;*.C;*.INC;*.H",
     "设置源文件的类型,按[更改]或回车确认", true},
    {"Command3", 9720, 240, 495, 255, "更改", "按这里确认文件类型", true},
    {"Label3", 10920, 360, 1575, 255, "字符数:", "源文件大小", true},
    {"Label1", 5280, 600, 1215, 255, "源文件", nullptr, true},
    {"Text1", 6120, 600, 6375, 270, "", "源文件路径及文件名", true},
    {"RichTextBox1", 5280, 960, 7215, 2655, nullptr, "显示源文件内容", true},
    {"Check8", 6120, 3720, 2295, 255, "为目标文件添加扩展名", "选择是否要为目标文件添加附加扩展名",
     true},
    {"Label9", 8880, 3720, 735, 255, "扩展名:", "修改目标文件扩展名", true},
    {"Text11", 9600, 3720, 615, 270, ".TX_", "修改目标文件扩展名", true},
    {"Label5", 10920, 3840, 1575, 255, "字符数:", "目标文件大小", true},
    {"Label2", 5280, 4080, 1215, 255, "目标文件", nullptr, true},
    {"Text5", 6120, 4080, 6375, 270, "", "目标文件路径及文件名", true},
    {"RichTextBox2", 5280, 4440, 7215, 2655, nullptr, "显示目标文件内容", true},
    {"Label16", 240, 7440, 735, 255, "进度", nullptr, true},
    {"ProgressBar2", 960, 7320, 11535, 255, nullptr, "单文件处理进度", false},
    {"ProgressBar1", 960, 7560, 11535, 255, nullptr, "批量文件处理进度", false},
    {"Image1", 240, 8040, 480, 480, nullptr, nullptr, true},
    {"Label10", 840, 8040, 8175, 495, nullptr, "点击duvo/提示区可以获取帮助", true},
    {"Command1", 9120, 8040, 855, 495, "消除", "按这里可以消除源文件的注释,生成目标文件", false},
    {"Command2", 9960, 8040, 855, 495, "保存", "按这里可以将目标文件保存到磁盘上", false},
    {"Command4", 10800, 8040, 855, 495, "自动",
     "按这里可以消除源文件中的注释,并直接将目标文件保存到磁盘", false},
    {"Command5", 11640, 8040, 855, 495, "批量", "按这里可以批量处理当前目录下的所有源文件", false},
    {"Shape2", 120, 120, 2535, 7095, nullptr, nullptr, true},
    {"Shape1", 2640, 120, 2535, 7095, nullptr, nullptr, true},
    {"Shape3", 5160, 120, 7455, 7095, nullptr, nullptr, true},
    {"Shape4", 120, 7200, 12495, 735, nullptr, nullptr, true},
    {"Shape5", 120, 7920, 12495, 735, nullptr, nullptr, true},
};

QString CaptionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->text();
    return QStringLiteral("<no caption>");
}

TEST_F(WindowTest, EveryControlStartsAtItsPlaceWithItsCaptionHintAndVisibility) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("青砚V12"));
    EXPECT_EQ(form->size(), QSize(847, 585));
    EXPECT_FALSE(form->windowIcon().isNull());
    for (const Control& c : kControls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = Find(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
        EXPECT_EQ(widget->toolTip(), c.hint ? QString::fromUtf8(c.hint) : QString());
        EXPECT_EQ(!widget->isHidden(), c.shown);
        if (c.caption != nullptr && std::string_view(c.name) != "Label3" &&
            std::string_view(c.name) != "Label5") {
            EXPECT_EQ(CaptionOf(widget), QString::fromUtf8(c.caption));
        }
    }
}

TEST_F(WindowTest, StartsWithTheDefaultOptionsAndTheStartMessageInBlue) {
    EXPECT_EQ(form->CurrentOptions(), engine::EliminationOptions{});
    EXPECT_EQ(
        Tip(),
        QStringLiteral(
            "提示:请先选择源文件路径,并按提示操作.或者点击左下角的duvo/提示区,获取帮助信息!"));
    EXPECT_EQ(TipColour(), window::kBlue);
    EXPECT_EQ(BlinkCount(), 0);
    EXPECT_EQ(TipIndex(), 0);
}

TEST_F(WindowTest, TheListsStartOnTheCurrentFolderWithTheTypedPattern) {
    const QString here = QDir::currentPath();
    EXPECT_EQ(Find<window::FolderList>("Dir1")->path(), here);
    auto* files = Find<window::FileList>("File1");
    EXPECT_EQ(files->path(), here);
    EXPECT_EQ(files->pattern(), QStringLiteral("*.TXT;*.ASM;*.DT;*.C;*.INC;*.H"));
    EXPECT_GE(Find<QComboBox>("Drive1")->currentIndex(), 0);
}

TEST_F(WindowTest, EditorsStartWithTheAboutCardAndTheChipPicture) {
    const std::u16string about = Find<window::ExactTextEdit>("RichTextBox1")->ExactText();
    EXPECT_TRUE(about.starts_with(u"\r\n\r\n\t软件名称:\t青砚\r\n"))
        << QString::fromStdU16String(about).toStdString();
    EXPECT_TRUE(about.ends_with(u"\r\n\r\n"));
    const std::u16string chip = Find<window::ExactTextEdit>("RichTextBox2")->ExactText();
    EXPECT_TRUE(chip.starts_with(u"\t╔"));
    EXPECT_NE(chip.find(u"JMP LOOP"), std::u16string::npos);
    EXPECT_TRUE(chip.ends_with(u"砚边\r\n"));
}

TEST_F(WindowTest, TheTabOrderFollowsTheLayout) {
    const char* order[] = {"Drive1",       "Dir1",        "File1",    "Text1",  "Text4",  "Text5",
                           "Command1",     "Command2",    "Text6",    "Text7",  "Text8",  "Text9",
                           "Text10",       "Check1",      "Check2",   "Check3", "Check4", "Check5",
                           "Check6",       "Check7",      "Check8",   "Text11", "Check9", "Check10",
                           "Command3",     "Command4",    "Command5", "Text12", "Text13", "Check11",
                           "RichTextBox1", "RichTextBox2"};
    for (const char* name : order) {
        Find(name)->show();  // hidden controls are passed over by Tab; show them all here
    }
    // The code editors take Tab as a character; here they pass it on, so that the chain shows.
    Find<QPlainTextEdit>("RichTextBox1")->setTabChangesFocus(true);
    QApplication::setActiveWindow(form.get());
    Find(order[0])->setFocus();
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Find(order[i]))
            << "after " << order[i - 1] << " focus is on "
            << (QApplication::focusWidget()
                    ? QApplication::focusWidget()->objectName().toStdString()
                    : std::string("nothing"));
    }
}

TEST_F(WindowTest, RendersToAPictureForAPersonToLookAt) {
    for (int tick = 0; tick < 4; ++tick) {
        form->Timer1_Timer();  // counters filled in, and the start-up blink over
    }
    const QImage picture = form->grab().toImage();
    EXPECT_EQ(picture.size(), QSize(847, 585));
    EXPECT_TRUE(picture.save(QStringLiteral(QINGYAN_RENDER_PATH)));
}

}  // namespace
