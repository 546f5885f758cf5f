#include "app/report_window_choice.h"

#include <filesystem>

#include "files/durable_file.h"

namespace bayhaul {

namespace {

constexpr char kShowLine[] = "show-at-every-press=1\n";
constexpr char kHideLine[] = "show-at-every-press=0\n";

std::string ChoiceFile(const std::string& stateFolder) {
    return (std::filesystem::path(stateFolder) / kReportWindowChoiceFile).string();
}

}  // namespace

bool ReadShowReportAtPress(const std::string& stateFolder) {
    if (stateFolder.empty()) return false;
    return ReadRegularFile(ChoiceFile(stateFolder), 256).value_or("") == kShowLine;
}

std::string WriteShowReportAtPress(const std::string& stateFolder, bool show) {
    if (stateFolder.empty()) return "Bayhaul has no state folder to keep it in";
    std::error_code error;
    std::filesystem::create_directories(stateFolder, error);
    const FileResult written = ReplaceFileContent(ChoiceFile(stateFolder), show ? kShowLine : kHideLine);
    return written.ok ? "" : written.error;
}

}  // namespace bayhaul
