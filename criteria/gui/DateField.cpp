#include "criteria/gui/DateField.h"

#include <QDateTime>
#include <QStringList>

#include "criteria/core/CriteriaFields.h"

namespace scoutwell {

namespace {

constexpr const char* kIsoDateFormat = "yyyy-MM-dd";
// Two-digit years name a year from here to 99 years later.
constexpr int kFirstTwoDigitYear = 1930;

bool isCLocale(const QLocale& locale) {
    return locale.language() == QLocale::C;
}

// The locale's short date form with the year written in full.
QString displayFormat(const QLocale& locale) {
    if (isCLocale(locale))
        return QString::fromLatin1(kIsoDateFormat);
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

bool oleDateFrom(const QDateTime& value, OleDate& out) {
    const QDate d = value.date();
    const QTime t = value.time();
    const CalendarTime calendar{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
    OleDate result = 0;
    if (!oleDateFromCalendar(calendar, result) || !dateFieldInRange(result))
        return false;
    out = result;
    return true;
}

QDateTime parseWith(const QLocale& locale, const QString& text, const QString& format) {
    return locale.toDateTime(text, format);
}

}  // namespace

QString dateFieldText(OleDate date, const QLocale& locale) {
    CalendarTime calendar;
    if (!dateFieldInRange(date) || !calendarFromOleDate(date, calendar))
        return {};
    const QDate day(calendar.year, calendar.month, calendar.day);
    return locale.toString(day, displayFormat(locale));
}

bool readDateField(const QString& text, OleDate& date, const QLocale& locale) {
    const QString trimmed = text.simplified();
    if (trimmed.isEmpty())
        return false;
    const QString shown = displayFormat(locale);
    const QString iso = QString::fromLatin1(kIsoDateFormat);
    const QStringList timeFormats{locale.timeFormat(QLocale::LongFormat),
                                  locale.timeFormat(QLocale::ShortFormat),
                                  QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")};
    for (const QString& dateFormat : {shown, iso}) {
        QDateTime value = parseWith(locale, trimmed, dateFormat);
        for (qsizetype i = 0; !value.isValid() && i < timeFormats.size(); ++i)
            value = parseWith(locale, trimmed, dateFormat + QLatin1Char(' ') + timeFormats[i]);
        // A year written short may read as a year below 100 here; the forms below know
        // better.
        if (value.isValid() && oleDateFrom(value, date))
            return true;
    }
    QDateTime value = QDateTime::fromString(trimmed, Qt::ISODate);
    if (value.isValid() && oleDateFrom(value, date))
        return true;
    // The locale's own short form may carry a two-digit year, which Qt reads as 19xx.
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    if (!shortFormat.contains(QLatin1String("yyyy"))) {
        value = parseWith(locale, trimmed, shortFormat);
        for (qsizetype i = 0; !value.isValid() && i < timeFormats.size(); ++i)
            value = parseWith(locale, trimmed, shortFormat + QLatin1Char(' ') + timeFormats[i]);
        if (value.isValid()) {
            if (value.date().year() < kFirstTwoDigitYear)
                value = value.addYears(100);
            return oleDateFrom(value, date);
        }
    }
    return false;
}

OleDate currentOleDate() {
    OleDate now = kNoDate;
    oleDateFrom(QDateTime::currentDateTime(), now);
    return now;
}

}  // namespace scoutwell
