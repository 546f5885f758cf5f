#include "qt/report_model.h"

#include <QColor>

#include "app/main_window_layout.h"

namespace bayhaul {

void ReportModel::Show(std::vector<ReportRow> rows) {
    const bool samePorts = rows.size() == rows_.size() &&
                           std::equal(rows.begin(), rows.end(), rows_.begin(),
                                      [](const ReportRow& a, const ReportRow& b) { return a.port == b.port; });
    if (!samePorts) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
        return;
    }
    rows_ = std::move(rows);
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int ReportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kReportColumnCount;
}

QVariant ReportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const ReportRow& row = Row(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return QString::fromStdString(ReportCell(row, index.column()));
        case Qt::ToolTipRole:
            return QString::fromStdString(row.state);  // whole, where the column cuts it
        case Qt::ForegroundRole:
            if (row.kind == ReportRow::Kind::NotSaved) return QColor(QRgb(kProblemTextColour));
            return {};
        case Qt::UserRole:  // the progress bar's value, for a running transfer
            return row.kind == ReportRow::Kind::Running ? row.percent : -1;
        default:
            return {};
    }
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kReportColumnCount) return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    return QString::fromLatin1(kReportColumns[section]);
}

}  // namespace bayhaul
