#include "settings/output_naming.h"

#include "settings/app_settings.h"

namespace bayhaul {

std::string NameSuffix(std::size_t fileCounter) {
    if (fileCounter == 0) return "";
    std::string number = std::to_string(fileCounter + 1);
    return number.size() < 2 ? "0" + number : number;
}

std::string ResolveSaveFolder(const std::string& diradd, const SpecialFolderLookup& specialFolder) {
    if (diradd == kDocumentsKeyword) return specialFolder(kDocumentsFolderId);
    if (diradd == kDesktopKeyword) return specialFolder(kDesktopFolderId);
    return diradd;
}

std::string JoinSavePath(const std::string& folder, const std::string& baseName, const std::string& suffix,
                         const std::string& extension, char separator) {
    std::string path = folder;
    // "/" ends a folder on either platform (Windows accepts both).
    if (path.empty() || (path.back() != separator && path.back() != '/')) path += separator;
    return path + baseName + suffix + "." + extension;
}

}  // namespace bayhaul
