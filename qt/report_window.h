// The report window of the Qt front end: shows LastPressReport, opens the
// history, closes with Escape. Modeless, like the program's other windows.
#pragma once

#include <QWidget>

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
    QPushButton* openHistory_ = nullptr;
};

}  // namespace bayhaul
