#include "app/report_window.h"

#include "app/report_window_layout.h"
#include "settings/qt_twips.h"

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

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("ReportText"));
    text_->setReadOnly(true);
    text_->setAccessibleName(QStringLiteral("Report of the last press"));
    text_->setGeometry(TwipsToPixels(kReportText.place, *this));

    openHistory_ = new QPushButton(QString::fromLatin1(kOpenHistory.text), this);
    openHistory_->setObjectName(QStringLiteral("OpenHistory"));
    openHistory_->setGeometry(TwipsToPixels(kOpenHistory.place, *this));
    connect(openHistory_, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(HistoryFilePath(state_))));
    });

    auto* close = new QPushButton(QString::fromLatin1(kCloseReport.text), this);
    close->setObjectName(QStringLiteral("CloseReport"));
    close->setGeometry(TwipsToPixels(kCloseReport.place, *this));
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
