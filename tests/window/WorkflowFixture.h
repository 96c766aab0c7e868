#pragma once

#include <QDir>
#include <QListWidget>

#include "../workflow/TempFolder.h"
#include "WindowFixture.h"
#include "window/BrowsingLists.h"

/// A window started inside a temporary folder that holds the given files.
class WorkflowTest : public WindowTest {
protected:
    void SetUp() override {}  // each test writes its files first, then calls Start()
    void TearDown() override { QDir::setCurrent(saved_); }

    void Start() {
        saved_ = QDir::currentPath();
        QDir::setCurrent(folder.Root());
        WindowTest::SetUp();
    }

    /// Selects `name` in the file list, as a click or the arrow keys do.
    void Pick(const QString& name) {
        auto* files = Find<window::FileList>("File1");
        const auto found = files->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        files->setCurrentItem(found.front());
    }

    /// Opens the listed folder at `path`, as a double click or Enter does.
    void OpenFolder(const QString& path) {
        auto* folders = Find<window::FolderList>("Dir1");
        for (int row = 0; row < folders->count(); ++row) {
            if (window::FolderList::PathOf(folders->item(row)) == path) {
                emit folders->itemActivated(folders->item(row));
                return;
            }
        }
        ADD_FAILURE() << "not listed: " << path.toStdString();
    }

    std::u16string SourceText() const {
        return Find<window::ExactTextEdit>("RichTextBox1")->ExactText();
    }
    std::u16string TargetText() const {
        return Find<window::ExactTextEdit>("RichTextBox2")->ExactText();
    }
    QString SourcePath() const { return Find<QLineEdit>("Text1")->text(); }
    QString TargetPath() const { return Find<QLineEdit>("Text5")->text(); }
    void Press(const char* button) const { Find<QPushButton>(button)->click(); }

    TempFolder folder;

private:
    QString saved_;
};
