#!/usr/bin/env python3
"""What a Python user would write instead of the import: read a dBASE table with dbfread and
insert its records into a SQLite table through sqlite3, one transaction. With --read-only the
records are only read (every value made), nothing is written.

Usage: dbfread_to_sqlite.py [--read-only] [--encoding cp866] TABLE.dbf [OUT.sqlite]
"""
import argparse
import sqlite3

import dbfread

KINDS = {'N': 'NUMERIC', 'F': 'REAL', 'I': 'INTEGER', 'D': 'DATE', 'L': 'INTEGER'}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--read-only', action='store_true')
    parser.add_argument('--encoding', default='cp866')
    parser.add_argument('table')
    parser.add_argument('out', nargs='?')
    args = parser.parse_args()

    table = dbfread.DBF(args.table, encoding=args.encoding)
    if args.read_only:
        count = 0
        for record in table:
            count += len(record)
        print(count)
        return

    columns = ', '.join(f'{f.name} {KINDS.get(f.type, "TEXT")}' for f in table.fields)
    marks = ', '.join('?' * len(table.fields))
    db = sqlite3.connect(args.out)
    db.execute(f'create table if not exists target ({columns})')
    with db:
        db.executemany(f'insert into target values ({marks})',
                       (tuple(record.values()) for record in table))
    db.close()


if __name__ == '__main__':
    main()
