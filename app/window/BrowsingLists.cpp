#include "BrowsingLists.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include "workflow/Browsing.h"
#include "workflow/FileNames.h"

namespace window {
namespace {

constexpr int kPathRole = Qt::UserRole;

QListWidgetItem* FolderItem(const QString& name, const QString& path, int depth) {
    auto* item = new QListWidgetItem(QString(depth * 2, u' ') + name);
    item->setData(kPathRole, path);
    return item;
}

}  // namespace

void DriveList::ShowVolumesFor(const QString& path) {
    const QSignalBlocker quiet(this);
    clear();
    const QList<workflow::Volume> volumes = workflow::ListVolumes();
    for (const workflow::Volume& volume : volumes) {
        addItem(workflow::VolumeEntryText(volume), volume.mountPath);
    }
    setCurrentIndex(static_cast<int>(workflow::VolumeHolding(volumes, path)));
}

void DriveList::showPopup() {
    ShowVolumesFor(currentData().toString());
    QComboBox::showPopup();
}

void FolderList::SetPath(const QString& path) {
    path_ = path;
    clear();
    const QStringList chain = workflow::FolderChain(path);
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QString& folder = chain[depth];
        addItem(FolderItem(depth == 0 ? folder : folder.section(u'/', -1), folder, depth));
    }
    setCurrentRow(static_cast<int>(chain.size()) - 1);
    for (const QString& name : workflow::Subfolders(path)) {
        addItem(FolderItem(name, workflow::JoinPath(path, name), static_cast<int>(chain.size())));
    }
}

QString FolderList::PathOf(const QListWidgetItem* item) {
    return item ? item->data(kPathRole).toString() : QString();
}

void FolderList::keyboardSearch(const QString& search) {
    if (!lastTyped_.isValid() || lastTyped_.elapsed() > QApplication::keyboardInputInterval()) {
        typed_.clear();
    }
    typed_ += search;
    lastTyped_.restart();
    // A first key looks past the current entry; more keys refine the current one.
    const int start = currentRow() + (typed_.size() == search.size() ? 1 : 0);
    for (int i = 0; i < count(); ++i) {
        const int row = (start + i) % count();
        if (item(row)->text().trimmed().startsWith(typed_, Qt::CaseInsensitive)) {
            setCurrentRow(row);
            return;
        }
    }
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before) {
        emit selectedByKey();
    }
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    // A refill leaves no file current, and the focus coming in makes its change with the list's
    // signals blocked: a current file seen here is the user's pick.
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            emit picked();
        }
    });
}

void FileList::mousePressEvent(QMouseEvent* event) {
    QListWidgetItem* item = itemAt(event->position().toPoint());
    pressedCurrent_ = item != nullptr && item == currentItem() ? item : nullptr;
    QListWidget::mousePressEvent(event);
}

void FileList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (pressedCurrent_ != nullptr && itemAt(event->position().toPoint()) == pressedCurrent_) {
        emit picked();  // picking the same file again reloads it
    }
    pressedCurrent_ = nullptr;
}

void FileList::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentItem() != nullptr;
    const QSignalBlocker quiet(this);
    QListWidget::focusInEvent(event);
    if (!hadCurrent) {
        setCurrentItem(nullptr);  // so that the first arrow key picks the first file
    }
}

void FileList::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (!hasFocus() || currentItem() != nullptr) {
        return;  // a current file shows the focus itself
    }
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
    option.state |= QStyle::State_KeyboardFocusChange;  // some styles draw it for the keyboard only
    QStylePainter(viewport()).drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void FileList::SetPath(const QString& path) {
    path_ = path;
    Refill();
}

void FileList::SetPattern(const QString& pattern) {
    pattern_ = pattern;
    Refill();
}

void FileList::Refill() {
    clear();
    if (!path_.isEmpty()) {
        addItems(workflow::MatchingFiles(path_, pattern_));
    }
    setCurrentRow(-1);
}

}  // namespace window
