#!/usr/bin/env python3
"""Sputtering yield from particle records (.vsk) written at the end of runs.

Each file is a sequence of 40-byte little-endian records (x, y, z, px, py, pz,
time, mass as single floats in SI units, then index and run number as 32-bit
integers; the layout of the user guide).  The surface is the plane z = 0 with
+z outward.  A target atom (index >= 1) counts as sputtered when it lies above
the surface by more than the cut-off radius (nothing holds it any more), or
when it lies above the surface and moves outward with a normal kinetic energy
pz^2 / 2m above the surface binding energy (the cohesive energy).

    count_sputtered.py --cutoff A --binding EV FILE.vsk...

prints, per file, the number of runs, the mean yield and its standard error,
and, for two files of the same impact points, the mean of the run-by-run
difference (second minus first) with its standard error.
"""
import argparse
import math
import struct
from collections import defaultdict

RECORD = struct.Struct("<8f2i")
EV = 1.602192e-19


def yields(path, cutoff, binding):
    per_run = defaultdict(int)
    with open(path, "rb") as f:
        data = f.read()
    for offset in range(0, len(data) - len(data) % RECORD.size, RECORD.size):
        x, y, z, px, py, pz, t, mass, index, run = RECORD.unpack_from(data, offset)
        per_run[run] += 0  # every run that wrote a record is counted
        if index < 1 or z <= 0.0:
            continue
        normal = pz * pz / (2.0 * mass) / EV if pz > 0.0 else 0.0
        if z > cutoff or normal > binding:
            per_run[run] += 1
    return per_run


def mean_se(values):
    n = len(values)
    mean = sum(values) / n
    var = sum((v - mean) ** 2 for v in values) / (n - 1) if n > 1 else 0.0
    return mean, math.sqrt(var / n)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cutoff", type=float, required=True, help="cut-off radius (A)")
    parser.add_argument("--binding", type=float, required=True, help="surface binding energy (eV)")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    cutoff = args.cutoff * 1e-10
    results = [yields(p, cutoff, args.binding) for p in args.files]
    for path, r in zip(args.files, results):
        mean, se = mean_se([r[k] for k in sorted(r)])
        print(f"{path}: {len(r)} runs, yield {mean:.3f} +- {se:.3f} atoms/ion")
    if len(results) == 2:
        runs = sorted(set(results[0]) & set(results[1]))
        diff = [results[1][k] - results[0][k] for k in runs]
        mean, se = mean_se(diff)
        print(f"difference (second - first) over {len(runs)} paired runs: {mean:+.3f} +- {se:.3f}")


if __name__ == "__main__":
    main()
