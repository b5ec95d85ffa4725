#!/usr/bin/python3
"""Writes a dBase III table (with a .dbt memo file when it has M fields) with
Debian's python3-dbf, text in code page 866, for the reliability tests to read
and import; or another of its table types and code pages.

Usage: peer_write.py TABLE 'NAME C(30); QTY N(10,2); NOTE M' [TYPE [CODEPAGE]] <records

TYPE is python3-dbf's dbf_type (db3, the default; fp for FoxPro with a .fpt
memo file), CODEPAGE its codepage (cp866, the default; cp1251), which it
marks in header byte 29.

Each line of stdin is one record as a Python tuple; a date is given as a
(year, month, day) tuple, and a record whose first value starts with "~" is
deleted after it was written (the "~" dropped).
"""
import datetime
import sys

import dbf


def value_of(value):
    if isinstance(value, tuple):
        return datetime.date(*value)
    return value


def main():
    path, fields = sys.argv[1], sys.argv[2]
    dbf_type = sys.argv[3] if len(sys.argv) > 3 else 'db3'
    codepage = sys.argv[4] if len(sys.argv) > 4 else 'cp866'
    table = dbf.Table(path, fields, codepage=codepage, dbf_type=dbf_type)
    table.open(dbf.READ_WRITE)
    for line in sys.stdin.read().splitlines():
        values = [value_of(v) for v in eval(line)]
        deleted = isinstance(values[0], str) and values[0].startswith('~')
        if deleted:
            values[0] = values[0][1:]
        table.append(tuple(values))
        if deleted:
            dbf.delete(table[-1])
    table.close()


main()
