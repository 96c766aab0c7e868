#pragma once

// The one window. Data flow: the user picks a file in the file list (File1); its text goes into
// the source editor (RichTextBox1). 消除 (Command1) takes a snapshot of the option controls on the
// left, runs the engine's two passes on the source text and puts the result, with header and
// footer, into the target editor (RichTextBox2); 保存 (Command2) writes that text beside the
// source. Every outcome is posted on the tip line (Label10); a 500 ms timer (Timer1) refreshes the
// character counters and makes the mascot (Image1) blink after each new message.

#include <QColor>

#include <QWidget>
#include <array>
#include <functional>

#include "engine/Languages.h"
#include "text/TextCodec.h"
#include "workflow/Batch.h"
#include "workflow/OptionSet.h"
#include "workflow/Pipeline.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace window {

class ClickableLabel;
class DriveList;
class ExactTextEdit;
class FileList;
class FolderList;
class MascotView;

/// Colours of the tip line.
inline const QColor kBlue(0, 0, 255);
inline const QColor kRed(255, 0, 0);
inline const QColor kTeal(0, 128, 128);

class Form1 : public QWidget {
    Q_OBJECT
    // The window's guidance counters: ticks blinked since the last new message (0 to 4), and the
    // tour position that the next click on the tip line shows.
    Q_PROPERTY(qint16 BlinkCount MEMBER BlinkCount)
    Q_PROPERTY(qint16 TipIndex MEMBER TipIndex)
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    /// Opens a folder in the lists, or a file's folder with the file picked, as a click in the
    /// lists does: for a file given on the command line or dropped on the window.
    void OpenPath(const QString& path);

    /// The options as the controls hold them now, visible or not, with the lexical rules of the
    /// language the source in Text1 is read in.
    workflow::OptionSet CurrentOptions() const;

signals:
    /// The system beep has sounded.
    void Beeped();

public slots:
    // Event handlers, named after their control and event.
    void Form_Load();
    void Form_Click();
    void Check1_Click();
    void Check2_Click();
    void Check6_Click();
    void Check7_Click();
    void Check9_Click();
    void Check10_Click();
    void Check11_Click();
    void Label10_Click();
    void Image1_Click();
    void Timer1_Timer();
    // Browsing
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click();
    void Text8_Change();
    void Text8_KeyPress(int keyAscii);
    void Command3_Click();
    // One file: pick, target path, eliminate, save, auto
    void File1_Click();
    void Check8_Click();
    void Text11_Change();
    void Command1_Click();
    /// Saves the target editor's text; the batch run learns from the outcome how it went.
    workflow::WriteOutcome Command2_Click();
    void Command4_Click();
    // A whole folder
    void Command5_Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateOptionColumn();
    void CreateBrowsingColumn();
    void CreatePathsAndEditors();
    void CreateProgressBand();
    void CreateTipBand();
    void CreateFrames();
    /// The focus order, and the keys that move the focus and press buttons.
    void SetKeyboardNavigation();
    void ConnectHandlers();
    /// Sets every option control from `options`: the inverse of CurrentOptions().
    void ShowOptions(const workflow::OptionSet& options);
    /// The marker boxes, in the order of engine::kMarkerFields.
    std::array<QLineEdit*, engine::kMarkerFields.size()> MarkerBoxes() const;
    /// Shows the markers of the language the source in Text1 is read in, in every marker box the
    /// user has not typed in.
    void ShowMarkersOfSource();

    void BuildSourcePath();
    /// Loads the file named in Text1; returns why it could not be read, or no failure.
    workflow::Failure LoadSourceFile();
    /// Shows a file as read (or why it could not be) in the editors and on the tip line.
    workflow::Failure ShowSourceFile(workflow::ReadOutcome& read);
    void BuildTargetPath();
    /// The batch run's three stages: prepare the window, run one file through the single-file
    /// handlers, and show the report and the summary.
    void BeginBatch(qsizetype files);
    workflow::FileOutcome RunBatchFile(const QString& folder, const workflow::BatchSource& source);
    void EndBatch(const QString& folder, qsizetype notClean);
    /// Opens `path` in the folder list, raising Dir1_Change when the path changes; a folder that
    /// cannot be opened is reported and nothing moves. Returns whether the list is on `path`.
    bool OpenFolder(const QString& path);

    /// Posts a message on the tip line, and the mascot starts to blink unless `blink` is false.
    /// The caption's prefix sets the tone: "提示:" a hint in blue, "注意:" a caution in red,
    /// "警告:" a warning in red with a beep; an empty caption is blue. With PostTourTip, the one
    /// way any handler writes the tip line.
    void PostMessage(const QString& caption, bool blink = true);
    /// Posts the caption that `caption` makes around `path`, the path shortened in its middle
    /// ("…", its start and end kept) until the whole message fits the tip line's box.
    void PostFittedMessage(const QString& path,
                           const std::function<QString(const QString&)>& caption);
    /// Posts a tip of the tour, in teal.
    void PostTourTip(const QString& caption);
    void ShowOnTipLine(const QString& caption, const QColor& colour, bool blink);
    /// Sounds the system beep.
    void Beep();
    /// Shows `shown` and hides `hidden`, then posts the message of an option toggle.
    void AnswerToggle(std::initializer_list<QWidget*> shown, std::initializer_list<QWidget*> hidden,
                      const QString& caption, bool blink = true);

    // Option column
    QCheckBox* Check1;
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5;
    QCheckBox* Check6;
    QCheckBox* Check7;
    QCheckBox* Check9;
    QCheckBox* Check10;
    QCheckBox* Check11;
    QLineEdit* Text4;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QLineEdit* Text12;
    QLineEdit* Text13;
    ExactTextEdit* Text9;
    ExactTextEdit* Text10;
    // Browsing column
    DriveList* Drive1;
    FolderList* Dir1;
    FileList* File1;
    // Paths and editors
    QLineEdit* Text8;
    QPushButton* Command3;
    QLabel* Label3;
    QLineEdit* Text1;
    ExactTextEdit* RichTextBox1;
    QCheckBox* Check8;
    QLabel* Label9;
    QLineEdit* Text11;
    QLabel* Label5;
    QLineEdit* Text5;
    ExactTextEdit* RichTextBox2;
    // Progress band and tip band
    QProgressBar* ProgressBar1;
    QProgressBar* ProgressBar2;
    MascotView* Image1;
    ClickableLabel* Label10;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command4;
    QPushButton* Command5;
    QTimer* Timer1;

    codec::TextEncoding sourceEncoding_ = codec::TextEncoding::Gbk;  // of the loaded source
    workflow::SourceFacts sourceFacts_;                              // of the loaded source
    engine::Reading sourceReading_{engine::Language::Assembler};     // how it is read
    // The file picked, by its folder held open since the pick: 保存 writes beside it into that
    // folder, even if another has been put at its path since.
    std::optional<workflow::FileRef> pickedSource_;
    // During 批量: the folder, held open, and the file of the run now being cleaned.
    std::shared_ptr<const workflow::Folder> batchFolder_;
    workflow::FileRef batchSource_;
    engine::TypedMarkers typedMarkers_;  // marker boxes the user has typed in
    std::array<QWidget*, workflow::kOptionFields.size()> optionControls_{};  // by table row
    qsizetype BatchFileCount;  // set by 批量 as it starts, and read only while it runs
    QString BatchReport;
    // Both set by Form_Load, which the constructor runs before anything reads them.
    qint16 BlinkCount;
    qint16 TipIndex;
};

}  // namespace window
