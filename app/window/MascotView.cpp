#include "MascotView.h"

#include <QTimer>

namespace window {

MascotView::MascotView(QWidget* parent) : ClickableLabel(parent), timer_(new QTimer(this)) {
    for (const char* name : {":/art/duvo1.png", ":/art/duvo2.png", ":/art/duvo3.png"}) {
        frames_.append(QPixmap(QString::fromLatin1(name)));
    }
    setAlignment(Qt::AlignCenter);
    setPixmap(frames_.front());
    connect(timer_, &QTimer::timeout, this, &MascotView::ShowNextFrame);
    timer_->start(250);
}

void MascotView::ShowNextFrame() {
    frame_ = (frame_ + 1) % static_cast<int>(frames_.size());
    setPixmap(frames_[frame_]);
}

}  // namespace window
