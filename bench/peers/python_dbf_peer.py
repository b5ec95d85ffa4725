#!/usr/bin/python3
"""Peer: Debian's python3-dbf appending records of the Djinal waybill table's
38 fields, 24 of them assigned per record as the export assigns them, with
values made up the way common/djinal_record.c makes them (same kinds and
lengths of text, code page 866). Prints the JSON line of the other
benchmark programs (case "python-dbf-append").

Usage: python_dbf_peer.py [--rows N] [--dir FOLDER]
"""

import argparse
import datetime
import json
import os
import resource
import time

import dbf

FIELDS = ("NDOC C(20); DATEDOC D; CODEPST C(12); EAN13 C(13); PRICE1 N(9,2); PRICE2 N(9,2); "
          "PRICE2N N(9,2); PRCIMP N(9,2); PRCOPT N(9,2); QNT N(9,2); SER C(20); GDATE D; "
          "DATEMADE D; NAME C(80); CNTR C(15); FIRM C(40); QNTPACK N(8,0); NDS N(9,2); "
          "NSP N(9,2); GNVLS N(1,0); REGPRC N(9,2); DATEPRC D; NUMGTD C(30); SERTIF C(80); "
          "SERTDATE D; SERTORG C(80); SUMPAY N(9,2); SUMNDS10 N(9,2); SUMNDS20 N(9,2); "
          "SUM10 N(9,2); SUM20 N(9,2); SUM0 N(9,2); EXCHCODE N(1,0); ERATE N(9,2); "
          "PODRCD C(12); NUMZ N(8,0); DATEZ D; DESCR C(100)")
NAMES = ["Парацетамол таб. 500мг №", "Аспирин Кардио таб. 100мг №", "Нурофен таб. п/о 200мг №",
         "Бинт стерильный 7м х 14см, уп. ", "Амоксициллин капс. 500мг №", "Но-шпа таб. 40мг №",
         "Валидол таб. подъязычные 60мг №", "Фурацилин таб. д/р-ра 20мг №"]
MAKERS = ["Фармстандарт-Лексредства ОАО", "Байер Консьюмер Кэр АГ", "Рекитт Бенкизер Хелскэр",
          "Эвтекс ООО", "Хинойн Завод Фармацевтических и Химических Продуктов",
          "Татхимфармпрепараты ОАО"]
COUNTRIES = ["Россия", "Германия", "Великобритания", "Венгрия", "Индия"]
POOL_SIZE = 1000
START = datetime.date(2025, 1, 1)


def values(r):
    """The 24 assigned fields of pool row r."""
    price = 0.05 + (r * 37 % 100) / 100
    rate = (10, 20, 10, 18)[r % 4]
    quantity = 2 if r % 3 == 0 else 1
    return {
        "NDOC": str(4817 + r // 100),
        "DATEDOC": START + datetime.timedelta(days=r % 30),
        "CODEPST": str(50000 + r),
        "EAN13": f"460{1000000000 + r}",
        "PRICE2": round(price, 2),
        "PRICE2N": round(price / (1 + rate / 100), 2),
        "QNT": quantity,
        "SER": f"S{100000 + r}",
        "GDATE": START + datetime.timedelta(days=730 + r % 700),
        "DATEMADE": START - datetime.timedelta(days=r % 700),
        "NAME": f"{NAMES[r % 8]}{10 + r % 40}",
        "CNTR": COUNTRIES[r % 5],
        "FIRM": MAKERS[r % 6][:40],
        "DESCR": f"{NAMES[r % 8]} {MAKERS[r % 6]}"[:100],
        "QNTPACK": 10 + r % 40,
        "NDS": rate,
        "NUMGTD": f"10130000/010125/{r:07d}",
        "SERTIF": f"РОСС RU.ФМ01.Д{r:05d}",
        "SERTDATE": START + datetime.timedelta(days=r % 365),
        "SUMPAY": round(price * quantity, 2),
        "SUMNDS10": round(price * quantity * 10 / 110, 2) if rate == 10 else 0,
        "SUMNDS20": round(price * quantity * 20 / 120, 2) if rate == 20 else 0,
        "SUM10": round(price * quantity, 2) if rate == 10 else 0,
        "SUM20": round(price * quantity, 2) if rate == 20 else 0,
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=200000)
    parser.add_argument("--dir", default=".")
    args = parser.parse_args()
    # python3-dbf names its fields in lower case.
    pool = [{k.lower(): v for k, v in values(r).items()} for r in range(POOL_SIZE)]
    path = os.path.join(args.dir, "python_dbf_djinal.dbf")
    table = dbf.Table(path, FIELDS, dbf_type="db3", codepage="cp866")
    table.open(mode=dbf.READ_WRITE)
    start = time.monotonic()
    for row in range(args.rows):
        table.append(pool[row % POOL_SIZE])
    table.close()
    seconds = time.monotonic() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    print(json.dumps({"case": "python-dbf-append", "rows": args.rows, "seconds": round(seconds, 6),
                      "rows_per_second": round(args.rows / seconds), "peak_rss_kib": peak},
                     separators=(",", ":")), flush=True)


if __name__ == "__main__":
    main()
