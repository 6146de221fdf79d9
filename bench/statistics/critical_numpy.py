#!/usr/bin/python3
"""The simulation of ordered differences done by numpy: m = trunc(gaps / (cases - 1) + 1)
samples of `cases` standard-normal values (numpy's own generator), each sorted, the gaps between
neighbours pooled and sorted, and the interpolated readout at 0.95.
Prints the best time of several runs in milliseconds.

    critical_numpy.py CASES GAPS [RUNS]
"""
import math
import sys
import time

import numpy as np

cases = int(sys.argv[1])
gaps_asked = int(sys.argv[2])
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
samples = math.trunc(gaps_asked / (cases - 1) + 1)
rng = np.random.default_rng(12345)


def simulate(alpha=0.95):
    values = np.sort(rng.standard_normal((samples, cases)), axis=1)
    gaps = np.sort(np.diff(values, axis=1).ravel())
    position = len(gaps) * alpha
    k = int(position)
    return (position - k) * (gaps[k + 1] - gaps[k]) + gaps[k]


best = float("inf")
for _ in range(runs):
    start = time.perf_counter()
    simulate()
    best = min(best, time.perf_counter() - start)
print(f"{best * 1000.0:.2f}")
