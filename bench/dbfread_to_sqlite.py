#!/usr/bin/env python3
"""What a Python user would write instead of the import: read a dBASE table with dbfread and
insert its records into a SQLite table through sqlite3, one transaction. With --read-only the
records are only read (every value made), nothing is written; with --sums COLUMN:POWER,... as well
it prints the record count and, for each column, the sum of its values raised to the power (the
benchmark's check of what dbfread read, run apart from the timed runs).

Usage: dbfread_to_sqlite.py [--read-only [--sums ID:1,PRICE:1]] [--encoding cp866] TABLE.dbf
                            [OUT.sqlite]
"""
import argparse
import sqlite3

import dbfread

KINDS = {'N': 'NUMERIC', 'F': 'REAL', 'I': 'INTEGER', 'D': 'DATE', 'L': 'INTEGER'}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--read-only', action='store_true')
    parser.add_argument('--encoding', default='cp866')
    parser.add_argument('--sums')
    parser.add_argument('table')
    parser.add_argument('out', nargs='?')
    args = parser.parse_args()

    table = dbfread.DBF(args.table, encoding=args.encoding)
    if args.read_only and args.sums:
        sum_columns = [(c.split(':')[0].upper(), int(c.split(':')[1])) for c in args.sums.split(',')]
        count = 0
        sums = [0.0] * len(sum_columns)
        for record in table:
            values = {k.upper(): v for k, v in record.items()}
            count += 1
            for i, (column, power) in enumerate(sum_columns):
                if values[column] is not None:
                    sums[i] += float(values[column]) ** power
        print(count, *sums)
        return
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
