#!/usr/bin/python3
"""Turns the JSON lines of the benchmark programs into the tables of
docs/performance.md: the median of every case over its runs, then the targets
as ratios of medians measured in the same run.

Usage: summarize.py RESULTS.jsonl [MEMORY.jsonl]

RESULTS holds one line per case and run ({"case", "rows", "seconds",
"rows_per_second", "peak_rss_kib"}; a line with "error" is a failed case).
MEMORY, when given, holds the export cases at a small and at a large row
count: their peak resident memory is compared.
"""

import json
import statistics
import sys

# The rows of the table, in order: the case, what it measures.
ROWS = [
    ("floor-stream", "floor: one buffered write stream of ready record images"),
    ("floor-pwrite", "floor: 2 positioned writes per record (record + end mark, then the 32-byte header)"),
    ("floor-protocol", "floor: every call a shared append makes (lock, header re-read, size, 2 writes, unlock)"),
    ("floor-snprintf", "floor: formatting 24 values per record with `snprintf`, no I/O"),
    ("shapelib-append", "shapelib (C) appending the same records, values pre-formatted"),
    ("xbase64-append", "xbase64 (C++) appending the same records"),
    ("python-dbf-append", "python3-dbf appending the same fields"),
    ("xbase64-memo", "xbase64, 3 fields + a 600-character dBase IV memo per record"),
    ("shapelib-walk", "shapelib reading every field of every record"),
    ("xbase64-walk", "xbase64 reading every field of every record"),
    ("djinal", "pharmex: Djinal waybill export through the entry point"),
    ("apteka-m", "pharmex: Apteka M waybill export"),
    ("waybill-generic", "pharmex: generic waybill table export"),
    ("supplier", "pharmex: supplier export"),
    ("supplier-memo", "pharmex: supplier export, 600-character name in a memo"),
    ("order", "pharmex: order export"),
    ("price-generic", "pharmex: generic price table export"),
    ("khabarovsk", "pharmex: Khabarovsk price table export"),
    ("unico", "pharmex: Unico price table export"),
    ("efarma-sst", "pharmex: E-Farma SST text export"),
    ("apteka2000w", "pharmex: Apteka 2000W text export"),
    ("import-dbf4", "pharmex: DBF 4 order import into an empty order"),
    ("import-khabarovsk", "pharmex: Khabarovsk order import"),
    ("import-unico", "pharmex: Unico order import"),
    ("engine-append", "pharmex engine: append the Djinal records"),
    ("engine-walk", "pharmex engine: walk them reading every field"),
    ("cli-price", "pharmex export price --no-dialog: the tool's host reading a CSV file on demand"),
    ("cli-djinal", "pharmex export waybill --layout djinal: the same, a Locate of the header per line"),
]

EXPORT_CASES = ["supplier", "supplier-memo", "order", "price-generic", "khabarovsk", "unico",
                "waybill-generic", "efarma-sst", "apteka2000w", "djinal", "apteka-m",
                "engine-append", "cli-price", "cli-djinal"]

# The command-line tool's host: its peak memory at the large row count, and
# what it grows by per row between the two counts.
CLI_MEMORY_LIMIT_MIB = 64
CLI_GROWTH_PER_ROW = 8


def load(path):
    cases = {}
    failures = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line.startswith("{"):
                continue
            result = json.loads(line)
            if "error" in result:
                failures.append(result)
                continue
            cases.setdefault(result["case"], []).append(result)
    return cases, failures


def median_seconds(runs):
    return statistics.median(r["seconds"] for r in runs)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    cases, failures = load(sys.argv[1])
    for failure in failures:
        print(f"FAILED {failure['case']}: {failure['error']}")

    print("| what | rows | runs | median s | records/s | peak MiB |")
    print("|---|---:|---:|---:|---:|---:|")
    for name, what in ROWS:
        runs = cases.get(name)
        if not runs:
            continue
        seconds = median_seconds(runs)
        rows = runs[0]["rows"]
        peak = statistics.median(r["peak_rss_kib"] for r in runs) / 1024
        print(f"| {what} | {rows} | {len(runs)} | {seconds:.2f} | {rows / seconds:,.0f} | {peak:.1f} |")

    def seconds_of(name):
        runs = cases.get(name)
        return median_seconds(runs) if runs else None

    def rate_of(name):
        runs = cases.get(name)
        return runs[0]["rows"] / median_seconds(runs) if runs else None

    print()
    print("| target | measured | met |")
    print("|---|---|---|")

    def target(text, measured, met):
        print(f"| {text} | {measured} | {'yes' if met else 'no'} |")

    djinal, pwrite, protocol, shapelib = (seconds_of(n) for n in
                                          ("djinal", "floor-pwrite", "floor-protocol", "shapelib-append"))
    if djinal and pwrite:
        target("Djinal export at most 2x the 2-positioned-writes floor",
               f"{djinal / pwrite:.2f}x", djinal <= 2 * pwrite)
    if djinal and protocol:
        target("Djinal export at most 2x the shared-append floor (every call the append makes)",
               f"{djinal / protocol:.2f}x", djinal <= 2 * protocol)
    if djinal and shapelib:
        target("Djinal export at least 4x faster than shapelib's append",
               f"{shapelib / djinal:.2f}x", shapelib >= 4 * djinal)
    memo, xbase_memo = seconds_of("supplier-memo"), seconds_of("xbase64-memo")
    if memo and xbase_memo:
        target("supplier export with a 600-character memo at least 3x faster than xbase64's memo append",
               f"{xbase_memo / memo:.2f}x", xbase_memo >= 3 * memo)
    walk, shapelib_walk = seconds_of("engine-walk"), seconds_of("shapelib-walk")
    if walk and shapelib_walk:
        target("walking every field no slower than shapelib",
               f"{shapelib_walk / walk:.2f}x shapelib's speed", walk <= shapelib_walk)
    dbf4 = cases.get("import-dbf4")
    if dbf4:
        # Scaled to 200 000 records when run at another count.
        seconds = median_seconds(dbf4) * 200000 / dbf4[0]["rows"]
        target("DBF 4 import of 200 000 records under 2 s", f"{seconds:.2f} s", seconds < 2)
    for name in ("efarma-sst", "apteka2000w"):
        rate = rate_of(name)
        if rate:
            seconds = 200000 / rate
            target(f"{name}: 200 000 lines under 0.5 s", f"{seconds:.2f} s", seconds < 0.5)
    cli_price, price = seconds_of("cli-price"), seconds_of("price-generic")
    if cli_price and price:
        measured = f"{cli_price / price:.2f}x elapsed"
        cpu = [statistics.median(r["cpu_seconds"] for r in cases[name])
               for name in ("cli-price", "price-generic")
               if all("cpu_seconds" in r for r in cases[name])]
        if len(cpu) == 2:
            measured += f", {cpu[0] / cpu[1]:.2f}x processor time"
        target("the tool's price export from CSV at most 1.2x the same export from the synthetic host",
               measured, cli_price <= 1.2 * price)

    if len(sys.argv) == 3:
        memory, _ = load(sys.argv[2])
        print()
        print("| case | rows | peak MiB | rows | peak MiB | growth |")
        print("|---|---:|---:|---:|---:|---:|")
        for name in EXPORT_CASES:
            runs = sorted(memory.get(name, []), key=lambda r: r["rows"])
            if len(runs) < 2:
                continue
            small, large = runs[0], runs[-1]
            growth = large["peak_rss_kib"] / small["peak_rss_kib"] - 1
            print(f"| {name} | {small['rows']} | {small['peak_rss_kib'] / 1024:.1f} "
                  f"| {large['rows']} | {large['peak_rss_kib'] / 1024:.1f} | {growth:+.1%} |")
        print()
        for name in ("cli-price", "cli-djinal"):
            runs = sorted(memory.get(name, []), key=lambda r: r["rows"])
            if len(runs) < 2:
                continue
            small, large = runs[0], runs[-1]
            mib = large["peak_rss_kib"] / 1024
            per_row = (large["peak_rss_kib"] - small["peak_rss_kib"]) * 1024 / (large["rows"] - small["rows"])
            print(f"{name}: {mib:.1f} MiB at {large['rows']} rows "
                  f"({'within' if mib <= CLI_MEMORY_LIMIT_MIB else 'over'} {CLI_MEMORY_LIMIT_MIB} MiB), "
                  f"{per_row:.1f} bytes a row from {small['rows']} "
                  f"({'within' if per_row <= CLI_GROWTH_PER_ROW else 'over'} ~{CLI_GROWTH_PER_ROW})")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
