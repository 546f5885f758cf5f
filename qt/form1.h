// Bayhaul's main window: shows the state of MainWindowState and forwards
// clicks and timer ticks to it. It is also the window the download runs in.
#pragma once

#include "about/frm_about.h"
#include "app/main_window_front.h"
#include "app/main_window_state.h"
#include "qt/qt_locale_text.h"
#include "qt/report_window.h"
#include "settings/settings_dialog.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace bayhaul {

struct ControlSpec;

class Form1 : public QWidget, public MainWindowFront {
    Q_OBJECT

public:
    // `clock`, `settingsPath`, `workers` and `devicePlatform` are the
    // program's own unless a test supplies others.
    // `pressLock` keeps two presses from running at once (empty: nothing
    // does); `stateFolder` holds the history and the replaced files' copies
    // (empty: none are kept).
    Form1(const Clock& clock, std::string settingsPath, std::shared_ptr<WorkerStarter> workers,
          DevicePlatformFactory devicePlatform,
          PressLockTaker pressLock = {}, std::string stateFolder = {}, QWidget* parent = nullptr);
    ~Form1() override;

    frmAbout* AboutBox() const { return about_; }
    ReportWindow* ReportBox() const { return report_; }

    // Opens the report of the last press (a click on the status line does).
    void OpenReport() override;
    Settings* SettingsBox() const { return settings_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    // Creates the control of that designer name where the layout puts it.
    template <typename Control>
    Control* Make(const char* name);
    void ShowStatusText(const std::string& text);

    // What the window does alike with the Win32 one.
    void ShowState() override;
    void Command6_Click() override;
    void Command7_Click() override;
    void RefreshReport() override;
    void CloseOwnedWindows() override;
    void CloseWindow() override;
    void RunOnWindowThread(std::function<void()> call) override;
    void ShowBusy(bool busy) override;

    // What the download sees of this window.
    void ShowStatus(const std::string& text) override;
    void ShowReport(const std::vector<PortReport>& report) override;
    void ShowProgress(int percent) override;
    void ShowProblem(const std::string& text) override;

    QtLocaleText locale_;
    MainWindowState ownState_;  // what MainWindowFront shows as state_

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
    QLabel* ProblemLine = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    QPixmap background_;
    QPointer<Settings> settings_;
    QPointer<frmAbout> about_;
    QPointer<ReportWindow> report_;
};

}  // namespace bayhaul
