#include "app/report_rows.h"

namespace bayhaul {

namespace {

ReportRow::Kind KindOf(const PortReport& line) {
    using Kind = ReportRow::Kind;
    if (!line.final) return Kind::Running;
    switch (line.outcome) {
        case PortOutcome::Saved:
            return line.warning ? Kind::Warning : Kind::Saved;
        case PortOutcome::NotSaved:
            return Kind::NotSaved;
        default:
            return Kind::Note;
    }
}

}  // namespace

std::vector<ReportRow> ReportRows(const std::vector<PortReport>& lines) {
    std::vector<ReportRow> rows;
    for (const PortReport& line : lines) {
        ReportRow row;
        const std::string port = "COM" + std::to_string(line.port);
        const bool named = line.port > 0 && line.text.rfind(port + ": ", 0) == 0;
        row.port = named ? port : "";
        row.state = named ? line.text.substr(port.size() + 2) : line.text;
        row.percent = line.final ? -1 : line.percent;
        row.kind = KindOf(line);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string ReportCell(const ReportRow& row, int column) {
    using Kind = ReportRow::Kind;
    switch (column) {
        case 0:
            return row.port;
        case 1:
            return row.state;
        case 2:
            switch (row.kind) {
                case Kind::Running:
                    return row.percent >= 0 ? std::to_string(row.percent) + "%" : "";
                case Kind::Saved:
                    return "saved";
                case Kind::Warning:
                    return "saved, see why";
                case Kind::NotSaved:
                    return "not saved";
                case Kind::Note:
                    return "";
            }
    }
    return "";
}

}  // namespace bayhaul
