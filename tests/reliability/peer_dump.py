#!/usr/bin/python3
"""Prints a dBase table the way an independent library reads it, one line per
record, for the reliability tests to compare with the engine's own reading.

Usage: peer_dump.py dbfread|dbf TABLE [ENCODING]

ENCODING is the code page the table's text is read in (cp866 by default).

Output: "count N" (the records the reader walks), then per record one line of
tab-separated NAME=value cells in the canonical form the tests use (deleted records are passed over):
text as is (trailing blanks removed), numbers with the field's decimals
(whole numbers exactly), dates as yyyy-mm-dd, logicals as T or F, memo texts
as is, and <null> for no value. dBase IV memo texts come back from dbfread
with 8 bytes too many (it takes the length word, text + 8, for the text's
length); those 8 bytes are dropped here.
"""
import datetime
import sys


def render(kind, decimals, value):
    if value is None:
        return '<null>'
    if kind == 'C':
        return value.rstrip(' ')
    if kind in 'NF':
        if decimals == 0 and isinstance(value, int):
            return str(value)
        return '%.*f' % (decimals, value)
    if kind == 'D':
        return value.isoformat() if isinstance(value, datetime.date) else '<null>'
    if kind == 'L':
        return 'T' if value else 'F'
    return str(value)


def with_dbfread(path, encoding):
    import dbfread
    table = dbfread.DBF(path, encoding=encoding, char_decode_errors='strict')
    fields = [(f.name, f.type, f.decimal_count) for f in table.fields]
    dbase4_memo = table.header.dbversion == 0x8B
    records = list(table)
    print('count', len(records))
    for record in records:
        cells = []
        for name, kind, decimals in fields:
            value = record[name]
            if kind == 'M' and value is not None and dbase4_memo:
                value = value[:-8]
            cells.append(name + '=' + render(kind, decimals, value))
        print('\t'.join(cells))


def with_dbf(path, encoding):
    import dbf
    table = dbf.Table(path, codepage=encoding)
    table.open(dbf.READ_ONLY)
    fields = []
    for name in table.field_names:
        info = table.field_info(name)
        fields.append((name.upper(), chr(info.field_type), info.decimal))
    records = [record for record in table if not dbf.is_deleted(record)]
    print('count', len(records))
    for record in records:
        cells = []
        for name, kind, decimals in fields:
            value = record[name.lower()]
            if kind == 'D' and not value:
                value = None
            cells.append(name + '=' + render(kind, decimals, value))
        print('\t'.join(cells))
    table.close()


def main():
    sys.stdout.reconfigure(encoding='utf-8')
    reader, path = sys.argv[1], sys.argv[2]
    encoding = sys.argv[3] if len(sys.argv) > 3 else 'cp866'
    {'dbfread': with_dbfread, 'dbf': with_dbf}[reader](path, encoding)


main()
