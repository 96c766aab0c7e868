#pragma once

#include <QObject>

namespace window {

/// Holds the window for a long run: a busy cursor while it lasts, and the clicks and keys that
/// arrived meanwhile are dropped when it ends instead of being replayed on a changed window.
class InputHold final : public QObject {
public:
    InputHold();
    ~InputHold() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace window
