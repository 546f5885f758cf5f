#include "qt/report_window.h"

#include "app/report_window_layout.h"
#include "ui/qt_control.h"
#include "ui/qt_twips.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

namespace bayhaul {

ReportWindow::ReportWindow(const MainWindowState& state, QWidget* owner)
    : QWidget(owner, Qt::Window), state_(state) {
    setObjectName(QStringLiteral("ReportWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kReportWindowCaption));
    setFixedSize(TwipsToPixels(kReportWindowWidthTwips, logicalDpiX()),
                 TwipsToPixels(kReportWindowHeightTwips, logicalDpiY()));

    const ControlTable& controls = ReportWindowControls();
    text_ = MakeControl<QPlainTextEdit>(*this, FindControl(controls, "ReportText"));
    text_->setReadOnly(true);
    openHistory_ = MakeControl<QPushButton>(*this, FindControl(controls, "OpenHistory"));
    connect(openHistory_, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(HistoryFilePath(state_))));
    });
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
