#include "app/qt_locale_text.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

namespace bayhaul {

namespace {

QDate DateOf(const LocalTime& moment) {
    return QDate(moment.year, moment.month, moment.day);
}

// The locale's long time format without its time-zone field: a clock time
// of its own has no zone, and the general format shows none.
QString LongTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return format.trimmed();
}

}  // namespace

QString WithFourDigitYear(const QString& format) {
    QString widened;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) quoted = !quoted;  // '' inside or outside a quote toggles twice
        qsizetype run = 1;
        while (!quoted && c == QLatin1Char('y') && i + run < format.size() && format[i + run] == c) ++run;
        widened += !quoted && c == QLatin1Char('y') && run == 2 ? QStringLiteral("yyyy") : format.mid(i, run);
        i += run;
    }
    return widened;
}

std::string QtLocaleText::WeekdayName(const LocalTime& moment) const {
    return locale_.toString(DateOf(moment), QStringLiteral("dddd")).toStdString();
}

std::string QtLocaleText::ShortDate(const LocalTime& moment) const {
    return locale_.toString(DateOf(moment), WithFourDigitYear(locale_.dateFormat(QLocale::ShortFormat))).toStdString();
}

std::string QtLocaleText::LongTime(const LocalTime& moment) const {
    return locale_.toString(QTime(moment.hour, moment.minute, moment.second), LongTimeFormat(locale_)).toStdString();
}

std::string QtLocaleText::Number(long long value) const {
    return locale_.toString(value).toStdString();
}

}  // namespace bayhaul
