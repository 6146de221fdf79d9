#!/usr/bin/python3
"""The delimited read done by Python's csv module: every line split at ";" into a list of
fields (no quoting, as the import grid reads it), the rows kept in a list; `pandas` reads the
same file with pandas' read_csv into a frame of a text column and four float columns. `write`
makes the file of the comparison: a name and four numbers with one to four decimals per line.
Prints the best time of several reads in milliseconds."""
import csv
import random
import sys
import time


def write(path, lines):
    rng = random.Random(11)
    with open(path, "w", newline="") as out:
        for i in range(lines):
            values = ";".join(f"{rng.uniform(-1000.0, 1000.0):.{k + 1}f}" for k in range(4))
            out.write(f"P{i};{values}\r\n")


def read(path):
    with open(path, newline="", encoding="utf-8") as source:
        return [row for row in csv.reader(source, delimiter=";", quoting=csv.QUOTE_NONE)]


def read_pandas(path):
    import pandas
    return pandas.read_csv(path, sep=";", header=None, quoting=csv.QUOTE_NONE)


if sys.argv[1] == "write":
    write(sys.argv[2], int(sys.argv[3]))
else:
    reader = read_pandas if sys.argv[1] == "pandas" else read
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        rows = reader(sys.argv[2])
        best = min(best, time.perf_counter() - start)
        del rows
    print(f"{best * 1000.0:.1f}")
