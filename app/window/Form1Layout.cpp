// Creation of the controls, region by region. Positions come in twips (15 to a pixel), as the
// layout of the window is drawn up.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "BrowsingLists.h"
#include "ClickableLabel.h"
#include "ExactTextEdit.h"
#include "Fonts.h"
#include "Form1.h"
#include "MascotView.h"

namespace window {
namespace {

QRect Twips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

template <class Widget>
Widget* Place(Widget* widget, const char* name, const QRect& geometry, const char* hint = nullptr) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    if (hint != nullptr) {
        widget->setToolTip(QString::fromUtf8(hint));
    }
    return widget;
}

QString ResourceText(const char* path) {
    QFile file(QString::fromLatin1(path));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

}  // namespace

void Form1::CreateFrames() {
    const struct {
        const char* name;
        QRect geometry;
    } frames[] = {
        {"Shape2", Twips(120, 120, 2535, 7095)},  {"Shape1", Twips(2640, 120, 2535, 7095)},
        {"Shape3", Twips(5160, 120, 7455, 7095)}, {"Shape4", Twips(120, 7200, 12495, 735)},
        {"Shape5", Twips(120, 7920, 12495, 735)},
    };
    for (const auto& frame : frames) {
        auto* shape = Place(new QFrame(this), frame.name, frame.geometry);
        shape->setFrameShape(QFrame::Box);
        shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

void Form1::CreateOptionColumn() {
    const auto check = [this](const char* name, const char* caption, const char* hint,
                              const QRect& geometry) {
        return Place(new QCheckBox(QString::fromUtf8(caption), this), name, geometry, hint);
    };
    const auto label = [this](const char* name, const char* caption, const char* hint,
                              const QRect& geometry) {
        return Place(new QLabel(QString::fromUtf8(caption), this), name, geometry, hint);
    };
    const auto line = [this](const char* name, const char* hint, const QRect& geometry) {
        return Place(new QLineEdit(this), name, geometry, hint);
    };
    const auto block = [this](const char* name, const char* hint, const QRect& geometry) {
        auto* box = Place(new ExactTextEdit(this), name, geometry, hint);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setTabStopDistance(8 * box->fontMetrics().horizontalAdvance(u' '));
        box->hide();
        return box;
    };
    Check10 = check("Check10", "保留多余空行和空格", "选择是否保留多余的空行/空格/制表符",
                    Twips(240, 240, 2055, 255));
    Check9 = check("Check9", "保留行首空格", "选择是否保留行首的空格/制表符",
                   Twips(480, 480, 1575, 255));
    Check6 =
        check("Check6", "保留所有行注释", "选择是否保留所有的行注释", Twips(240, 720, 1815, 255));
    Check5 =
        check("Check5", "保留整行注释", "选择是否保留整行的行注释", Twips(480, 960, 1935, 255));
    Check3 = check("Check3", "保留源文件头行注释", "选择是否保留文件头的行注释",
                   Twips(480, 1200, 1935, 255));
    label("Label4", "行注释引导符:", "设置行注释引导符", Twips(480, 1560, 1215, 255));
    Text4 = line("Text4", "设置行注释引导符", Twips(1680, 1560, 615, 270));
    Check7 =
        check("Check7", "保留所有块注释", "选择是否保留所有的块注释", Twips(240, 1920, 2055, 255));
    Check4 = check("Check4", "保留源文件头块注释", "选择是否保留文件头的块注释",
                   Twips(480, 2160, 1935, 255));
    label("Label6", "块注释引导符:", "设置块注释引导符", Twips(480, 2520, 1215, 255));
    Text6 = line("Text6", "设置块注释引导符", Twips(1680, 2520, 615, 270));
    label("Label7", "块注释结束符:", "设置块注释结束符", Twips(480, 2760, 1215, 255));
    Text7 = line("Text7", "设置块注释结束符", Twips(1680, 2760, 615, 270));
    Check11 = check("Check11", "忽略字符串中注释符", "选择是否忽略字符串中的注释符",
                    Twips(240, 3120, 2175, 255));
    label("Label15", "字符串引导符:", "设置字符串引导符", Twips(480, 3480, 1215, 255));
    Text12 = line("Text12", "设置字符串引导符", Twips(1680, 3480, 615, 270));
    label("Label14", "字符串结束符:", "设置字符串结束符", Twips(480, 3720, 1215, 255));
    Text13 = line("Text13", "设置字符串结束符", Twips(1680, 3720, 615, 270));
    Check1 = check("Check1", "自动添加文件头", "选择是否为目标文件添加文件头",
                   Twips(240, 4080, 1695, 255));
    Text9 = block("Text9", "查看/编辑文件头", Twips(240, 4440, 2295, 1095));
    Check2 = check("Check2", "自动添加文件尾", "选择是否为目标文件添加文件尾",
                   Twips(240, 5640, 1695, 255));
    Text10 = block("Text10", "查看/编辑文件尾", Twips(240, 6000, 2295, 1095));
}

void Form1::CreateBrowsingColumn() {
    Place(new QLabel(QStringLiteral("选择驱动器"), this), "Label13", Twips(2760, 240, 1335, 255));
    Drive1 = Place(new DriveList(this), "Drive1", Twips(2760, 480, 2295, 300), "选择驱动器");
    Place(new QLabel(QStringLiteral("选择路径"), this), "Label12", Twips(2760, 840, 1575, 255));
    Dir1 = Place(new FolderList(this), "Dir1", Twips(2760, 1200, 2295, 2610), "选择路径");
    Place(new QLabel(QStringLiteral("选择源文件"), this), "Label11", Twips(2760, 3960, 1335, 255));
    File1 = Place(new FileList(this), "File1", Twips(2760, 4320, 2295, 2790), "选择源文件");

    const QString here = QDir::currentPath();
    Drive1->ShowVolumesFor(here);
    Dir1->SetPath(here);
    File1->SetPattern(QStringLiteral("*.TXT;*.ASM;*.DT;*.INC"));  // the list's own, until loaded
    File1->SetPath(here);
}

void Form1::CreatePathsAndEditors() {
    const char* patternHint = "设置源文件的类型,按[更改]或回车确认";
    Place(new QLabel(QStringLiteral("源文件类型:"), this), "Label8", Twips(5280, 240, 1095, 255),
          patternHint);
    Text8 = Place(new QLineEdit(this), "Text8", Twips(6360, 240, 3255, 270), patternHint);
    Command3 = Place(new QPushButton(QStringLiteral("更改"), this), "Command3",
                     Twips(9720, 240, 495, 255), "按这里确认文件类型");
    Label3 = Place(new QLabel(QStringLiteral("字符数:"), this), "Label3",
                   Twips(10920, 360, 1575, 255), "源文件大小");
    Place(new QLabel(QStringLiteral("源文件"), this), "Label1", Twips(5280, 600, 1215, 255));
    Text1 = Place(new QLineEdit(this), "Text1", Twips(6120, 600, 6375, 270), "源文件路径及文件名");
    Text1->setReadOnly(true);

    const auto editor = [this](const char* name, const char* hint, const QRect& geometry) {
        auto* edit = Place(new ExactTextEdit(this), name, geometry, hint);
        edit->setFont(EditorFont(9));
        edit->setTabStopDistance(8 * edit->fontMetrics().horizontalAdvance(u' '));  // as in code
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        return edit;
    };
    RichTextBox1 = editor("RichTextBox1", "显示源文件内容", Twips(5280, 960, 7215, 2655));
    RichTextBox1->SetExactText(ResourceText(":/text/about.txt").toStdU16String());

    Check8 = Place(new QCheckBox(QStringLiteral("为目标文件添加扩展名"), this), "Check8",
                   Twips(6120, 3720, 2295, 255), "选择是否要为目标文件添加附加扩展名");
    Label9 = Place(new QLabel(QStringLiteral("扩展名:"), this), "Label9",
                   Twips(8880, 3720, 735, 255), "修改目标文件扩展名");
    Text11 =
        Place(new QLineEdit(this), "Text11", Twips(9600, 3720, 615, 270), "修改目标文件扩展名");
    Label5 = Place(new QLabel(QStringLiteral("字符数:"), this), "Label5",
                   Twips(10920, 3840, 1575, 255), "目标文件大小");
    Place(new QLabel(QStringLiteral("目标文件"), this), "Label2", Twips(5280, 4080, 1215, 255));
    Text5 =
        Place(new QLineEdit(this), "Text5", Twips(6120, 4080, 6375, 270), "目标文件路径及文件名");
    RichTextBox2 = editor("RichTextBox2", "显示目标文件内容", Twips(5280, 4440, 7215, 2655));
    // The chip is drawn in the columns of 宋体, where a box-drawing character is two letters wide.
    RichTextBox2->SetTextInFace(ResourceText(":/text/chip.txt").toStdU16String(), SongFont(9));
}

void Form1::CreateProgressBand() {
    auto* title =
        Place(new QLabel(QStringLiteral("进度"), this), "Label16", Twips(240, 7440, 735, 255));
    title->setFont(SongFont(14.25));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, kBlue);
    title->setPalette(palette);
    const auto bar = [this](const char* name, const char* hint, const QRect& geometry) {
        auto* progress = Place(new QProgressBar(this), name, geometry, hint);
        progress->setTextVisible(false);
        progress->hide();
        return progress;
    };
    ProgressBar2 = bar("ProgressBar2", "单文件处理进度", Twips(960, 7320, 11535, 255));
    ProgressBar1 = bar("ProgressBar1", "批量文件处理进度", Twips(960, 7560, 11535, 255));
}

void Form1::CreateTipBand() {
    Image1 = Place(new MascotView(this), "Image1", Twips(240, 8040, 480, 480));
    Label10 = Place(new ClickableLabel(QStringLiteral("提示:"), this), "Label10",
                    Twips(840, 8040, 8175, 495), "点击duvo/提示区可以获取帮助");
    Label10->setFont(EditorFont(12));  // paths and addresses: l and 1, O and 0 must differ
    Label10->setWordWrap(true);
    Label10->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ShowOnTipLine(Label10->text(), kRed, false);  // its colour at design time

    const auto button = [this](const char* name, const char* caption, const char* hint,
                               const QRect& geometry) {
        auto* command =
            Place(new QPushButton(QString::fromUtf8(caption), this), name, geometry, hint);
        command->setFont(SongFont(12));
        command->hide();
        return command;
    };
    Command1 = button("Command1", "消除", "按这里可以消除源文件的注释,生成目标文件",
                      Twips(9120, 8040, 855, 495));
    Command2 =
        button("Command2", "保存", "按这里可以将目标文件保存到磁盘上", Twips(9960, 8040, 855, 495));
    Command4 = button("Command4", "自动", "按这里可以消除源文件中的注释,并直接将目标文件保存到磁盘",
                      Twips(10800, 8040, 855, 495));
    Command5 = button("Command5", "批量", "按这里可以批量处理当前目录下的所有源文件",
                      Twips(11640, 8040, 855, 495));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
}

void Form1::SetKeyboardNavigation() {
    // Enter or Return on a focused button presses it, as Space does.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
    }
    const QList<QWidget*> order = {
        Drive1,   Dir1,     File1,    Text1,  Text4,  Text5,   Command1,     Command2,
        Text6,    Text7,    Text8,    Text9,  Text10, Check1,  Check2,       Check3,
        Check4,   Check5,   Check6,   Check7, Check8, Text11,  Check9,       Check10,
        Command3, Command4, Command5, Text12, Text13, Check11, RichTextBox1, RichTextBox2};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

}  // namespace window
