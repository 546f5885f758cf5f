// Qt: a window's control made from its entry in the layout table, where the
// table puts it, under its designer name and with what it shows.
#pragma once

#include "ui/control_table.h"
#include "ui/qt_twips.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <type_traits>

namespace bayhaul {

template <typename Control>
Control* MakeControl(QWidget& window, const ControlSpec& layout) {
    QWidget* parent = layout.frame ? window.findChild<QWidget*>(QString::fromLatin1(layout.frame)) : &window;
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(layout.name));
    control->setGeometry(TwipsToPixels(layout.place, window));
    if constexpr (std::is_base_of_v<QCheckBox, Control>) {
        // A box shows only its box: the label beside it carries the caption,
        // which screen readers read as the box's name.
        control->setAccessibleName(QString::fromLatin1(AccessibleName(layout)));
    } else if constexpr (std::is_base_of_v<QLabel, Control> || std::is_base_of_v<QAbstractButton, Control>) {
        control->setText(QString::fromLatin1(layout.text));
    }
    if (layout.accessibleName != nullptr) control->setAccessibleName(QString::fromLatin1(layout.accessibleName));
    return control;
}

}  // namespace bayhaul
