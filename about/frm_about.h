// The About box: the program's icon, name and version, in a small modeless
// window.
#pragma once

#include <QWidget>

class QLabel;

namespace bayhaul {

class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Closes the box; the main window calls it when it closes.
    void cmdOK_Click();

protected:
    // Escape and Enter close the box.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
};

}  // namespace bayhaul
