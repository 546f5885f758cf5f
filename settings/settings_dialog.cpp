#include "settings/settings_dialog.h"

#include "settings/settings_dialog_layout.h"
#include "ui/qt_control.h"
#include "ui/qt_twips.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <string_view>

namespace bayhaul {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

Settings::Settings(SettingsDialogState& state, QWidget* parent, FolderChooser* chooser)
    : QWidget(parent, Qt::Dialog), SettingsDialogFront(state), qtChooser_(this), chooser_(chooser ? *chooser : qtChooser_) {
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(QString::fromLatin1(kSettingsDialogCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsToPixels(kSettingsDialogWidthTwips, logicalDpiX()),
                 TwipsToPixels(kSettingsDialogHeightTwips, logicalDpiY()));
    QFont controlFont(QStringLiteral("Arial"));
    controlFont.setPointSizeF(8);
    setFont(controlFont);
    BuildControls();
    Connect();

    CentreOnScreen();
    state_.Load();
    ShowState();
}

void Settings::BuildControls() {
    // In the table's order: each group before its options.
    for (const ControlSpec& layout : SettingsDialogControls()) {
        switch (layout.kind) {
            case ControlKind::Picture:
            case ControlKind::Label:
                MakeControl<QLabel>(*this, layout);
                break;
            case ControlKind::TextBox:
                MakeControl<QLineEdit>(*this, layout);
                break;
            case ControlKind::Frame:
                MakeControl<QGroupBox>(*this, layout);
                break;
            case ControlKind::OptionButton:
                MakeControl<QRadioButton>(*this, layout);
                break;
            default:  // OK, Cancel and Apply
                MakeControl<QPushButton>(*this, layout);
                break;
        }
    }
    auto* picOptions = findChild<QLabel*>(QStringLiteral("picOptions"));
    picOptions->setPixmap(QPixmap(QStringLiteral(":/settings/background.png")));
    picOptions->setScaledContents(true);
    findChild<QLabel*>(QStringLiteral("Label2"))->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblError = findChild<QLabel*>(QStringLiteral("lblError"));
    lblError->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(QColor(QRgb(kErrorTextColour)).name()));

    cmdOK = findChild<QPushButton*>(QStringLiteral("cmdOK"));
    cmdCancel = findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    cmdApply = findChild<QPushButton*>(QStringLiteral("cmdApply"));
    // Enter on a focused button presses that button; anywhere else it is OK.
    for (QPushButton* button : {cmdOK, cmdCancel, cmdApply}) button->setAutoDefault(true);
    cmdOK->setDefault(true);
    // A press on Option6 opens the folder chooser, whichever mouse button.
    Option6 = findChild<QRadioButton*>(QStringLiteral("Option6"));
    Option6->installEventFilter(this);
}

void Settings::Connect() {
    for (const ControlSpec& layout : SettingsDialogControls()) {
        const std::string_view name = layout.name;
        if (layout.kind == ControlKind::OptionButton) {
            connect(findChild<QRadioButton*>(QString::fromLatin1(layout.name)), &QRadioButton::clicked, this,
                    [this, name] { OptionClicked(name); });
        } else if (layout.kind == ControlKind::TextBox) {
            connect(findChild<QLineEdit*>(QString::fromLatin1(layout.name)), &QLineEdit::textEdited, this,
                    [this, name](const QString& text) { TextEdited(name, text.toStdString()); });
        }
    }
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
}

void Settings::CentreOnScreen() {
    const QRect area = screen()->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

// Replacing a box's text moves its cursor to the end, so a box that already
// shows the text is left alone.
void Settings::ShowBoxText(const char* name, const std::string& text) {
    auto* box = findChild<QLineEdit*>(QString::fromLatin1(name));
    const QString shown = Text(text);
    if (box->text() != shown) box->setText(shown);
}

// Checking one option of a group clears the others.
void Settings::ShowOption(const char* name, bool selected) {
    if (selected) findChild<QRadioButton*>(QString::fromLatin1(name))->setChecked(true);
}

void Settings::ShowError(const std::string& text) {
    const QString error = Text(text);
    lblError->setText(lblError->fontMetrics().elidedText(error, Qt::ElideRight, lblError->width()));
    lblError->setToolTip(error);
}

void Settings::FocusBox(const char* name) {
    auto* box = findChild<QLineEdit*>(QString::fromLatin1(name));
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

void Settings::CloseDialog() {
    close();
}

bool Settings::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched != Option6 || !press) return QWidget::eventFilter(watched, event);
    // The press is taken here, so the button never stays pressed under the
    // chooser; it is selected by the state instead.
    Option6->setFocus(Qt::MouseFocusReason);
    Option6MouseDown(chooser_);
    return true;
}

void Settings::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                cmdOK_Click();
                return;
            case Qt::Key_Escape:
                cmdCancel_Click();
                return;
            default:
                break;
        }
    }
    QWidget::keyPressEvent(event);
}

}  // namespace bayhaul
