#pragma once

#include <QList>
#include <QPixmap>

#include "ClickableLabel.h"

class QTimer;

namespace window {

/// The mascot duvo: a 32 x 32 rabbit whose eyes go open, closed, half shut, 250 ms a frame,
/// without end. A click on it is reported like a click on a label.
class MascotView : public ClickableLabel {
    Q_OBJECT
public:
    explicit MascotView(QWidget* parent = nullptr);

private:
    void ShowNextFrame();

    QList<QPixmap> frames_;
    QTimer* timer_;
    int frame_ = 0;
};

}  // namespace window
