#include "app/qt_locale_text.h"

#include <QDate>
#include <QLocale>
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
    return QLocale().toString(DateOf(moment), QStringLiteral("dddd")).toStdString();
}

std::string QtLocaleText::ShortDate(const LocalTime& moment) const {
    return QLocale().toString(DateOf(moment), QLocale::ShortFormat).toStdString();
}

std::string QtLocaleText::LongTime(const LocalTime& moment) const {
    const QLocale locale;
    return locale.toString(QTime(moment.hour, moment.minute, moment.second), LongTimeFormat(locale)).toStdString();
}

}  // namespace bayhaul
