#!/usr/bin/python3
"""The table read done by dbfread and numpy: one item per record, the values Rf1..RfN less Start
times FACTOR (0 counts as 1), skipped when empty, 0 or flagged by Inc<j> ("-", "0", "F", "N", "f",
"n"), then the ordering core of order_numpy.py over all values in record order. Prints the best
time of several runs in milliseconds, and the number of values.

    table_numpy.py TABLE.dbf [RUNS]
"""
import sys
import time

import dbfread
import numpy as np

EXCLUDING = set("-0FNfn")


def read(path):
    table = dbfread.DBF(path, lowernames=True)
    names = set(table.field_names)
    count = 0
    while f"rf{count + 1}" in names:
        count += 1
    rf = [f"rf{j}" for j in range(1, count + 1)]
    inc = [f"inc{j}" for j in range(1, count + 1)]
    has_inc = count > 0 and all(name in names for name in inc)
    has_factor = "factor" in names
    values, items, positions = [], [], []
    for item, record in enumerate(table):
        start = record["start"] or 0.0
        factor = (record["factor"] or 1.0) if has_factor else 1.0
        for j in range(count):
            v = record[rf[j]]
            if v is None or v == "":
                continue
            if has_inc:
                flag = record[inc[j]] or ""
                if flag and flag[0] in EXCLUDING:
                    continue
            if v == 0:
                continue
            values.append((v - start) * factor)
            items.append(item)
            positions.append(j + 1)
    return np.array(values), np.array(items, dtype=np.int32), np.array(positions, dtype=np.uint16)


def order(values):
    reversed_order = np.argsort(values[::-1], kind="stable")
    ordered = len(values) - 1 - reversed_order
    gaps = np.diff(values[ordered])
    by_gap = np.argsort(-gaps[::-1], kind="stable")
    positions = len(gaps) - by_gap
    return ordered, gaps[positions - 1], positions


path = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
best = float("inf")
for _ in range(runs):
    begin = time.perf_counter()
    values, _, _ = read(path)
    order(values)
    best = min(best, time.perf_counter() - begin)
print(f"{best * 1000.0:.1f} {len(values)}")
