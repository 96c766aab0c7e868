#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "../workflow/TempFolder.h"
#include "window/BrowsingLists.h"
#include "window/ExactTextEdit.h"
#include "window/Form1.h"

/// The tip line's colours as the user sees them.
inline const QColor kBlue(0, 0, 255);
inline const QColor kRed(255, 0, 0);
inline const QColor kTeal(0, 128, 128);

/// A freshly started window, shown offscreen, with its controls found by their names.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<window::Form1>();
        beeps = std::make_unique<QSignalSpy>(form.get(), &window::Form1::Beeped);
        form->show();
    }

    template <class Widget = QWidget>
    Widget* Find(const char* name) const {
        auto* widget = form->findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLabel* TipLine() const { return Find<QLabel>("Label10"); }
    QString Tip() const { return TipLine()->text(); }
    QColor TipColour() const { return TipLine()->palette().color(QPalette::WindowText); }
    /// Whether the tip line reads `before`, `path`, `after`, the path whole or, where the message
    /// would not fit, shortened in its middle to a start and an end joined by "…".
    bool TipShows(const QString& before, const QString& path, const QString& after) const {
        const QString tip = Tip();
        if (!tip.startsWith(before) || !tip.endsWith(after)) {
            return false;
        }
        const QString shown = tip.mid(before.size(), tip.size() - before.size() - after.size());
        const qsizetype cut = shown.indexOf(u'…');
        return shown == path ||
               (cut >= 0 && path.startsWith(shown.left(cut)) && path.endsWith(shown.mid(cut + 1)));
    }
    bool Shown(const char* name) const { return !Find(name)->isHidden(); }
    void Toggle(const char* name) const { Find<QCheckBox>(name)->click(); }
    void ClickTipLine() const { QTest::mouseClick(TipLine(), Qt::LeftButton); }
    void ClickMascot() const { QTest::mouseClick(Find("Image1"), Qt::LeftButton); }

    int Beeps() const { return static_cast<int>(beeps->count()); }
    int BlinkCount() const { return form->property("BlinkCount").toInt(); }
    int TipIndex() const { return form->property("TipIndex").toInt(); }

    std::unique_ptr<window::Form1> form;
    std::unique_ptr<QSignalSpy> beeps;
};

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
