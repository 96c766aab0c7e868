#pragma once

#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>

namespace window {

/// The drive list: the mounted volumes, each shown by its mount path (and label).
class DriveList : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    /// Lists the volumes now mounted and selects the one that holds `path`, without raising a
    /// change.
    void ShowVolumesFor(const QString& path);

protected:
    /// Volumes come and go: the list is read again each time it opens.
    void showPopup() override;
};

/// The folder list: the chain of folders from "/" down to the open folder, then its subfolders,
/// each indented one step deeper than its parent.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    /// The open folder.
    const QString& path() const { return path_; }
    /// Opens `path`: the list shows its chain and subfolders, the open folder selected.
    void SetPath(const QString& path);
    /// The full path of an entry.
    static QString PathOf(const QListWidgetItem* item);
    /// Typing jumps to the next entry whose name starts with what was typed; the indentation
    /// before the names does not count.
    void keyboardSearch(const QString& search) override;

signals:
    /// The user moved the selection with the keyboard (arrows or typing).
    void selectedByKey();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString path_;
    QString typed_;  // what was typed in quick succession
    QElapsedTimer lastTyped_;
};

/// The file list: the files of a folder that match a pattern of ";"-separated wildcards.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);
    const QString& path() const { return path_; }
    const QString& pattern() const { return pattern_; }
    void SetPath(const QString& path);
    void SetPattern(const QString& pattern);

signals:
    /// The user moved the selection to a file (click or arrow keys) or clicked the selected one.
    void picked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    /// Tabbing into the list makes the first file current; that is no pick and loads nothing.
    void focusInEvent(QFocusEvent* event) override;
    /// With the focus and no current file, the list marks its focus around its whole inside.
    void paintEvent(QPaintEvent* event) override;

private:
    void Refill();

    QString path_;
    QString pattern_;
    QListWidgetItem* pressedCurrent_ = nullptr;  // the selected item, when a press lands on it
};

}  // namespace window
