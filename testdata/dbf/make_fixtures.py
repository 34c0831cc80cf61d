#!/usr/bin/python3
"""Writes the dBASE fixture tables of the source tests with an independent writer.

Run with Debian's python3-dbf (apt-get install python3-dbf) from this folder:
    /usr/bin/python3 make_fixtures.py
The files it writes are committed, so the tests never need Python.
"""
import datetime
import decimal
import os

import dbf

HERE = os.path.dirname(os.path.abspath(__file__))


def path(name):
    return os.path.join(HERE, name)


def remove_old(base):
    for ext in ('.dbf', '.dbt', '.fpt'):
        try:
            os.remove(path(base + ext))
        except FileNotFoundError:
            pass


def make_db3(base, codepage):
    """dBASE III with a .dbt memo and Cyrillic text; one record carries the deletion mark."""
    remove_old(base)
    t = dbf.Table(path(base + '.dbf'),
                  'name C(20); qty N(10,2); born D; active L; notes M',
                  dbf_type='db3', codepage=codepage)
    t.open(dbf.READ_WRITE)
    t.append(('Иванов Пётр', 12.5, datetime.date(1999, 12, 31), True,
              'Примечание: многострочный\r\nтекст в memo'))
    t.append(('Удалённая запись', 1, datetime.date(2000, 1, 1), True, 'удалено'))
    t.append(('Ёлкина', -3, None, False, ''))
    t.append(('ASCII only', None, datetime.date(2024, 2, 29), None, None))
    dbf.delete(t[1])
    t.close()


def make_numbers():
    """Numeric columns on both sides of the integer/large-integer/float borders."""
    remove_old('db3_numbers')
    t = dbf.Table(path('db3_numbers.dbf'),
                  'small N(9,0); large N(10,0); wide N(18,0); huge N(19,0); '
                  'money N(12,2); ratio F(12,5)',
                  dbf_type='db3', codepage='cp1251')
    t.open(dbf.READ_WRITE)
    t.append((123456789, 1234567890, 123456789012345678, 1234567890123456789,
              1234.5, 0.125))
    t.append((-42, -1, 0, 0, -0.01, -3.5))
    t.append((None, None, None, None, None, None))
    t.close()


def make_vfp():
    """Visual FoxPro with a .fpt memo: integer, datetime, currency, double and memo kinds."""
    remove_old('vfp_cp1251')
    t = dbf.Table(path('vfp_cp1251.dbf'),
                  'id I; stamp T; price Y; ratio B; title C(20); body M; bits G; pic P',
                  dbf_type='vfp', codepage='cp1251')
    t.open(dbf.READ_WRITE)
    t.append((1, datetime.datetime(2024, 3, 15, 13, 45, 30), decimal.Decimal('1234.5678'),
              3.14159, 'Привет', 'длинный текст memo', b'\x00\x01binary', b'GIF89a'))
    t.append((-2147483647, datetime.datetime(2024, 3, 16, 0, 0, 0), decimal.Decimal('-0.0001'),
              -1e300, '', None, None, None))
    t.close()


def make_vfp_nulls():
    """Nullable Visual FoxPro columns: the second record is NULL in every one of them."""
    remove_old('vfp_nulls')
    t = dbf.Table(path('vfp_nulls.dbf'),
                  'id I null; name C(10) null; amount N(8,2) null; when D null; ok L null',
                  dbf_type='vfp', codepage='cp1252')
    t.open(dbf.READ_WRITE)
    t.append((1, 'abc', 1.5, datetime.date(2020, 1, 2), True))
    t.append((dbf.Null, dbf.Null, dbf.Null, dbf.Null, dbf.Null))
    t.close()


def make_foxpro2():
    """FoxPro 2.x (0xF5) in code page 866 with ten-digit memo pointers into a .fpt."""
    remove_old('fp26_cp866')
    t = dbf.Table(path('fp26_cp866.dbf'),
                  'name C(10); n N(5,0); f F(10,3); m M; g G; p P',
                  dbf_type='fp', codepage='cp866')
    t.open(dbf.READ_WRITE)
    t.append(('Щука', 7, 2.5, 'Мемо FoxPro', b'OLE', b'PIC'))
    t.close()


def make_clipper():
    """A 300-character column: its width's high byte is kept in the decimals byte."""
    remove_old('clp_long')
    t = dbf.Table(path('clp_long.dbf'), 'text C(300); n N(5,0)',
                  dbf_type='clp', codepage='cp437')
    t.open(dbf.READ_WRITE)
    t.append(('x' * 299 + 'y', 5))
    t.close()


make_db3('db3_cp1251', 'cp1251')
make_db3('db3_cp866', 'cp866')
make_numbers()
make_vfp()
make_vfp_nulls()
make_foxpro2()
make_clipper()
