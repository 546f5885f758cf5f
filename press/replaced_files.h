// No file is destroyed by a press: a file that a press replaces is first
// kept in a folder of that day beside the history,
// <state folder>/replaced/2026-12-09/FORM.DAT, and such copies are removed
// once they are older than 30 days. Those folders are Bayhaul's: a link in
// their place is never followed.
#pragma once

#include <string>

#include "settings/local_time.h"

namespace bayhaul {

inline constexpr char kReplacedFolder[] = "replaced";
inline constexpr int kKeepReplacedDays = 30;

// Keeps a copy of `file` in the day's folder under its own name (or "FORM
// (2).DAT" and so on, when that is taken): a hard link where the two
// folders share a file system, a copy flushed to disk otherwise. Gives the
// copy's path, or "" with `why` saying why none could be kept.
std::string KeepReplacedFile(const std::string& stateFolder, const std::string& file, const LocalTime& today,
                             std::string& why);

// Removes the day folders (and what is in them) older than kKeepReplacedDays.
void RemoveExpiredCopies(const std::string& stateFolder, const LocalTime& today);

}  // namespace bayhaul
