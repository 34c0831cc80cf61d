#!/usr/bin/env python3
"""Writes the benchmark workloads: dBASE III tables with a memo file, code page 866.

For each size N given, into OUT_DIR:
  tN.dbf, tN.dbt   N records of ten fields: ID N(9), NAME C(30) and CITY C(20) in Cyrillic,
                   QTY N(6), PRICE N(12,2), RATE N(10,4), BORN and HIRED D, ACTIVE L, NOTES M
  tN.ini           the field-link file: every field into the column of its name, dates through "D"
and once:
  target.sql       the target table the links fill

The same seed gives the same files byte for byte. Every record has a memo; the memo texts come
from a small set and each text is stored once, records with the same text pointing at the same
block (a valid file that keeps the memo file small: one 512-byte block per record would make it
half a gigabyte at a million records). Every value is non-empty, so that an import into a table
already holding the rows finds each of them with its existence query ('' is NULL and equals
nothing).

Standard library only. Usage: bench_workloads.py [--seed S] OUT_DIR N [N ...]
"""
import argparse
import datetime
import os
import random
import struct

FIELDS = [  # name, type, length, decimals
    ('ID', 'N', 9, 0),
    ('NAME', 'C', 30, 0),
    ('CITY', 'C', 20, 0),
    ('QTY', 'N', 6, 0),
    ('PRICE', 'N', 12, 2),
    ('RATE', 'N', 10, 4),
    ('BORN', 'D', 8, 0),
    ('HIRED', 'D', 8, 0),
    ('ACTIVE', 'L', 1, 0),
    ('NOTES', 'M', 10, 0),
]
RECORD_LENGTH = 1 + sum(f[2] for f in FIELDS)
MEMO_BLOCK = 512
LANGUAGE_DRIVER_866 = 0x26
VERSION_DBASE3_MEMO = 0x83

SURNAMES = ['Иванов', 'Смирнов', 'Кузнецов', 'Попов', 'Васильев', 'Петров', 'Соколов',
            'Михайлов', 'Новиков', 'Фёдоров', 'Морозов', 'Волков', 'Алексеев', 'Лебедев',
            'Семёнов', 'Егоров', 'Павлов', 'Козлов', 'Степанов', 'Николаев', "O'Brien"]
GIVEN = ['Пётр', 'Анна', 'Илья', 'Мария', 'Сергей', 'Ольга', 'Дмитрий', 'Елена', 'Юрий',
         'Наталья', 'Андрей', 'Татьяна', 'Алексей', 'Ирина', 'John']
CITIES = ['Москва', 'Санкт-Петербург', 'Новосибирск', 'Екатеринбург', 'Казань',
          'Нижний Новгород', 'Челябинск', 'Самара', 'Омск', 'Ростов-на-Дону', 'Уфа', 'Тверь',
          'Tver', 'Пермь', 'Воронеж', 'Волгоград']
MEMO_WORDS = ['договор', 'оплата', 'в отпуске', 'руководитель отдела', 'стажёр', 'с 2001 года',
              'перевод', 'премия', 'командировка', 'больничный', 'совместитель', 'архив']
MEMO_TEXTS = 64

DAY0 = datetime.date(1940, 1, 1).toordinal()


def cp866(text, width):
    data = text.encode('cp866')[:width]
    return data + b' ' * (width - len(data))


def number(value, width):
    data = value.encode('ascii')
    if len(data) > width:
        raise ValueError(value)
    return b' ' * (width - len(data)) + data


def date(rng, first_year, years):
    day = datetime.date.fromordinal(DAY0 + (first_year - 1940) * 365 + rng.randrange(years * 365))
    return day.strftime('%Y%m%d').encode('ascii')


def header(records):
    today = datetime.date(2026, 1, 1)
    head = struct.pack('<BBBBIHH20x', VERSION_DBASE3_MEMO, today.year - 1900, today.month,
                       today.day, records, 32 + 32 * len(FIELDS) + 1, RECORD_LENGTH)
    head = bytearray(head)
    head[29] = LANGUAGE_DRIVER_866
    for name, kind, length, decimals in FIELDS:
        head += struct.pack('<11sc4xBB14x', name.encode('ascii'), kind.encode('ascii'), length,
                            decimals)
    head += b'\x0d'
    return bytes(head)


def memo_texts(rng):
    texts = []
    for i in range(MEMO_TEXTS):
        words = [rng.choice(MEMO_WORDS) for _ in range(1 + i % 6)]
        texts.append(f'{i + 1}: ' + ', '.join(words) + '.')
    return texts


def write_memo_file(path, texts):
    """A dBASE III memo file holding each text in its own block; returns their block numbers."""
    blocks = []
    body = bytearray()
    next_block = 1
    for text in texts:
        data = text.encode('cp866') + b'\x1a\x1a'
        blocks.append(next_block)
        used = (len(data) + MEMO_BLOCK - 1) // MEMO_BLOCK
        body += data + b'\0' * (used * MEMO_BLOCK - len(data))
        next_block += used
    head = struct.pack('<I', next_block) + b'\0' * (MEMO_BLOCK - 4)
    with open(path, 'wb') as out:
        out.write(head + body)
    return blocks


def write_table(out_dir, records, seed):
    rng = random.Random(f'{seed}/{records}')
    base = os.path.join(out_dir, f't{records}')
    blocks = write_memo_file(base + '.dbt', memo_texts(rng))
    with open(base + '.dbf', 'wb') as out:
        out.write(header(records))
        chunk = []
        for r in range(records):
            name = f'{rng.choice(SURNAMES)} {rng.choice(GIVEN)}'
            rec = b''.join((
                b' ',
                number(str(r + 1), 9),
                cp866(name, 30),
                cp866(rng.choice(CITIES), 20),
                number(str(rng.randrange(100000)), 6),
                number(f'{rng.randrange(100000000) / 100:.2f}', 12),
                number(f'{rng.randrange(-99999, 100000) / 10000:.4f}', 10),
                date(rng, 1940, 65),
                date(rng, 1990, 35),
                b'T' if rng.random() < 0.7 else b'F',
                number(str(rng.choice(blocks)), 10),
            ))
            chunk.append(rec)
            if len(chunk) == 8192:
                out.write(b''.join(chunk))
                chunk.clear()
        out.write(b''.join(chunk))
        out.write(b'\x1a')
    with open(base + '.ini', 'w', encoding='cp1251', newline='\r\n') as ini:
        ini.write('[Rows]\n')
        for i, (name, kind, _, _) in enumerate(FIELDS, start=1):
            column_type = {'N': 'NUMBER', 'D': 'DATE'}.get(kind, 'VARCHAR2')
            code = 'D' if kind == 'D' else ''
            ini.write(f'Row{i}={name},{column_type},1,{name},{code},\n')


TARGET_SQL = """create table target (
  id     number(9),
  name   varchar2(30),
  city   varchar2(20),
  qty    number(6),
  price  number(12,2),
  rate   number(10,4),
  born   date,
  hired  date,
  active varchar2(5),
  notes  varchar2(200)
);
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--seed', default='1')
    parser.add_argument('out_dir')
    parser.add_argument('sizes', nargs='+', type=int)
    args = parser.parse_args()
    os.makedirs(args.out_dir, exist_ok=True)
    with open(os.path.join(args.out_dir, 'target.sql'), 'w') as sql:
        sql.write(TARGET_SQL)
    for n in args.sizes:
        write_table(args.out_dir, n, args.seed)


if __name__ == '__main__':
    main()
