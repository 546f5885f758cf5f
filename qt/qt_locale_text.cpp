#include "qt/qt_locale_text.h"

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

std::string QtLocaleText::WeekdayName(const LocalTime& moment) const {
    return locale_.toString(DateOf(moment), QStringLiteral("dddd")).toStdString();
}

std::string QtLocaleText::ShortDate(const LocalTime& moment) const {
    const std::string format = WithFourDigitYear(locale_.dateFormat(QLocale::ShortFormat).toStdString());
    return locale_.toString(DateOf(moment), QString::fromStdString(format)).toStdString();
}

std::string QtLocaleText::LongTime(const LocalTime& moment) const {
    return locale_.toString(QTime(moment.hour, moment.minute, moment.second), LongTimeFormat(locale_)).toStdString();
}

std::string QtLocaleText::Number(long long value) const {
    return locale_.toString(value).toStdString();
}

}  // namespace bayhaul
