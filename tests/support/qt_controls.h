// Finding a window's controls by their designer names, and clicking them,
// for tests of the real windows offscreen.
#pragma once

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

}  // namespace bayhaul
