#!/usr/bin/python3
"""The ordering core done by numpy: a stable order of the values (the later of equal values
first), the gaps between neighbours, and a stable descending order of the gaps (the higher
position first). Prints the best time of several runs in milliseconds."""
import sys
import time

import numpy as np

count = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
rng = np.random.default_rng(7)
groups = 20.0 * (np.arange(count) % 3)
values = np.round((groups + 5.0 * rng.standard_normal(count)) * 100.0) / 100.0 + 100.0


def order(values):
    reversed_order = np.argsort(values[::-1], kind="stable")
    ordered = (len(values) - 1 - reversed_order)
    gaps = np.diff(values[ordered])
    by_gap = np.argsort(-gaps[::-1], kind="stable")
    positions = len(gaps) - by_gap  # upper ordered position of each gap, largest gap first
    return ordered, gaps[positions - 1], positions


best = float("inf")
for _ in range(runs):
    start = time.perf_counter()
    order(values)
    best = min(best, time.perf_counter() - start)
print(f"{best * 1000.0:.1f}")
