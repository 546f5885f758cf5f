// Fitting a text into a window's box without cutting a word: the status
// line shortened with an ellipsis after the last whole word that fits, and
// the problem line saying as much as fits of the ports not saved, then how
// many more. Plain C++: the width of a text comes from the front end's font
// through a callback (Qt's font metrics, GetTextExtentPoint32 on Windows).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "press/download_result.h"

namespace bayhaul {

// The width of `text` set on one line, in the units of TextBox::width.
using TextWidth = std::function<int(const std::string& text)>;

// A box that wraps its text at spaces into `lines` lines of `width` each.
struct TextBox {
    int width = 0;
    int lines = 1;
};

inline constexpr char kEllipsis[] = "...";

// Whether `text`, wrapped at spaces (and at its own line breaks), fills no
// more than the box. A word wider than a line does not fit.
bool FitsIn(const std::string& text, const TextBox& box, const TextWidth& width);

// `text` when it fits; otherwise its words up to the last whole one that
// fits with the ellipsis after it. Only a first word too wide for a line on
// its own is cut, as nothing else would show.
std::string ShortenAtWord(const std::string& text, const TextBox& box, const TextWidth& width);

// The problem line after a press that left terminals not saved (`notSaved`,
// their lines, in port order): "2 terminals not saved: COM3 (why), COM7
// (why)" when it fits; else the ports without their reasons, as many as fit
// ("3 terminals not saved: COM3, COM7 and 1 more: click for the list");
// else the count alone. Never a word cut in two.
std::string FitNotSavedLine(const std::vector<PortReport>& notSaved, const TextBox& box, const TextWidth& width);

// The whole problem line for those ports, reasons and all.
std::string NotSavedLine(const std::vector<PortReport>& notSaved);

// The lines of a press's terminals not saved, in port order.
std::vector<PortReport> NotSavedPorts(const DownloadResult& result);

// The problem line as a window shows it: FitNotSavedLine when `whole` is
// the line of `notSaved`, otherwise `whole` shortened at a word.
std::string FitProblemLine(const std::string& whole, const std::vector<PortReport>& notSaved, const TextBox& box,
                           const TextWidth& width);

// A tooltip that holds the whole of a text shown shortened, then `more`:
// `more` alone when nothing was left out.
std::string WholeTextTip(const std::string& whole, const std::string& shown, const std::string& more);

}  // namespace bayhaul
