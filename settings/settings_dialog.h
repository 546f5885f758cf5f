// The Settings dialog: shows the state of SettingsDialogState and forwards
// option clicks, mouse presses on Option6, edits and the three buttons to
// it. It is modeless and is deleted when it closes; what lasts from one
// opening to the next lives in the state.
#pragma once

#include "settings/qt_folder_chooser.h"
#include "settings/settings_dialog_state.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bayhaul {

class Settings : public QWidget {
    Q_OBJECT

public:
    // Opens the dialog over `state`, centred on the screen. Folders are
    // picked with `chooser`, or with Qt's directory dialog when none is given.
    explicit Settings(SettingsDialogState& state, QWidget* parent = nullptr, FolderChooser* chooser = nullptr);

    void cmdOK_Click();      // saves, then closes unless the file could not be written
    void cmdApply_Click();   // saves and stays open
    void cmdCancel_Click();  // closes without saving; the main window calls it when it closes

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void Connect();
    // Creates the control of that designer name where the layout puts it.
    template <typename Control>
    Control* Make(const char* name);
    void CentreOnScreen();
    // Copies the state onto the controls.
    void ShowState();

    SettingsDialogState& state_;
    QtFolderChooser qtChooser_;
    FolderChooser& chooser_;

    QLabel* picOptions = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option5 = nullptr;
    QRadioButton* Option6 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option7 = nullptr;
    QRadioButton* Option8 = nullptr;
    QRadioButton* Option9 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* Option10 = nullptr;
    QRadioButton* Option11 = nullptr;
    QRadioButton* Option12 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    QLabel* lblError = nullptr;
};

}  // namespace bayhaul
