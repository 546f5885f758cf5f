#include "app/fit_text.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace bayhaul {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// How many lines the paragraph's words take, wrapped greedily; a word wider
// than a line makes it too many.
int LinesOf(const std::vector<std::string>& words, const TextBox& box, const TextWidth& width) {
    int lines = 1;
    std::string line;
    for (const std::string& word : words) {
        if (width(word) > box.width) return box.lines + 1;
        const std::string longer = line.empty() ? word : line + " " + word;
        if (width(longer) <= box.width) {
            line = longer;
        } else {
            ++lines;
            line = word;
        }
    }
    return lines;
}

std::string Port(const PortReport& line) {
    return "COM" + std::to_string(line.port);
}

// "COM3, COM7 and COM9"
std::string Listed(const std::vector<std::string>& items, const std::string& last) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() && last.empty() ? " and " : ", ";
        text += items[i];
    }
    return last.empty() ? text : text + " and " + last;
}

std::string Head(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " terminal" : " terminals") + " not saved";
}

}  // namespace

bool FitsIn(const std::string& text, const TextBox& box, const TextWidth& width) {
    int lines = 0;
    std::istringstream in(text);
    for (std::string paragraph; std::getline(in, paragraph);) lines += LinesOf(Words(paragraph), box, width);
    return lines <= box.lines;
}

std::string ShortenAtWord(const std::string& text, const TextBox& box, const TextWidth& width) {
    if (FitsIn(text, box, width)) return text;
    // Whole words from the start, as many as fit with the ellipsis.
    const std::vector<std::string> words = Words(text);
    std::string best;
    std::string shown;
    for (const std::string& word : words) {
        shown += (shown.empty() ? "" : " ") + word;
        if (!FitsIn(shown + kEllipsis, box, width)) break;
        best = shown + kEllipsis;
    }
    if (!best.empty() || words.empty()) return best;
    // Not even the first word fits: as much of it as does.
    std::string part = words.front();
    while (!part.empty() && width(part + kEllipsis) > box.width) part.pop_back();
    return part + kEllipsis;
}

std::string NotSavedLine(const std::vector<PortReport>& notSaved) {
    std::string text = Head(notSaved.size()) + ": ";
    for (std::size_t i = 0; i < notSaved.size(); ++i)
        text += (i > 0 ? ", " : "") + Port(notSaved[i]) + " (" + notSaved[i].why + ")";
    return text;
}

std::vector<PortReport> NotSavedPorts(const DownloadResult& result) {
    std::vector<PortReport> notSaved;
    std::copy_if(result.ports.begin(), result.ports.end(), std::back_inserter(notSaved),
                 [](const PortReport& line) { return line.outcome == PortOutcome::NotSaved && line.port != 0; });
    return notSaved;
}

std::string FitProblemLine(const std::string& whole, const std::vector<PortReport>& notSaved, const TextBox& box,
                           const TextWidth& width) {
    if (!notSaved.empty() && whole == NotSavedLine(notSaved)) return FitNotSavedLine(notSaved, box, width);
    return ShortenAtWord(whole, box, width);
}

std::string WholeTextTip(const std::string& whole, const std::string& shown, const std::string& more) {
    if (whole == shown) return more;
    return more.empty() ? whole : whole + "\n\n" + more;
}

std::string FitNotSavedLine(const std::vector<PortReport>& notSaved, const TextBox& box, const TextWidth& width) {
    const std::string whole = NotSavedLine(notSaved);
    if (notSaved.empty() || FitsIn(whole, box, width)) return whole;
    const std::string click = notSaved.size() == 1 ? ": click for the reason" : ": click for the list";
    std::vector<std::string> ports;
    for (const PortReport& line : notSaved) ports.push_back(Port(line));
    // As many ports as fit, the rest counted.
    for (std::size_t shown = ports.size(); shown > 0; --shown) {
        const std::size_t more = ports.size() - shown;
        const std::string text =
            Head(ports.size()) + ": " +
            Listed({ports.begin(), ports.begin() + static_cast<std::ptrdiff_t>(shown)},
                   more > 0 ? std::to_string(more) + " more" : "") +
            click;
        if (FitsIn(text, box, width)) return text;
    }
    return ShortenAtWord(Head(ports.size()) + click, box, width);
}

}  // namespace bayhaul
