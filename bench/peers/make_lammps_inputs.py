#!/usr/bin/env python3
"""Tabulates a Vantrel Sutton-Chen model file for LAMMPS and converts a target file.

    make_lammps_inputs.py MODEL.mdl TARGET.trg OUTDIR

writes OUTDIR/vantrel.eam.fs (eam/fs "setfl" tables, metal units: eV, A) and
OUTDIR/vantrel.data (the target atoms as a LAMMPS data file, one atom type).

The energy the two codes share is

    E = sum over pairs phi(r) + sum over atoms F(rho_i),  rho_i = sum_j f(r_ij),

and the model file defines (Sutton-Chen, eps and a of line 6 and 7, n, m, d,
c of lines 8 to 11; every pair of the single-element target is AA):

    phi(r) = S(r) eps [(a/r)^n - d (a/r)^m]       r > r_hi
           = c0 + c1 r + c2 r^2 + c3 r^3            r_lo < r <= r_hi (SI, line 30)
           = screened Coulomb                       r <= r_lo
    f(r)   = S(r) (c eps)^2 (a/r)^m                 r_hi < r <= r_c, else 0   (eV^2)
             (the table carries this form on inside r_hi; see density())
    F(rho) = -sqrt(rho)                                                       (eV)

so that the embedding energy is -c eps sqrt(sum (a/r)^m), the Sutton-Chen
form.  S is the switching function exp(1 / (1 - u^-3)), u = (r - r_sw) /
(r_c - r_sw), between r_sw and r_c when line 16 switches it on.  The tables
of a setfl file hold F on a grid of rho from 0, f and r*phi on a grid of r
from 0 to the cut-off; LAMMPS interpolates them with cubic splines.
"""

import math
import sys

EV = 1.602192e-19               # J per eV, as the model reader converts
COULOMB = 2.30712175676602e-28  # J m, e^2 / (4 pi eps0)
UNIVERSAL_C = (0.0281, 0.2802, 0.5099, 0.1818)
UNIVERSAL_E = (0.2016, 0.4029, 0.9423, 3.2)
MOLIERE_C = (0.35, 0.55, 0.10)
MOLIERE_E = (0.3, 1.2, 6.0)

NR = 7001       # r grid points: 0 .. r_c
NRHO = 40001    # rho grid points
RHO_MAX = 400.0  # eV^2; a bulk Cu atom has about 27


def read_model(path):
    with open(path, newline="") as f:
        lines = [line.rstrip("\r\n") for line in f]
    if len(lines) < 30:
        raise SystemExit(f"{path}: not a model file (fewer than 30 lines)")

    def values(number, count):
        fields = lines[number - 1].split()
        try:
            return [float(v) for v in fields[:count]]
        except ValueError:
            raise SystemExit(f"{path}: line {number} does not start with {count} numbers")

    model = {
        "screening_code": int(values(3, 1)[0]),
        "screening_factor": values(4, 1)[0],
        "potential": int(values(5, 1)[0]),
        "eps": values(6, 1)[0],          # eV
        "a": values(7, 1)[0],            # A
        "n": values(8, 1)[0],
        "m": values(9, 1)[0],
        "d": values(10, 1)[0],
        "c": values(11, 1)[0],
        "r_lo": values(13, 1)[0],
        "r_hi": values(14, 1)[0],
        "r_c": values(15, 1)[0],
        "switching": int(values(16, 1)[0]) != 0,
        "r_sw": values(17, 1)[0],
        "mass": values(19, 1)[0],
        "spline": values(30, 4),         # SI
    }
    if model["potential"] != 0:
        raise SystemExit(f"{path}: only Sutton-Chen models (line 5 = 0) are tabulated")
    return model


def switching(model, r):
    if not model["switching"] or r <= model["r_sw"]:
        return 1.0
    if r >= model["r_c"]:
        return 0.0
    u = (r - model["r_sw"]) / (model["r_c"] - model["r_sw"])
    return math.exp(1.0 / (1.0 - u ** -3))


def screened_coulomb(model, z, r):
    """Screened-Coulomb energy (eV) of two nuclei of atomic number z at r (A)."""
    code, factor = model["screening_code"], model["screening_factor"]
    if code == 0:
        length = factor * 4.685e-11 / (2 * z ** 0.23)
        weights, exponents = UNIVERSAL_C, UNIVERSAL_E
    else:
        if code == 1:
            length = factor * 4.685e-11 / math.sqrt(2 * z ** (2 / 3))
        else:
            length = factor * 4.685e-11 / (2 * math.sqrt(z)) ** (2 / 3)
        weights, exponents = MOLIERE_C, MOLIERE_E
    x = r * 1e-10 / length
    screening = sum(w * math.exp(-e * x) for w, e in zip(weights, exponents))
    return COULOMB * z * z * screening / (r * 1e-10) / EV


def r_phi(model, z, r):
    """r * phi(r) in eV A, finite at r = 0."""
    if r <= 0.0:
        return COULOMB * z * z / EV * 1e10 * sum(UNIVERSAL_C if model["screening_code"] == 0
                                                  else MOLIERE_C)
    if r <= model["r_lo"]:
        return r * screened_coulomb(model, z, r)
    if r <= model["r_hi"]:
        c0, c1, c2, c3 = model["spline"]
        x = r * 1e-10
        return r * (c0 + c1 * x + c2 * x * x + c3 * x ** 3) / EV
    s = model["a"] / r
    return r * switching(model, r) * model["eps"] * (s ** model["n"] - model["d"] * s ** model["m"])


def density(model, r):
    """f(r) in eV^2.  Inside r_hi the model has no density (f jumps to 0 there,
    and its force tables simply stop); LAMMPS takes forces from the slope of
    the interpolated table, and a jump would give a pair that crosses r_hi a
    huge kick.  So the table goes on with the Sutton-Chen form down to r_lo
    and stays flat below: only pairs closer than r_hi (2.1 A for Cu, far below
    the 2.55 A of nearest neighbours) feel a difference."""
    if r > model["r_c"]:
        return 0.0
    r = max(r, model["r_lo"])
    ce = model["c"] * model["eps"]
    return switching(model, r) * ce * ce * (model["a"] / r) ** model["m"]


def read_target(path):
    atoms = []
    with open(path) as f:
        for number, line in enumerate(f, 1):
            fields = line.split()
            if not fields:
                continue
            try:
                x, y, z = (float(v) for v in fields[:3])
                atomic_number = int(fields[3])
                mass = float(fields[4])
            except (ValueError, IndexError):
                raise SystemExit(f"{path}: line {number} is not 'x y z Z mass flags'")
            atoms.append((x, y, z, atomic_number, mass))
    if not atoms:
        raise SystemExit(f"{path}: no atoms")
    if len({(a[3], a[4]) for a in atoms}) != 1:
        raise SystemExit(f"{path}: only single-element targets are converted")
    return atoms


def write_setfl(model, z, path):
    dr = model["r_c"] / (NR - 1)
    drho = RHO_MAX / (NRHO - 1)

    def block(values):
        return "".join(f"{v:.16e}\n" for v in values)

    with open(path, "w") as f:
        f.write("Sutton-Chen model tabulated from a Vantrel model file\n")
        f.write(f"eps {model['eps']} eV a {model['a']} A n {model['n']} m {model['m']} "
                f"c {model['c']}; F(rho) = -sqrt(rho)\n")
        f.write(f"r_c {model['r_c']} A, switching from {model['r_sw'] if model['switching'] else '-'} A\n")
        f.write("1 Cu\n")
        f.write(f"{NRHO} {drho:.16e} {NR} {dr:.16e} {model['r_c']:.16e}\n")
        f.write(f"{z} {model['mass']} {model['a']} fcc\n")
        f.write(block(-math.sqrt(k * drho) for k in range(NRHO)))
        f.write(block(density(model, k * dr) for k in range(NR)))
        f.write(block(r_phi(model, z, k * dr) for k in range(NR)))


def write_data(atoms, path):
    xs, ys, zs = ([a[i] for a in atoms] for i in range(3))
    margin = 1.0
    with open(path, "w") as f:
        f.write("Vantrel target file as a LAMMPS data file\n\n")
        f.write(f"{len(atoms)} atoms\n1 atom types\n\n")
        f.write(f"{min(xs) - margin:.6f} {max(xs) + margin:.6f} xlo xhi\n")
        f.write(f"{min(ys) - margin:.6f} {max(ys) + margin:.6f} ylo yhi\n")
        f.write(f"{min(zs) - margin:.6f} {max(zs) + margin:.6f} zlo zhi\n\n")
        f.write(f"Masses\n\n1 {atoms[0][4]}\n\nAtoms # atomic\n\n")
        for number, (x, y, z, _, _) in enumerate(atoms, 1):
            f.write(f"{number} 1 {x:.6f} {y:.6f} {z:.6f}\n")


def main(argv):
    if len(argv) != 4:
        raise SystemExit(__doc__.split("\n\n")[1] if __doc__ else "usage error")
    model = read_model(argv[1])
    atoms = read_target(argv[2])
    out = argv[3].rstrip("/")
    write_setfl(model, atoms[0][3], out + "/vantrel.eam.fs")
    write_data(atoms, out + "/vantrel.data")


if __name__ == "__main__":
    main(sys.argv)
