#!/usr/bin/python3
"""Writes the small tables under tests/dbf/data with an independent dBase
library (Debian's python3-dbf), so the engine's tests read files it did not
write itself. Run it from this folder; the outputs are committed."""
import datetime

import dbf


def cyrillic_db3():
    # dBase III table, OEM (866) text, one deleted record.
    table = dbf.Table('peer_db3.dbf', 'name C(20); qty N(8,2); day D; ok L',
                      dbf_type='db3', codepage='cp866')
    with table.open(dbf.READ_WRITE):
        table.append(('Аспирин', 12.5, datetime.date(2024, 3, 5), True))
        table.append(('Йод, 5%', -0.5, None, False))
        table.append(('Бинт', 3, datetime.date(1999, 12, 31), None))
        dbf.delete(table[1])


def visual_foxpro():
    # Version 0x30: binary integer, double, currency and date-time fields.
    table = dbf.Table('peer_vfp.dbf', 'code I; price B; cost Y; stamp T; name C(6)',
                      dbf_type='vfp', codepage='cp866')
    with table.open(dbf.READ_WRITE):
        table.append((-7, 2.75, 12.3456, datetime.datetime(2024, 3, 5, 12, 30, 15), 'Мазь'))


def db3_memo():
    # dBase III table with a memo file: a Cyrillic text, an empty one, one
    # longer than a block.
    table = dbf.Table('peer_db3_memo.dbf', 'name C(10); note M', dbf_type='db3', codepage='cp866')
    with table.open(dbf.READ_WRITE):
        table.append(('one', 'Аспирин'))
        table.append(('two', ''))
        table.append(('three', 'x' * 700))


if __name__ == '__main__':
    cyrillic_db3()
    visual_foxpro()
    db3_memo()
