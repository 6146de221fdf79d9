#!/usr/bin/python3
"""Prints the exact quantiles recorded in DistributionsTest.cpp (Debian's python3-scipy)."""
from scipy import stats

PROBABILITIES = [0.001, 0.01, 0.05, 0.25, 0.5, 0.75, 0.95, 0.99, 0.999]


def rows(name, quantile, arguments):
    print(f"// {name}")
    for args in arguments:
        for p in PROBABILITIES:
            values = ", ".join(str(a) for a in args)
            print(f"    {{{values}, {p}L, {quantile(p, *args)!r}L}},")


rows("chi-square: DF, P, quantile", stats.chi2.ppf, [(10,), (20,), (50,), (100,)])
rows("Student t: DF, P, quantile", stats.t.ppf, [(10,), (20,), (50,), (100,)])
rows("F: DF1, DF2, P, quantile", stats.f.ppf, [(5, 10), (10, 10), (10, 30), (30, 100)])
