// The Settings dialog: shows the state of SettingsDialogState and forwards
// option clicks, mouse presses on Option6, edits and the three buttons to
// it. It is modeless and is deleted when it closes; what lasts from one
// opening to the next lives in the state.
#pragma once

#include "settings/qt_folder_chooser.h"
#include "settings/settings_dialog_front.h"
#include "settings/settings_dialog_state.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QRadioButton;

namespace bayhaul {

class Settings : public QWidget, public SettingsDialogFront {
    Q_OBJECT

public:
    // Opens the dialog over `state`, centred on the screen. Folders are
    // picked with `chooser`, or with Qt's directory dialog when none is given.
    explicit Settings(SettingsDialogState& state, QWidget* parent = nullptr, FolderChooser* chooser = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void Connect();
    void CentreOnScreen();

    void ShowBoxText(const char* name, const std::string& text) override;
    void ShowOption(const char* name, bool selected) override;
    void ShowError(const std::string& text) override;
    void FocusBox(const char* name) override;
    void CloseDialog() override;

    QtFolderChooser qtChooser_;
    FolderChooser& chooser_;

    // The controls the dialog handles itself; the others are found by name.
    QRadioButton* Option6 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    QLabel* lblError = nullptr;
};

}  // namespace bayhaul
