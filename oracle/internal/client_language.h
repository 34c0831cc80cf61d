#pragma once
// The language settings the client library is loaded with. The system exchanges text with the
// database in code page 1251, writes dates as DD.MM.YYYY and numbers with a decimal point, so
// before the library is loaded:
//
//  - NLS_LANG unset or empty: it becomes AMERICAN_AMERICA.CL8MSWIN1251;
//  - NLS_LANG set: its character-set part (after the last ".") becomes CL8MSWIN1251, and is
//    added when it has none; language and territory stay the user's;
//  - NLS_DATE_FORMAT unset or empty: it becomes DD.MM.RRRR HH24:MI:SS, whichever way NLS_LANG was
//    set, since a client reads NLS_DATE_FORMAT only once NLS_LANG is set and the territory's own
//    format would not read the dates the import writes; the time part reads the time of day of
//    timestamp values, and a date without one is read as midnight;
//  - NLS_NUMERIC_CHARACTERS becomes ".," unless it already has a full stop as its decimal
//    character: the import writes numbers with a decimal point whatever the regional settings,
//    and a territory such as RUSSIA, or the user's own setting, would read a comma instead.

namespace qm {

class Environment;

void SetClientLanguageEnvironment(Environment& env);

}  // namespace qm
