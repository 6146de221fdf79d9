#!/usr/bin/python3
"""Prints the exact quantiles recorded in DistributionsTest.cpp (Debian's python3-scipy)."""
from scipy import stats

PROBABILITIES = [0.01, 0.05, 0.5, 0.95, 0.99]


def rows(name, quantile, arguments):
    print(f"const Reference {name}[] = {{")
    for args in arguments:
        values = ", ".join(str(a) for a in args + (0,) * (2 - len(args)))
        cells = [f"{{{values}, {p}L, {quantile(p, *args)!r}L}}" for p in PROBABILITIES]
        for i in range(0, len(cells), 3):
            print("    " + ", ".join(cells[i:i + 3]) + ",")
    print("};")


rows("chiSquareReference", stats.chi2.ppf, [(10,), (50,)])
rows("studentReference", stats.t.ppf, [(10,), (50,)])
rows("fisherReference", stats.f.ppf, [(5, 10), (10, 30)])
