#include "shell/user_dirs.h"

#include <optional>

namespace bayhaul {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// The path one assignment's value names, read as sh reads one word: in
// double quotes a backslash escapes only $ ` " and \, single quotes are
// literal, and outside quotes a backslash escapes any character. A leading
// $HOME becomes `homeBase` (the home folder without trailing separators).
// nullopt for a value that is no such path: relative, empty, with another
// expansion or an operator of the shell, an unclosed quote, or text after
// the word other than a comment.
std::optional<std::string> ReadPath(std::string_view value, std::string_view homeBase) {
    std::string path;
    std::size_t i = 0;
    bool doubleQuoted = false;
    // $HOME may open the value, quoted or not; $HOMEDIR is another variable.
    const std::size_t start = !value.empty() && value[0] == '"' ? 1 : 0;
    const std::size_t afterHome = start + 5;
    const bool belowHome = value.substr(start, 5) == "$HOME" &&
                           (value.size() == afterHome || !IsNameCharacter(value[afterHome]));
    if (belowHome) {
        path = homeBase;
        i = afterHome;
        doubleQuoted = start == 1;
    }
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (doubleQuoted) {
            if (c == '"') {
                doubleQuoted = false;
            } else if (c == '\\' && i + 1 < value.size() && IsOneOf(value[i + 1], "$`\"\\")) {
                path += value[++i];
            } else if (c == '$' || c == '`') {
                return std::nullopt;
            } else {
                path += c;
            }
        } else if (c == '"') {
            doubleQuoted = true;
        } else if (c == '\'') {
            const std::size_t close = value.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            path.append(value.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '\\') {
            if (i + 1 == value.size()) return std::nullopt;
            path += value[++i];
        } else if (IsBlank(c)) {
            break;
        } else if (IsOneOf(c, "$`;&|<>()")) {
            return std::nullopt;
        } else {
            path += c;
        }
    }
    if (doubleQuoted) return std::nullopt;
    while (i < value.size() && IsBlank(value[i])) ++i;
    if (i < value.size() && value[i] != '#') return std::nullopt;
    if (belowHome) return path;
    if (path.empty() || path[0] != '/') return std::nullopt;
    return path;
}

}  // namespace

std::string UserDir(std::string_view fileText, std::string_view name, std::string_view home,
                    std::string_view fallback) {
    std::string_view homeBase = home;
    while (!homeBase.empty() && homeBase.back() == '/') homeBase.remove_suffix(1);

    std::optional<std::string> found;
    for (std::size_t next = 0; next < fileText.size();) {
        std::size_t end = fileText.find('\n', next);
        if (end == std::string_view::npos) end = fileText.size();
        std::string_view line = fileText.substr(next, end - next);
        next = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        // Comments and other names fail this test too.
        if (line.size() <= name.size() || line.substr(0, name.size()) != name || line[name.size()] != '=') continue;
        if (auto path = ReadPath(line.substr(name.size() + 1), homeBase)) found = std::move(path);
    }

    std::string path = found ? std::move(*found) : std::string(homeBase) + "/" + std::string(fallback);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    // "$HOME" alone when home is the root folder.
    if (path.empty()) path = "/";
    return path;
}

}  // namespace bayhaul
