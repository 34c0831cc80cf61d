#!/usr/bin/env python3
"""Writes the demo's sample table people.dbf (dBASE III with a .dbt memo, code page 866).

Made once with Debian's python3-dbf; the files it writes are kept beside it, so the demo needs no
Python.
"""
import datetime
import os

import dbf

here = os.path.dirname(os.path.abspath(__file__))
for ext in ('dbf', 'dbt'):
    p = os.path.join(here, 'people.' + ext)
    if os.path.exists(p):
        os.remove(p)

table = dbf.Table(os.path.join(here, 'people.dbf'),
                  'ID N(6,0); NAME C(30); CITY C(20); BORN D; SALARY N(10,2); ACTIVE L; NOTES M',
                  dbf_type='db3', codepage='cp866')
table.open(dbf.READ_WRITE)
rows = [
    (1, 'Иванов Пётр', 'Москва', datetime.date(1975, 3, 15), 52000.50, True,
     'Руководитель отдела'),
    (2, 'Смирнова Анна', 'Санкт-Петербург', datetime.date(1982, 11, 2), 48100.00, True, ''),
    (3, 'Кузнецов Илья', 'Казань', datetime.date(1990, 7, 28), 39999.99, False,
     'В отпуске до августа'),
    (4, 'Ёлкина Мария', 'Новосибирск', None, 41250.75, True, ''),
    (5, "O'Brien John", 'Tver', datetime.date(2001, 1, 1), None, None, 'Guest, contractor'),
]
for r in rows:
    table.append(r)
table.close()
