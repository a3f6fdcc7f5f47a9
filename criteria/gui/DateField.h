// The text of a criteria date field in the user's locale: the locale's short date form,
// always with a four-digit year so that what is shown reads back as the same day; in the
// C locale the ISO form. Reading also takes a time after the date, the locale's own
// two-digit-year form and ISO dates.
//
//   field->setText(dateFieldText(criteria.modifiedAfter));
//   if (!readDateField(field->text(), criteria.modifiedAfter)) ... kEnterADate
//
// Exercised by tests/gui/CriteriaPagesTest.cpp.
#pragma once

#include <QLocale>
#include <QString>

#include "engine/DateTime.h"

namespace scoutwell {

// The date part of `date`; empty when the date cannot be shown.
QString dateFieldText(OleDate date, const QLocale& locale = QLocale());

// The date (and time, midnight without one) the text names, within the field range.
// False, with `date` unchanged, for anything else.
bool readDateField(const QString& text, OleDate& date, const QLocale& locale = QLocale());

// The current local date and time to the second.
OleDate currentOleDate();

}  // namespace scoutwell
