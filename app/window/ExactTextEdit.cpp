#include "ExactTextEdit.h"

#include <QKeyEvent>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace window {
namespace {

// About 8,000 lines of source: some 30 ms of document building, short enough not to be felt.
constexpr std::size_t kSlice = 256 * 1024;

// The Song face draws its underscore below the bottom of its line box, where the next line's
// painting and scrolling cut it off. Text raised by a tenth of a line keeps every glyph whole.
QTextCharFormat RaisedText(const std::optional<QFont>& face) {
    QTextCharFormat format;
    format.setBaselineOffset(10);
    if (face) {
        format.setFont(*face);
    }
    return format;
}

}  // namespace

ExactTextEdit::ExactTextEdit(QWidget* parent) : QPlainTextEdit(parent), filler_(new QTimer(this)) {
    setTabChangesFocus(true);
    filler_->setInterval(0);
    connect(filler_, &QTimer::timeout, this, &ExactTextEdit::ShowNextSlice);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingText_ && !userEdited_) {
            userEdited_ = true;
            exact_ = {};  // the document is the text from now on
        }
    });
}

void ExactTextEdit::SetExactText(std::u16string text, std::u16string lineBreak) {
    Show(std::move(text), std::move(lineBreak), std::nullopt);
}

void ExactTextEdit::SetTextInFace(std::u16string text, const QFont& face) {
    Show(std::move(text), u"\r\n", face);
}

void ExactTextEdit::Show(std::u16string text, std::u16string lineBreak, std::optional<QFont> face) {
    exact_ = std::move(text);
    lineBreak_ = std::move(lineBreak);
    face_ = std::move(face);
    userEdited_ = false;
    shown_ = 0;
    if (suspended_) {
        setWhileSuspended_ = true;
        return;
    }
    settingText_ = true;
    document()->setUndoRedoEnabled(false);  // a slice is no step the user could undo
    clear();
    QTextCursor(document()).setBlockCharFormat(RaisedText(face_));  // what the user types, too
    settingText_ = false;
    ShowNextSlice();
    moveCursor(QTextCursor::Start);  // the first slice carried it along; later ones go past it
}

void ExactTextEdit::SuspendDisplay(bool suspended) {
    suspended_ = suspended;
    if (!suspended && setWhileSuspended_) {
        setWhileSuspended_ = false;
        Show(std::move(exact_), std::move(lineBreak_), std::move(face_));
    }
}

void ExactTextEdit::ShowNextSlice() {
    std::size_t end = std::min(exact_.size(), shown_ + kSlice);
    if (end < exact_.size() && exact_[end - 1] == u'\r' && exact_[end] == u'\n') {
        ++end;  // a CR LF split between slices would show as two line breaks
    }
    settingText_ = true;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(
        QString::fromUtf16(exact_.data() + shown_, static_cast<qsizetype>(end - shown_)),
        RaisedText(face_));
    settingText_ = false;
    shown_ = end;
    const bool complete = FullyShown();
    setReadOnly(!complete);
    if (complete) {
        filler_->stop();
        document()->setUndoRedoEnabled(true);
    } else if (!filler_->isActive()) {
        filler_->start();
    }
}

void ExactTextEdit::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ShiftModifier)) {
        // Shift+Enter would put a U+2028 inside the line, which is no line break of the file.
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

std::u16string ExactTextEdit::ExactText() const {
    if (!userEdited_) {
        return exact_;
    }
    // Blocks are separated by U+2029 in the raw text. A U+2028 is a character the text holds.
    const QString raw = document()->toRawText();
    std::u16string text;
    text.reserve(static_cast<std::size_t>(raw.size()));
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator) {
            text += lineBreak_;
        } else {
            text += c.unicode();
        }
    }
    return text;
}

qsizetype ExactTextEdit::Length() const {
    if (!userEdited_) {
        return static_cast<qsizetype>(exact_.size());
    }
    // characterCount() holds one separator per block and one more at the end.
    const qsizetype blocks = document()->blockCount();
    return document()->characterCount() - 1 +
           (blocks - 1) * (static_cast<qsizetype>(lineBreak_.size()) - 1);
}

}  // namespace window
