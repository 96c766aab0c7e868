#pragma once

#include <QPlainTextEdit>
#include <QTimer>

#include <optional>
#include <string>

namespace window {

/// A plain-text editor that keeps the exact text the program put into it: until the user types,
/// ExactText() gives that text back unchanged (lone CR or LF included), whatever the widget made
/// of its line breaks for display. After the user edits, the widget's lines are joined with the
/// text's main line break. Shift+Enter starts a new line like Enter, so that every line the user
/// types ends in a real line break and the counter counts what the commands use. Tab and
/// Shift+Tab move the focus, as everywhere in the window, and never type into the text.
///
/// Qt's document takes some 3 microseconds a line to build, seconds for a large source, so a long
/// text is shown a slice at a time: the first at once, the rest while the event loop is idle. The
/// editor is read-only until the whole text is in; the kept text is complete all along.
class ExactTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ExactTextEdit(QWidget* parent = nullptr);

    /// Shows `text` and keeps it; `lineBreak` joins the lines once the user has edited them.
    void SetExactText(std::u16string text, std::u16string lineBreak = u"\r\n");
    /// Shows and keeps `text` set in `face` instead of the editor's own font, until the next text
    /// is set: for a text laid out in the columns of one face, as a picture drawn in characters.
    void SetTextInFace(std::u16string text, const QFont& face);
    /// The text as the program put it in, or as the user has since edited it.
    std::u16string ExactText() const;
    /// Characters in ExactText(), a line break counting as many as it has; cheap on any size.
    qsizetype Length() const;
    /// The main line break of the text, which joins the lines the user types.
    const std::u16string& LineBreak() const { return lineBreak_; }
    /// Whether the whole text is in the widget yet.
    bool FullyShown() const { return shown_ >= exact_.size() || userEdited_; }
    /// While suspended, texts are kept but not shown: for runs that repaint nothing meanwhile.
    /// Resuming shows the text kept last.
    void SuspendDisplay(bool suspended);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Show(std::u16string text, std::u16string lineBreak, std::optional<QFont> face);
    void ShowNextSlice();

    std::u16string exact_;
    std::u16string lineBreak_ = u"\r\n";
    std::optional<QFont> face_;  // of the text shown; the editor's own font when none
    bool settingText_ = false;
    bool userEdited_ = false;
    std::size_t shown_ = 0;  // how much of exact_ the widget holds
    bool suspended_ = false;
    bool setWhileSuspended_ = false;
    QTimer* filler_;
};

}  // namespace window
