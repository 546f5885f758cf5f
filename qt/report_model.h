// The report window's rows for Qt's views: a row per port, in port order,
// with its state and how far its file has come; screen readers reach each
// cell through the view's accessibility.
#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "app/report_rows.h"

namespace bayhaul {

class ReportModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Shows `rows`; the view keeps its current row when the ports stay the same.
    void Show(std::vector<ReportRow> rows);
    const ReportRow& Row(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ReportRow> rows_;
};

}  // namespace bayhaul
