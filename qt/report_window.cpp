#include "qt/report_window.h"

#include "app/report_window_layout.h"
#include "ui/qt_control.h"
#include "ui/qt_twips.h"

#include <QKeyEvent>
#include <functional>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

namespace bayhaul {

namespace {

// Opens `path` with the desktop's program for it (xdg-open); `done` hears
// whether one did, when xdg-open has finished, unless the window has gone.
void OpenWithDesktop(QWidget& window, const std::string& path, std::function<void(bool)> done) {
    auto* opener = new QProcess(&window);
    QObject::connect(opener, &QProcess::finished, &window, [opener, done](int code, QProcess::ExitStatus status) {
        done(status == QProcess::NormalExit && code == 0);
        opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::errorOccurred, &window, [opener, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // the end is heard as finished
        done(false);
        opener->deleteLater();
    });
    opener->start(QStringLiteral("xdg-open"), {QString::fromStdString(path)});
}

}  // namespace

ReportWindow::ReportWindow(const MainWindowState& state, QWidget* owner)
    : QWidget(owner, Qt::Window),
      state_(state),
      opener_([this](const std::string& path, std::function<void(bool)> done) { OpenWithDesktop(*this, path, done); },
              [this](const std::string& note) {
                  note_->setText(QString::fromStdString(note));
                  note_->setVisible(!note.empty());
              }) {
    setObjectName(QStringLiteral("ReportWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kReportWindowCaption));
    setFixedSize(TwipsToPixels(kReportWindowWidthTwips, logicalDpiX()),
                 TwipsToPixels(kReportWindowHeightTwips, logicalDpiY()));

    const ControlTable& controls = ReportWindowControls();
    text_ = MakeControl<QPlainTextEdit>(*this, FindControl(controls, "ReportText"));
    text_->setReadOnly(true);
    note_ = MakeControl<QLabel>(*this, FindControl(controls, "ReportNote"));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // a path to copy
    note_->hide();
    openHistory_ = MakeControl<QPushButton>(*this, FindControl(controls, "OpenHistory"));
    connect(openHistory_, &QPushButton::clicked, this, [this] { opener_.OpenHistory(HistoryFilePath(state_)); });
    auto* openFolder = MakeControl<QPushButton>(*this, FindControl(controls, "OpenFolder"));
    connect(openFolder, &QPushButton::clicked, this,
            [this] { opener_.OpenReceivedFolder(state_.ResolveSaveFolder(), state_.SaveFolderProblem()); });
    auto* close = MakeControl<QPushButton>(*this, FindControl(controls, "CloseReport"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    Refresh();
}

void ReportWindow::Refresh() {
    text_->setPlainText(QString::fromStdString(LastPressReport(state_)));
    openHistory_->setEnabled(!HistoryFilePath(state_).empty());
}

void ReportWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace bayhaul
