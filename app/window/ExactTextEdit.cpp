#include "ExactTextEdit.h"

#include <QTextDocument>

namespace window {

ExactTextEdit::ExactTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingText_ && !userEdited_) {
            userEdited_ = true;
            exact_ = {};  // the document is the text from now on
        }
    });
}

void ExactTextEdit::SetExactText(std::u16string text, std::u16string lineBreak) {
    settingText_ = true;
    setPlainText(QString::fromStdU16String(text));
    settingText_ = false;
    exact_ = std::move(text);
    lineBreak_ = std::move(lineBreak);
    userEdited_ = false;
}

std::u16string ExactTextEdit::ExactText() const {
    if (!userEdited_) {
        return exact_;
    }
    // Blocks are separated by U+2029 in the raw text; Shift+Enter puts a U+2028 inside a block.
    const QString raw = document()->toRawText();
    std::u16string text;
    text.reserve(static_cast<std::size_t>(raw.size()));
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
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
