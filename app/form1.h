// Bayhaul's main window: shows the state of MainWindowState and forwards
// clicks and timer ticks to it.
#pragma once

#include "about/frm_about.h"
#include "app/main_window_state.h"
#include "app/qt_locale_text.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace bayhaul {

class Form1 : public QWidget {
    Q_OBJECT

public:
    // `clock` and `settingsPath` are the program's own unless a test
    // supplies others.
    explicit Form1(const Clock& clock, std::string settingsPath, QWidget* parent = nullptr);
    ~Form1() override;

    MainWindowState& State() { return state_; }
    frmAbout* AboutBox() const { return about_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    // Positions a control at a place given in twips.
    void Place(QWidget* control, int left, int top, int width, int height);
    // Copies the state onto the controls.
    void Show();

    void Command7_Click();

    QtLocaleText locale_;
    MainWindowState state_;

    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    QPixmap background_;
    QPointer<frmAbout> about_;
};

}  // namespace bayhaul
