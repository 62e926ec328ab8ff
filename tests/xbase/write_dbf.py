"""Writes a dBASE III table with memos using the dbf module, and a listing of what it wrote.

Usage: write_dbf.py DIR

Creates DIR/people.dbf and DIR/people.dbt, then DIR/people.txt with one line per field,
"field NAME TYPE LENGTH DECIMALS", and one line per record in record-number order,
"record RECNO DELETED VALUE...", each value the hex of its bytes in code page 1252 (numbers in
Python's repr, dates as YYYYMMDD, logicals T or F), or "-" for an empty value.
"""
import datetime
import os
import random
import sys

import dbf

SPECS = ('cuno N(6,0); last C(20); first C(13); amount N(10,2); idate D; active L; '
         'notes M; prid C(4)')
LAST = ['Smith', 'Müller', 'Brown', 'García', 'Øster', 'Lee', "O'Neil", 'Zoë']
FIRST = ['Ann', 'Bob', 'Émile', 'Jörg', 'Li', '']


def memo_text(rng, i):
    kind = i % 7
    if kind == 0:
        return ''
    if kind == 1:
        return 'Call back on Monday.\r\nAsk for %s.' % rng.choice(FIRST)
    if kind == 2:
        return 'x' * (510 + i % 3)  # around the end of a block with its terminator
    if kind == 3:
        return ''.join(rng.choice('abcdéfgh ijk\r\n') for _ in range(rng.randint(600, 2500)))
    if kind == 4:
        return 'Straße %d' % i
    return None  # left as the dbf module initialises it


def main():
    out = sys.argv[1]
    rng = random.Random(20260301)
    table = dbf.Table(os.path.join(out, 'people.dbf'), SPECS, dbf_type='db3', codepage='cp1252')
    table.open(dbf.READ_WRITE)
    for i in range(1, 301):
        amount = round(rng.uniform(-9999, 99999), 2) if i % 5 else 0
        day = None if i % 9 == 0 else datetime.date(2019 + i % 8, 1 + i % 12, 1 + i % 28)
        active = [True, False, None][i % 3]
        values = {'cuno': i * 7 % 1000, 'last': rng.choice(LAST), 'first': rng.choice(FIRST),
                  'amount': amount, 'idate': day, 'active': active,
                  'prid': rng.choice(['A1', 'B22', 'C333', 'D444'])}
        memo = memo_text(rng, i)
        if memo is not None:
            values['notes'] = memo
        table.append(values)
    # Rewrite some memos and values after creation, and delete some records.
    for i, record in enumerate(table):
        if i % 11 == 0:
            dbf.write(record, notes='Rewritten %d: ' % i + 'z' * (i * 13 % 700))
        if i % 13 == 0:
            dbf.write(record, last='Renamed', amount=-0.5)
        if i % 6 == 0:
            dbf.delete(record)
    table.close()

    table = dbf.Table(os.path.join(out, 'people.dbf'))
    table.open(dbf.READ_ONLY)
    lines = []
    for name in table.field_names:
        info = table.field_info(name)
        lines.append('field %s %s %d %d' % (name.upper(), chr(info.field_type), info.length,
                                            info.decimal))
    for recno, record in enumerate(table, start=1):
        values = []
        for name in table.field_names:
            kind = chr(table.field_info(name).field_type)
            value = record[name]
            if kind == 'C':
                value = value.rstrip()
            elif kind == 'N':
                value = None if value is None else repr(value)
            elif kind == 'D':
                value = value.strftime('%Y%m%d') if value else None
            elif kind == 'L':
                value = None if value is None else ('T' if value else 'F')
            values.append('-' if value in (None, '') else value.encode('cp1252').hex())
        lines.append('record %d %d %s' % (recno, 1 if dbf.is_deleted(record) else 0,
                                          ' '.join(values)))
    table.close()
    with open(os.path.join(out, 'people.txt'), 'w') as f:
        f.write('\n'.join(lines) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
