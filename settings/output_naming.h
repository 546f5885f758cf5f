// Where a received file goes and what it is called.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bayhaul {

// The shell folder identifiers the program uses.
inline constexpr int kDocumentsFolderId = 5;  // CSIDL_PERSONAL
inline constexpr int kDesktopFolderId = 16;   // CSIDL_DESKTOPDIRECTORY

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Gives the path of a shell folder by its identifier, or "" when unknown.
using SpecialFolderLookup = std::function<std::string(int folderId)>;

// The suffix of the n-th file of one press (n from 0): "" for the first,
// then the two-digit numbers "02", "03", ... and on past "19" by the same
// rule, so a press never runs out of names.
std::string NameSuffix(std::size_t fileCounter);

// The folder that `diradd` names: the documents or desktop folder for the
// two keywords (exact, case-sensitive), otherwise `diradd` itself.
std::string ResolveSaveFolder(const std::string& diradd, const SpecialFolderLookup& specialFolder);

// folder + separator (unless the folder already ends in it or in "/") + base name +
// suffix + "." + extension.
std::string JoinSavePath(const std::string& folder, const std::string& baseName, const std::string& suffix,
                         const std::string& extension, char separator = kPathSeparator);

}  // namespace bayhaul
