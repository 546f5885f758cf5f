#include "settings/locale_text.h"

namespace bayhaul {

std::string LocaleText::FirstCharacters(const std::string& text, std::size_t count) const {
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        const bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
        if (startsCharacter && seen++ == count) break;
    }
    return text.substr(0, end);
}

std::string GeneralDateTime(const LocalTime& moment, const LocaleText& locale) {
    const bool midnight = moment.hour == 0 && moment.minute == 0 && moment.second == 0;
    std::string text = locale.ShortDate(moment);
    if (!midnight) text += " " + locale.LongTime(moment);
    return text;
}

std::string WithFourDigitYear(const std::string& format) {
    std::string widened;
    bool quoted = false;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'') quoted = !quoted;  // '' inside or outside a quote toggles twice
        std::size_t run = 1;
        while (!quoted && c == 'y' && i + run < format.size() && format[i + run] == c) ++run;
        widened += !quoted && c == 'y' && run == 2 ? std::string("yyyy") : format.substr(i, run);
        i += run;
    }
    return widened;
}

std::string ClockText(const LocalTime& moment, const LocaleText& locale) {
    return locale.FirstCharacters(locale.WeekdayName(moment), 3) + ", " + GeneralDateTime(moment, locale);
}

}  // namespace bayhaul
