"""Reads a table with dbfread and compares it with the engine's own view of it.

Usage: read_dbf.py TABLE.dbf VIEW.json

VIEW.json holds what the engine reports: its field list and, per record in record-number order,
the deletion flag and every field's value (text trimmed on the right, numbers as numbers or null
when blank, dates as YYYYMMDD or null, logicals as the stored character, memos as their text).
The engine's texts are its bytes, one character each; dbfread decodes the table in the code page
its header declares, which must be Windows-1252. Prints every difference and exits 1 when there
is one.
"""
import datetime
import json
import sys

from dbfread import DBF


def expected(kind, ours):
    if isinstance(ours, str):
        ours = ours.encode('latin-1').decode('cp1252')
    if kind == 'L':
        return {'T': True, 't': True, 'Y': True, 'y': True,
                'F': False, 'f': False, 'N': False, 'n': False}.get(ours)
    if kind == 'D':
        return None if ours is None else datetime.datetime.strptime(ours, '%Y%m%d').date()
    if kind == 'M':
        return ours or None
    return ours


def same(kind, theirs, ours):
    if kind == 'N' and theirs is not None and ours is not None:
        return abs(theirs - ours) < 1e-9
    return theirs == ours


def short(value):
    text = repr(value)
    return text if len(text) <= 80 else '%s... (%d characters)' % (text[:60], len(value))


def main():
    table_path, view_path = sys.argv[1], sys.argv[2]
    with open(view_path, encoding='utf-8') as f:
        view = json.load(f)
    table = DBF(table_path, char_decode_errors='strict')
    problems = []
    if table.encoding != 'cp1252':
        problems.append('the header declares %s, expected cp1252' % table.encoding)

    version = 0x83 if any(f[1] == 'M' for f in view['fields']) else 0x03
    if table.header.dbversion != version:
        problems.append('version byte 0x%02x, expected 0x%02x' % (table.header.dbversion, version))
    theirs_fields = [(f.name, f.type, f.length, f.decimal_count) for f in table.fields]
    ours_fields = [tuple(f) for f in view['fields']]
    if theirs_fields != ours_fields:
        problems.append('fields %r, engine has %r' % (theirs_fields, ours_fields))
    if table.header.numrecords != len(view['records']):
        problems.append('header counts %d records, engine has %d'
                        % (table.header.numrecords, len(view['records'])))

    kinds = {f[0]: f[1] for f in view['fields']}
    # dbfread hands out live and deleted records separately, each in file order.
    for deleted, theirs_records in ((False, table.records), (True, table.deleted)):
        ours_records = [r for r in view['records'] if r['deleted'] == deleted]
        label = 'deleted' if deleted else 'live'
        if len(theirs_records) != len(ours_records):
            problems.append('%d %s records, engine has %d (records %s...)'
                            % (len(theirs_records), label, len(ours_records),
                               [r['recno'] for r in ours_records[:10]]))
            continue  # the records cannot be paired
        for theirs, ours in zip(theirs_records, ours_records):
            for name, kind in kinds.items():
                want = expected(kind, ours['values'][name])
                if not same(kind, theirs[name], want):
                    problems.append('record %d (%s) field %s: dbfread reads %s, engine has %s'
                                    % (ours['recno'], label, name, short(theirs[name]),
                                       short(want)))

    for line in problems[:40]:
        print(line)
    if len(problems) > 40:
        print('... and %d more differences' % (len(problems) - 40))
    if problems:
        return 1
    print('dbfread agrees on %d records' % len(view['records']))
    return 0


if __name__ == '__main__':
    sys.exit(main())
