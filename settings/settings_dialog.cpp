#include "settings/settings_dialog.h"

#include "settings/qt_twips.h"
#include "settings/settings_dialog_layout.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <functional>
#include <type_traits>
#include <utility>

namespace bayhaul {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Replacing a box's text moves its cursor to the end, so a box that already
// shows the text is left alone.
void ShowText(QLineEdit* box, const std::string& text) {
    const QString shown = Text(text);
    if (box->text() != shown) box->setText(shown);
}

}  // namespace

Settings::Settings(SettingsDialogState& state, QWidget* parent, FolderChooser* chooser)
    : QWidget(parent, Qt::Dialog), state_(state), qtChooser_(this), chooser_(chooser ? *chooser : qtChooser_) {
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

template <typename Control>
Control* Settings::Make(const char* name) {
    const SettingsControlSpec& layout = SettingsDialogControl(name);
    QWidget* parent = layout.frame ? findChild<QWidget*>(QString::fromLatin1(layout.frame)) : this;
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(TwipsToPixels(layout.place, *this));
    if constexpr (std::is_same_v<Control, QLabel> || std::is_same_v<Control, QRadioButton> ||
                  std::is_same_v<Control, QPushButton>)
        control->setText(QString::fromLatin1(layout.text));
    // The boxes and the groups are named for screen readers; an option is
    // read with the name of the group it sits in.
    if (layout.accessibleName != nullptr) control->setAccessibleName(QString::fromLatin1(AccessibleName(layout)));
    return control;
}

void Settings::BuildControls() {
    picOptions = Make<QLabel>("picOptions");
    picOptions->setPixmap(QPixmap(QStringLiteral(":/settings/background.png")));
    picOptions->setScaledContents(true);

    Label1 = Make<QLabel>("Label1");
    Text1 = Make<QLineEdit>("Text1");
    Frame1 = Make<QGroupBox>("Frame1");
    Option4 = Make<QRadioButton>("Option4");
    Option5 = Make<QRadioButton>("Option5");
    Option6 = Make<QRadioButton>("Option6");
    Label4 = Make<QLabel>("Label4");
    Text2 = Make<QLineEdit>("Text2");
    Label2 = Make<QLabel>("Label2");
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Text3 = Make<QLineEdit>("Text3");
    Frame2 = Make<QGroupBox>("Frame2");
    Option7 = Make<QRadioButton>("Option7");
    Option8 = Make<QRadioButton>("Option8");
    Option9 = Make<QRadioButton>("Option9");
    Frame3 = Make<QGroupBox>("Frame3");
    Option10 = Make<QRadioButton>("Option10");
    Option11 = Make<QRadioButton>("Option11");
    Option12 = Make<QRadioButton>("Option12");
    cmdOK = Make<QPushButton>("cmdOK");
    cmdCancel = Make<QPushButton>("cmdCancel");
    cmdApply = Make<QPushButton>("cmdApply");
    lblError = Make<QLabel>("lblError");
    lblError->setStyleSheet(QStringLiteral("QLabel { color: #a00000; }"));

    // Enter on a focused button presses that button; anywhere else it is OK.
    for (QPushButton* button : {cmdOK, cmdCancel, cmdApply}) button->setAutoDefault(true);
    cmdOK->setDefault(true);
    // A press on Option6 opens the folder chooser, whichever mouse button.
    Option6->installEventFilter(this);
}

void Settings::Connect() {
    const std::pair<QRadioButton*, void (SettingsDialogState::*)()> clicks[] = {
        {Option4, &SettingsDialogState::Option4Click},   {Option5, &SettingsDialogState::Option5Click},
        {Option6, &SettingsDialogState::Option6Click},   {Option7, &SettingsDialogState::Option7Click},
        {Option8, &SettingsDialogState::Option8Click},   {Option9, &SettingsDialogState::Option9Click},
        {Option10, &SettingsDialogState::Option10Click}, {Option11, &SettingsDialogState::Option11Click},
        {Option12, &SettingsDialogState::Option12Click},
    };
    // std::invoke rather than .*: GCC's undefined-behaviour checker misreads a
    // member-pointer call made through a lambda's captured this.
    for (const auto& [option, handler] : clicks) {
        connect(option, &QRadioButton::clicked, this, [this, handler = handler] {
            std::invoke(handler, state_);
            ShowState();
        });
    }

    const std::pair<QLineEdit*, void (SettingsDialogState::*)(const std::string&)> edits[] = {
        {Text1, &SettingsDialogState::Text1Change},
        {Text2, &SettingsDialogState::Text2Change},
        {Text3, &SettingsDialogState::Text3Change},
    };
    for (const auto& [box, handler] : edits) {
        connect(box, &QLineEdit::textEdited, this, [this, handler = handler](const QString& text) {
            std::invoke(handler, state_, text.toStdString());
            ShowState();
        });
    }

    connect(cmdOK, &QPushButton::clicked, this, &Settings::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &Settings::cmdCancel_Click);
    connect(cmdApply, &QPushButton::clicked, this, &Settings::cmdApply_Click);
}

void Settings::CentreOnScreen() {
    const QRect area = screen()->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void Settings::ShowState() {
    ShowText(Text1, state_.Text1);
    ShowText(Text2, state_.Text2);
    ShowText(Text3, state_.Text3);
    // Checking one option of a group clears the others.
    const std::pair<QRadioButton*, bool> options[] = {
        {Option4, state_.Option4},   {Option5, state_.Option5},   {Option6, state_.Option6},
        {Option7, state_.Option7},   {Option8, state_.Option8},   {Option9, state_.Option9},
        {Option10, state_.Option10}, {Option11, state_.Option11}, {Option12, state_.Option12},
    };
    for (const auto& [option, selected] : options) {
        if (selected) option->setChecked(true);
    }
    const QString error = Text(state_.lblError);
    lblError->setText(lblError->fontMetrics().elidedText(error, Qt::ElideRight, lblError->width()));
    lblError->setToolTip(error);
}

void Settings::cmdOK_Click() {
    if (state_.Save())
        close();
    else
        ShowState();  // says why, and stays open
}

void Settings::cmdApply_Click() {
    state_.Save();
    ShowState();
}

void Settings::cmdCancel_Click() {
    close();
}

bool Settings::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched != Option6 || !press) return QWidget::eventFilter(watched, event);
    // The press is taken here, so the button never stays pressed under the
    // chooser; it is selected by the state instead.
    Option6->setFocus(Qt::MouseFocusReason);
    state_.Option6MouseDown(chooser_);
    ShowState();
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
