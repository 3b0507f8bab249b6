#!/usr/bin/env python3
"""Histogram of a Vantrel particle record file (.vsk), read without Vantrel.

    python3 plot_records.py dynvars.vsk [--quantity energy|angle|depth]
                            [--bins N] [-o histogram.png]

energy: kinetic energy (eV); angle: polar angle from the surface normal of
the particles moving away from the surface (degrees); depth: z (A).
Needs numpy; draws with matplotlib when it is installed, otherwise prints
the histogram as text.
"""
import argparse
import sys

try:
    import numpy as np
except ImportError:
    sys.exit("plot_records.py needs numpy (Debian: apt-get install python3-numpy)")

# The 40-byte record: position (m), momentum (kg m/s), time (s), mass (kg),
# then the particle index (0 = projectile) and the run number.
RECORD = np.dtype([("x", "<f4"), ("y", "<f4"), ("z", "<f4"),
                   ("px", "<f4"), ("py", "<f4"), ("pz", "<f4"),
                   ("time", "<f4"), ("mass", "<f4"),
                   ("index", "<i4"), ("run", "<i4")])
EV_PER_JOULE = 6.241449214576031e18


def quantity(records, name):
    # Momenta squared underflow in single precision: widen first.
    p = np.stack([records[c].astype(np.float64) for c in ("px", "py", "pz")])
    if name == "energy":
        return (p ** 2).sum(axis=0) / (2 * records["mass"]) * EV_PER_JOULE, "kinetic energy (eV)"
    if name == "angle":
        away = p[2] > 0
        lateral = np.hypot(p[0][away], p[1][away])
        return np.degrees(np.arctan2(lateral, p[2][away])), "polar angle (degrees)"
    return records["z"].astype(np.float64) * 1e10, "z (A)"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("records")
    parser.add_argument("--quantity", choices=("energy", "angle", "depth"), default="energy")
    parser.add_argument("--bins", type=int, default=30)
    parser.add_argument("-o", "--output", default="histogram.png")
    args = parser.parse_args()

    records = np.fromfile(args.records, dtype=RECORD)
    values, label = quantity(records, args.quantity)
    counts, edges = np.histogram(values, bins=args.bins)
    runs = np.unique(records["run"])
    print(f"{len(records)} records of {len(runs)} runs; {label}: "
          f"{values.min():.4g} to {values.max():.4g}" if len(values) else "no values")

    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        width = max(counts.max(), 1)
        for count, low in zip(counts, edges):
            print(f"{low:12.4g} {count:7d} {'#' * round(50 * count / width)}")
        return
    plt.stairs(counts, edges, fill=True)
    plt.xlabel(label)
    plt.ylabel("particles")
    plt.title(args.records)
    plt.savefig(args.output, dpi=120)
    print(f"written to {args.output}")


if __name__ == "__main__":
    main()
