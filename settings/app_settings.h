// The five user settings, as the text lines of settings.ini hold them.
#pragma once

#include <string>

namespace bayhaul {

struct AppSettings {
    std::string sync = "1";          // "1": set the terminal's clock during a transfer
    std::string del = "0";           // "1": delete the data on the terminal after a transfer
    std::string diradd = "Desktop";  // save-folder keyword or folder path
    std::string filename = "FORM";   // base-name keyword or name
    std::string fileext = "DAT";     // extension, without the dot

    bool operator==(const AppSettings& other) const {
        return sync == other.sync && del == other.del && diradd == other.diradd && filename == other.filename &&
               fileext == other.fileext;
    }
};

// Keywords stored in the file. The documents keyword is spelled as earlier
// releases wrote it; files in the field hold exactly this text.
inline constexpr const char* kDocumentsKeyword = "My Docunments";
inline constexpr const char* kDesktopKeyword = "Desktop";
inline constexpr const char* kTimestampNameKeyword = "%T";

}  // namespace bayhaul
