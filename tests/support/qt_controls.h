// Finding a window's controls by their designer names, clicking them and
// reading what screen readers read of them, for tests of the real windows
// offscreen.
#pragma once

#include <QAccessible>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace bayhaul {

template <typename T>
T* Control(QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

inline void Click(QWidget* control, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(control, button, {}, control->rect().center());
}

// What Qt's accessibility interface gives screen readers of the control.
inline QString Accessible(QWidget* control, QAccessible::Text what = QAccessible::Name) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    EXPECT_NE(face, nullptr) << control->objectName().toStdString();
    return face != nullptr ? face->text(what) : QString();
}

}  // namespace bayhaul
