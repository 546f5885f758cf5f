#include "qt/report_window.h"

#include "app/report_window_layout.h"
#include "qt/report_model.h"
#include "ui/qt_control.h"
#include "ui/qt_twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

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

// Draws a running transfer's progress as a bar in its cell.
class ProgressDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int percent = index.data(Qt::UserRole).toInt();
        if (percent < 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(2, 2, -2, -2);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = percent;
        bar.text = index.data(Qt::DisplayRole).toString();
        bar.textVisible = true;
        bar.state = option.state | QStyle::State_Horizontal;
        QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter);
    }
};

}  // namespace

ReportWindow::ReportWindow(MainWindowState& state, QWidget* owner)
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
    model_ = new ReportModel(this);
    rows_ = MakeControl<QTableView>(*this, FindControl(controls, "ReportRows"));
    rows_->setModel(model_);
    rows_->setItemDelegateForColumn(2, new ProgressDelegate(rows_));
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->setTabKeyNavigation(false);  // Tab goes on to the buttons
    // A long line wraps at its words, never cut: its row grows to hold it,
    // and the others stay one line high, so a dozen rows are in view.
    rows_->setWordWrap(true);
    rows_->setTextElideMode(Qt::ElideNone);
    rows_->verticalHeader()->hide();
    rows_->verticalHeader()->setMinimumSectionSize(rows_->fontMetrics().height() + 8);
    rows_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    rows_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    rows_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    rows_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Fixed);
    rows_->horizontalHeader()->resizeSection(2, rows_->fontMetrics().horizontalAdvance(QStringLiteral("saved, see why")) + 16);
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
    auto* showAtPress = MakeControl<QCheckBox>(*this, FindControl(controls, "ShowAtPress"));
    showAtPress->setText(QString::fromLatin1(FindControl(controls, "ShowAtPress").text));
    showAtPress->setChecked(state_.ShowReportAtPress);
    connect(showAtPress, &QCheckBox::clicked, this, [this](bool checked) {
        const std::string trouble = state_.ShowReportAtPressClick(checked);
        if (!trouble.empty()) opener_.Tell(trouble);
    });
    Refresh();
}

void ReportWindow::Refresh() {
    text_->setPlainText(QString::fromStdString(LastPressReport(state_)));
    model_->Show(ReportRows(state_.ReportLines));
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
