#include "qt/form1.h"

#include "about/frm_about.h"
#include "app/fit_text.h"
#include "app/main_window_layout.h"
#include "app/window_environment.h"
#include "ui/qt_control.h"
#include "ui/qt_twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <string_view>
#include <type_traits>

namespace bayhaul {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Plain lines as a tooltip, which Qt would otherwise read as rich text
// when a line looks like markup.
QString PlainToolTip(const std::string& lines) {
    if (lines.empty()) return {};
    return QStringLiteral("<p style='white-space:pre'>") + Text(lines).toHtmlEscaped().replace('\n', "<br>") +
           QStringLiteral("</p>");
}

// The box a word-wrapped label shows its text in, `inset` pixels less on
// each side, and the width of a text in its font.
TextBox BoxOf(const QLabel& label, int inset) {
    const QFontMetrics metrics(label.font());
    const QRect inside = label.contentsRect().adjusted(inset, 0, -inset, 0);
    return {inside.width(), std::max(1, inside.height() / metrics.lineSpacing())};
}

TextWidth WidthIn(const QLabel& label) {
    return [metrics = QFontMetrics(label.font())](const std::string& text) {
        return metrics.horizontalAdvance(Text(text));
    };
}

}  // namespace

namespace {

QString Rgb(unsigned colour) {
    return QColor(QRgb(colour)).name();
}

// A button that shows it has the focus with a ring in the text colour over
// its edge: it shows on the download button's picture as on a plain button
// or a box, in any style.
template <typename Button>
class WithFocusRing final : public Button {
public:
    using Button::Button;

protected:
    void paintEvent(QPaintEvent* event) override {
        Button::paintEvent(event);
        if (!this->hasFocus()) return;
        const double width = kFocusRingWidth * this->logicalDpiX() / 96.0;
        QPainter painter(this);
        QPen ring(this->palette().color(QPalette::WindowText), width);
        ring.setJoinStyle(Qt::MiterJoin);
        painter.setPen(ring);
        painter.drawRect(QRectF(this->rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2));
    }
};

}  // namespace

Form1::Form1(const Clock& clock, std::string settingsPath, std::shared_ptr<WorkerStarter> workers,
             DevicePlatformFactory devicePlatform,
             PressLockTaker pressLock, std::string stateFolder, QWidget* parent)
    : QWidget(parent),
      MainWindowFront(ownState_),
      ownState_(WindowEnvironment(clock, locale_, std::move(settingsPath), std::move(workers), std::move(devicePlatform),
                               std::move(pressLock), std::move(stateFolder))),
      background_(QStringLiteral(":/app/background.png")) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kMainWindowCaption));
    setWindowIcon(QIcon(QStringLiteral(":/about/icon16.png")));
    setFixedSize(TwipsToPixels(kMainWindowWidthTwips, logicalDpiX()),
                 TwipsToPixels(kMainWindowHeightTwips, logicalDpiY()));
    // The controls are laid out for a small dialog font.
    QFont controlFont(QStringLiteral("Arial"));
    controlFont.setPointSizeF(8);
    setFont(controlFont);
    BuildControls();

    state_.Load();
    ShowState();
    Timer1->start();
    Timer2->start();
}

Form1::~Form1() = default;

template <typename Control>
Control* Form1::Make(const char* name) {
    auto* control = MakeControl<Control>(*this, MainWindowControl(name));
    if constexpr (std::is_base_of_v<QCheckBox, Control>) {
        // A click on the label beside the box toggles it too. The box is as
        // large as its place.
        const int side = std::min(control->width(), control->height());
        control->setStyleSheet(
            QStringLiteral("QCheckBox::indicator { width: %1px; height: %1px; }").arg(side));
    }
    return control;
}

void Form1::BuildControls() {
    Label4 = Make<QLabel>("Label4");
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(9.75);
    titleFont.setBold(true);
    Label4->setFont(titleFont);

    Label3 = Make<QLabel>("Label3");
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command4 = Make<WithFocusRing<QPushButton>>("Command4");
    Command4->setIcon(QIcon(QStringLiteral(":/app/download.png")));
    Command4->setIconSize(QSize(kDownloadPictureWidth, kDownloadPictureHeight));
    Command4->setFlat(true);
    Command4->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"));
    Command4->setCursor(Qt::PointingHandCursor);

    Label2 = Make<QLabel>("Label2");
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setCursor(Qt::PointingHandCursor);  // a click opens the whole report
    Label2->installEventFilter(this);

    Check1 = Make<WithFocusRing<QCheckBox>>("Check1");
    Label5 = Make<QLabel>("Label5");
    Label1 = Make<QLabel>("Label1");
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Check2 = Make<WithFocusRing<QCheckBox>>("Check2");
    Label6 = Make<QLabel>("Label6");
    Command6 = Make<WithFocusRing<QPushButton>>("Command6");
    Command7 = Make<WithFocusRing<QPushButton>>("Command7");
    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {Command4, Command6, Command7}) button->setAutoDefault(true);
    // A click on a box's caption is a click on the box.
    for (const ControlSpec& layout : MainWindowControls()) {
        if (layout.captionOf == nullptr) continue;
        auto* caption = findChild<QLabel*>(QString::fromLatin1(layout.name));
        caption->setBuddy(findChild<QCheckBox*>(QString::fromLatin1(layout.captionOf)));
        caption->installEventFilter(this);
    }

    ProgressBar1 = Make<QProgressBar>("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);

    ProblemLine = Make<QLabel>("ProblemLine");
    ProblemLine->setWordWrap(true);
    ProblemLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ProblemLine->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; border: 1px solid %1; "
                                              "padding: 0 4px; }")
                                   .arg(Rgb(kProblemTextColour), Rgb(kProblemBackColour)));
    ProblemLine->hide();
    ProblemLine->setCursor(Qt::PointingHandCursor);
    ProblemLine->installEventFilter(this);
    auto* reportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(reportKey, &QShortcut::activated, this, &Form1::OpenReport);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerIntervalMs);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(kTimerIntervalMs);

    for (const ControlSpec& layout : MainWindowControls()) {
        const std::string_view name = layout.name;
        if (layout.kind == ControlKind::CheckBox) {
            connect(findChild<QCheckBox*>(QString::fromLatin1(layout.name)), &QCheckBox::clicked, this,
                    [this, name](bool checked) { Clicked(name, checked); });
        } else if (layout.kind == ControlKind::Button || layout.kind == ControlKind::PictureButton) {
            connect(findChild<QPushButton*>(QString::fromLatin1(layout.name)), &QPushButton::clicked, this,
                    [this, name] { Clicked(name); });
        }
    }
    connect(Timer1, &QTimer::timeout, this, [this] {
        state_.Timer1Tick();
        ShowState();
    });
    connect(Timer2, &QTimer::timeout, this, [this] { state_.Timer2Tick(); });
}

void Form1::ShowState() {
    Label1->setText(Text(state_.Label1));
    ShowStatusText(state_.Label2);
    ShowProblem(state_.ProblemLine);
    ProgressBar1->setValue(state_.ProgressBar1);
    // Showing the state is not a click: the boxes' handlers stay silent.
    const QSignalBlocker quiet1(Check1);
    const QSignalBlocker quiet2(Check2);
    Check1->setChecked(state_.Check1);
    Check2->setChecked(state_.Check2);
}

void Form1::RefreshReport() {
    if (report_) report_->Refresh();
}

void Form1::OpenReport() {
    if (!report_) report_ = new ReportWindow(state_, this);
    report_->Refresh();
    report_->show();
    report_->raise();
    report_->activateWindow();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) return QWidget::eventFilter(watched, event);
    if (watched == Label2 || watched == ProblemLine) {
        OpenReport();
    } else if (auto* caption = qobject_cast<QLabel*>(watched); caption && caption->buddy()) {
        const auto* release = static_cast<QMouseEvent*>(event);
        if (release->button() == Qt::LeftButton && caption->rect().contains(release->position().toPoint())) {
            caption->buddy()->setFocus(Qt::MouseFocusReason);
            static_cast<QCheckBox*>(caption->buddy())->click();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::ShowProblem(const std::string& text) {
    // As much as fits, the whole of it in the tooltip and the report.
    const std::string shown = FitProblemLine(text, state_.ProblemPorts, BoxOf(*ProblemLine, 0), WidthIn(*ProblemLine));
    ProblemLine->setText(Text(shown));
    ProblemLine->setToolTip(PlainToolTip(WholeTextTip(text, shown, state_.Label2Report)));
    ProblemLine->setAccessibleDescription(Text(text));
    ProblemLine->setVisible(!text.empty());
}

void Form1::Command6_Click() {
    // An open dialog is only brought forward: it reads nothing again. One
    // that has closed is on its way out; a new opening reads the file.
    if (!settings_ || !settings_->isVisible()) settings_ = new Settings(state_.SettingsDialog, this);
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void Form1::Command7_Click() {
    if (!about_) about_ = new frmAbout(this);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Form1::ShowStatus(const std::string& text) {
    ShowStatusText(text);
    RefreshReport();
}

void Form1::ShowStatusText(const std::string& text) {
    // Shortened at a word to fit; the whole of it in the tooltip, above
    // each port's line, and for screen readers, which read the status
    // line's description.
    const std::string shown = ShortenAtWord(text, BoxOf(*Label2, 0), WidthIn(*Label2));
    Label2->setText(Text(shown));
    Label2->setAccessibleDescription(Text(text));
    Label2->setToolTip(PlainToolTip(WholeTextTip(text, shown, state_.Label2Report)));
}

void Form1::ShowReport(const std::vector<PortReport>& report) {
    const std::string shown = Label2->text().toStdString();
    Label2->setToolTip(PlainToolTip(WholeTextTip(state_.Label2, shown, ReportText(report))));
    RefreshReport();  // the live view
}

void Form1::ShowProgress(int percent) {
    ProgressBar1->setValue(percent);
}

void Form1::RunOnWindowThread(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void Form1::ShowBusy(bool busy) {
    // Not clickable while a press runs.
    Command4->setEnabled(!busy);
    Command4->setCursor(busy ? Qt::BusyCursor : Qt::PointingHandCursor);
}

void Form1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (MayClose())
        event->accept();
    else
        event->ignore();
}

void Form1::CloseOwnedWindows() {
    if (settings_) settings_->cmdCancel_Click();
    if (about_) about_->cmdOK_Click();
    if (report_) report_->close();
}

void Form1::CloseWindow() {
    close();
}

}  // namespace bayhaul
