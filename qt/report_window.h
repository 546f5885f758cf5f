// The report window of the Qt front end: shows LastPressReport, opens the
// history and the folder of received files (xdg-open), closes with Escape.
// Modeless, like the program's other windows.
#pragma once

#include <QWidget>

#include "app/place_opener.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace bayhaul {

class MainWindowState;

class ReportWindow final : public QWidget {
    Q_OBJECT

public:
    ReportWindow(const MainWindowState& state, QWidget* owner);

    // Shows the state's report as it is now.
    void Refresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    const MainWindowState& state_;
    QPlainTextEdit* text_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* openHistory_ = nullptr;
    PlaceOpener opener_;
};

}  // namespace bayhaul
