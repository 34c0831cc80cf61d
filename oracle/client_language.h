#pragma once
// The language settings the client library is loaded with. The system exchanges text with the
// database in code page 1251 and writes dates as DD.MM.YYYY, so before the library is loaded:
//
//  - NLS_LANG unset or empty: it becomes AMERICAN_AMERICA.CL8MSWIN1251;
//  - NLS_LANG set: its character-set part (after the last ".") becomes CL8MSWIN1251, and is
//    added when it has none; language and territory stay the user's;
//  - NLS_DATE_FORMAT unset or empty: it becomes DD.MM.RRRR, whichever way NLS_LANG was set, since a
//    client reads NLS_DATE_FORMAT only once NLS_LANG is set and the territory's own format
//    would not read the dates the import writes.

namespace qm {

class Environment;

void SetClientLanguageEnvironment(Environment& env);

}  // namespace qm
