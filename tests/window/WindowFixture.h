#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "window/ExactTextEdit.h"
#include "window/Form1.h"

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
