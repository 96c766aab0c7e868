#include "Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "BrowsingLists.h"
#include "ClickableLabel.h"
#include "ExactTextEdit.h"
#include "MascotView.h"
#include "workflow/SourceLanguage.h"

namespace window {

Form1::Form1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("青砚V12"));
    setWindowIcon(QIcon(QStringLiteral(":/art/icon64.png")));
    setFixedSize(847, 585);
    setAcceptDrops(true);

    CreateFrames();
    CreateOptionColumn();
    CreateBrowsingColumn();
    CreatePathsAndEditors();
    CreateProgressBand();
    CreateTipBand();
    // Each option's control, found once by the name the table gives it.
    for (std::size_t at = 0; at < workflow::kOptionFields.size(); ++at) {
        const char* control = workflow::kOptionFields[at].control;
        optionControls_[at] =
            control == nullptr ? nullptr : findChild<QWidget*>(QLatin1String(control));
    }
    ShowOptions(workflow::OptionSet{});
    SetKeyboardNavigation();
    ConnectHandlers();

    Form_Load();
    Timer1->start(500);
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    File1->SetPattern(Text8->text());
    BlinkCount = 0;
    TipIndex = 0;
    PostMessage(QStringLiteral(
        "提示:请先选择源文件路径,并按提示操作.或者点击左下角的duvo/提示区,获取帮助信息!"));
}

void Form1::ShowOptions(const workflow::OptionSet& o) {
    for (std::size_t at = 0; at < workflow::kOptionFields.size(); ++at) {
        const workflow::OptionField& field = workflow::kOptionFields[at];
        QWidget* control = optionControls_[at];
        if (control == nullptr) {
            continue;  // a field of the command line alone
        }
        if (const auto* flag = std::get_if<bool workflow::OptionSet::*>(&field.member)) {
            static_cast<QCheckBox*>(control)->setChecked(o.**flag);
            continue;
        }
        const std::u16string& text =
            o.*std::get<std::u16string workflow::OptionSet::*>(field.member);
        if (auto* editor = qobject_cast<ExactTextEdit*>(control)) {
            editor->SetExactText(text);
        } else {
            static_cast<QLineEdit*>(control)->setText(QString::fromStdU16String(text));
        }
    }
}

workflow::OptionSet Form1::CurrentOptions() const {
    workflow::OptionSet o;
    for (std::size_t at = 0; at < workflow::kOptionFields.size(); ++at) {
        const workflow::OptionField& field = workflow::kOptionFields[at];
        QWidget* control = optionControls_[at];
        if (control == nullptr) {
            continue;  // a field of the command line alone: its default
        }
        if (const auto* flag = std::get_if<bool workflow::OptionSet::*>(&field.member)) {
            o.** flag = static_cast<QCheckBox*>(control)->isChecked();
            continue;
        }
        const auto* editor = qobject_cast<const ExactTextEdit*>(control);
        o.*std::get<std::u16string workflow::OptionSet::*>(field.member) =
            editor != nullptr ? editor->ExactText()
                              : static_cast<QLineEdit*>(control)->text().toStdU16String();
    }
    o.Rules = engine::RowOf(sourceReading_.language).rules;
    return o;
}

std::array<QLineEdit*, engine::kMarkerFields.size()> Form1::MarkerBoxes() const {
    return {Text4, Text6, Text7, Text12, Text13};
}

void Form1::ShowMarkersOfSource() {
    const engine::LanguageRow& row = engine::RowOf(sourceReading_.language);
    for (std::size_t field = 0; field < engine::kMarkerFields.size(); ++field) {
        if (!typedMarkers_[field]) {
            MarkerBoxes()[field]->setText(QString::fromUtf16(
                row.markers[field].data(), static_cast<qsizetype>(row.markers[field].size())));
        }
    }
}

void Form1::ConnectHandlers() {
    connect(Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::clicked, this, &Form1::Check2_Click);
    connect(Check6, &QCheckBox::clicked, this, &Form1::Check6_Click);
    connect(Check7, &QCheckBox::clicked, this, &Form1::Check7_Click);
    connect(Check9, &QCheckBox::clicked, this, &Form1::Check9_Click);
    connect(Check10, &QCheckBox::clicked, this, &Form1::Check10_Click);
    connect(Check11, &QCheckBox::clicked, this, &Form1::Check11_Click);
    connect(Label10, &ClickableLabel::clicked, this, &Form1::Label10_Click);
    connect(Image1, &ClickableLabel::clicked, this, &Form1::Image1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { OpenFolder(FolderList::PathOf(item)); });
    connect(Dir1, &QListWidget::itemClicked, this, &Form1::Dir1_Click);
    connect(Dir1, &FolderList::selectedByKey, this, &Form1::Dir1_Click);
    connect(File1, &FileList::picked, this, &Form1::File1_Click);
    connect(Text8, &QLineEdit::textEdited, this, &Form1::Text8_Change);
    connect(Text8, &QLineEdit::returnPressed, this, [this] { Text8_KeyPress(13); });
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    for (std::size_t field = 0; field < engine::kMarkerFields.size(); ++field) {
        connect(MarkerBoxes()[field], &QLineEdit::textEdited, this,
                [this, field] { typedMarkers_.set(field); });
    }

    connect(Check8, &QCheckBox::clicked, this, &Form1::Check8_Click);
    connect(Text11, &QLineEdit::textEdited, this, &Form1::Text11_Change);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
}

void Form1::PostMessage(const QString& caption, bool blink) {
    const bool warning = caption.startsWith(QStringLiteral("警告:"));
    const bool caution = warning || caption.startsWith(QStringLiteral("注意:"));
    ShowOnTipLine(caption, caution ? kRed : kBlue, blink);
    if (warning) {
        Beep();
    }
}

void Form1::PostFittedMessage(const QString& path,
                              const std::function<QString(const QString&)>& caption) {
    const QRect box = Label10->contentsRect();
    const QFontMetrics metrics(Label10->font());
    const auto fits = [&](const QString& text) {
        const QRect needed = metrics.boundingRect(QRect(0, 0, box.width(), box.height() * 4),
                                                  Qt::TextWordWrap, text);
        return needed.width() <= box.width() && needed.height() <= box.height();
    };
    const auto shortened = [&](qsizetype keep) {
        return keep >= path.size() ? path
                                   : path.left(keep / 2) + u'…' + path.right(keep - keep / 2);
    };
    // The longest shortening that fits: few layouts, whatever the length of the path.
    qsizetype fitting = 0;
    for (qsizetype low = 0, high = path.size(); low <= high;) {
        const qsizetype keep = (low + high) / 2;
        if (fits(caption(shortened(keep)))) {
            fitting = keep;
            low = keep + 1;
        } else {
            high = keep - 1;
        }
    }
    PostMessage(caption(shortened(fitting)));
}

void Form1::PostTourTip(const QString& caption) {
    ShowOnTipLine(caption, kTeal, true);
}

void Form1::ShowOnTipLine(const QString& caption, const QColor& colour, bool blink) {
    Label10->setText(caption);
    QPalette palette = Label10->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label10->setPalette(palette);
    if (blink) {
        BlinkCount = 0;
    }
}

void Form1::Beep() {
    QApplication::beep();
    emit Beeped();
}

void Form1::mouseReleaseEvent(QMouseEvent* event) {
    // Only the bare window counts; the frames let clicks through, as outlines should.
    if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr) {
        Form_Click();
    }
}

}  // namespace window
