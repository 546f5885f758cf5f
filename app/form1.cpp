#include "app/form1.h"

#include "about/frm_about.h"
#include "app/twips.h"
#include "shell/special_folder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace bayhaul {

namespace {

constexpr int kClientWidthTwips = 7380;
constexpr int kClientHeightTwips = 6840;
constexpr int kTimerIntervalMs = 1000;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

Form1::Form1(const Clock& clock, std::string settingsPath, QWidget* parent)
    : QWidget(parent),
      state_({clock, locale_, fGetSpecialFolder, std::move(settingsPath)}),
      background_(QStringLiteral(":/app/background.png")) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Bayhaul"));
    setWindowIcon(QIcon(QStringLiteral(":/about/icon16.png")));
    setFixedSize(TwipsToPixels(kClientWidthTwips, logicalDpiX()), TwipsToPixels(kClientHeightTwips, logicalDpiY()));
    // The controls are laid out for a small dialog font.
    QFont controlFont(QStringLiteral("Arial"));
    controlFont.setPointSizeF(8);
    setFont(controlFont);
    BuildControls();

    state_.Load();
    Show();
    Timer1->start();
    Timer2->start();
}

Form1::~Form1() = default;

void Form1::BuildControls() {
    auto label = [this](const char* name, const char* text) {
        auto* control = new QLabel(QString::fromLatin1(text), this);
        control->setObjectName(QString::fromLatin1(name));
        return control;
    };

    Label4 = label("Label4", "Transfer Data From Your MX Device To Your Windows Desktop");
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(9.75);
    titleFont.setBold(true);
    Label4->setFont(titleFont);
    Place(Label4, 480, 4080, 6735, 375);

    Label3 = label("Label3",
                   "Connect MX410, MX520, or NX520 terminals to this PC and ensure you turn on all terminals "
                   "before pressing the button.");
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(Label3, 480, 4440, 3255, 855);

    Command4 = new QPushButton(this);
    Command4->setObjectName(QStringLiteral("Command4"));
    Command4->setIcon(QIcon(QStringLiteral(":/app/download.png")));
    Command4->setIconSize(QSize(102, 41));
    Command4->setFlat(true);
    Command4->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"));
    Command4->setCursor(Qt::PointingHandCursor);
    Command4->setAccessibleName(QStringLiteral("Download"));
    Place(Command4, 4920, 4680, 1515, 605);

    Label2 = label("Label2", "");
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(Label2, 4680, 5520, 2055, 495);

    // The boxes show no caption; the labels beside them carry the text, and
    // clicking a label leaves its box alone.
    auto checkBox = [this](const char* name, const char* caption) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setAccessibleName(QString::fromLatin1(caption));
        box->setStyleSheet(QStringLiteral("QCheckBox::indicator { width: 11px; height: 11px; }"));
        return box;
    };
    Check1 = checkBox("Check1", "Sync Date and Time on Terminal with PC");
    Place(Check1, 480, 5280, 200, 200);
    Label5 = label("Label5", "Sync Date and Time on Terminal with PC");
    Place(Label5, 720, 5280, 3015, 255);

    Label1 = label("Label1", "TIME");
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(Label1, 720, 5660, 3135, 375);

    Check2 = checkBox("Check2", "Auto Delete Data from Device After Transfer to PC");
    Place(Check2, 480, 6120, 200, 200);
    Label6 = label("Label6", "Auto Delete Data from Device After Transfer to PC");
    Place(Label6, 720, 6120, 3975, 255);

    Command6 = new QPushButton(QStringLiteral("Settings"), this);
    Command6->setObjectName(QStringLiteral("Command6"));
    Place(Command6, 4800, 6120, 855, 255);

    Command7 = new QPushButton(QStringLiteral("About"), this);
    Command7->setObjectName(QStringLiteral("Command7"));
    Place(Command7, 5760, 6120, 855, 255);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Place(ProgressBar1, 0, 6585, 7380, 255);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerIntervalMs);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(kTimerIntervalMs);

    connect(Check1, &QCheckBox::clicked, this, [this](bool checked) {
        state_.Check1Click(checked);
        Show();
    });
    connect(Check2, &QCheckBox::clicked, this, [this](bool checked) {
        state_.Check2Click(checked);
        Show();
    });
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Timer1, &QTimer::timeout, this, [this] {
        state_.Timer1Tick();
        Show();
    });
    connect(Timer2, &QTimer::timeout, this, [this] { state_.Timer2Tick(); });
}

void Form1::Place(QWidget* control, int left, int top, int width, int height) {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    control->setGeometry(TwipsToPixels(left, dpiX), TwipsToPixels(top, dpiY), TwipsToPixels(width, dpiX),
                         TwipsToPixels(height, dpiY));
}

void Form1::Show() {
    Label1->setText(Text(state_.Label1));
    Label2->setText(Text(state_.Label2));
    ProgressBar1->setValue(state_.ProgressBar1);
    // Showing the state is not a click: the boxes' handlers stay silent.
    const QSignalBlocker quiet1(Check1);
    const QSignalBlocker quiet2(Check2);
    Check1->setChecked(state_.Check1);
    Check2->setChecked(state_.Check2);
}

void Form1::Command7_Click() {
    if (!about_) about_ = new frmAbout(this);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Form1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (about_) about_->cmdOK_Click();
    event->accept();
}

}  // namespace bayhaul
