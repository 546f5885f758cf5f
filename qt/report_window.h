// The report window of the Qt front end, the press's live view: the
// status (LastPressReport) and a row per port, refreshed as the press goes
// and kept after it; opens the history and the folder of received files
// (xdg-open); closes with Escape. Modeless, like the program's other
// windows, so it can stay open beside the main window.
#pragma once

#include <QWidget>

#include "app/place_opener.h"

class QLabel;
class QPlainTextEdit;
class QTableView;
class QPushButton;

namespace bayhaul {

class MainWindowState;
class ReportModel;

class ReportWindow final : public QWidget {
    Q_OBJECT

public:
    ReportWindow(MainWindowState& state, QWidget* owner);

    // Shows the state's report as it is now.
    void Refresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    MainWindowState& state_;
    QPlainTextEdit* text_ = nullptr;
    ReportModel* model_ = nullptr;
    QTableView* rows_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* openHistory_ = nullptr;
    PlaceOpener opener_;
};

}  // namespace bayhaul
