#!/usr/bin/env bash
# Checks that ASE (Debian's python3-ase, installed when missing) reads what
# `vantrel-cli export` writes: a cascade of the example job recorded as
# frames (one run, every particle every 200 steps) in extended XYZ and as a
# LAMMPS dump.  Every frame must come back with the species of the job's
# files, the positions and velocities of the records, and its run and time.
# Not part of `make test`: it installs a package and runs a job.
#   scripts/check-ase.sh [BUILD_DIR]     (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build/release}

if ! /usr/bin/python3 -c "import ase" 2>/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends python3-ase
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target vantrel-cli
cli=$root/$build/cli/vantrel-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/ar_cu100.* "$work"
cd "$work"
# The run file: sample mode 3 (every period and at the end), period 200
# steps, no skipping, selection 0 (every particle).
sed -i -e '1c 3                 sample mode: 3 every sample period and at the end' \
       -e '2c 200               sample period (timesteps)' \
       -e '4c 0                 output selection: 0 every particle' ar_cu100.run
head -4 ar_cu100.run
"$cli" run --answer yes --quiet --max-runs 1 --set RandomSeed=1 ar_cu100.prj
"$cli" export --format extxyz --target ar_cu100.trg --projectile ar_cu100.prj -o cascade.xyz dynvars.vsk
"$cli" export --format dump --target ar_cu100.trg --projectile ar_cu100.prj -o cascade.dump dynvars.vsk
ls -l dynvars.vsk cascade.xyz cascade.dump

/usr/bin/python3 - <<'PY'
import numpy as np
import ase, ase.io, ase.units
from ase.data import chemical_symbols

record = np.dtype([("x", "<f4"), ("y", "<f4"), ("z", "<f4"), ("px", "<f4"), ("py", "<f4"),
                   ("pz", "<f4"), ("time", "<f4"), ("mass", "<f4"), ("index", "<i4"), ("run", "<i4")])
r = np.fromfile("dynvars.vsk", dtype=record)
target_z = np.loadtxt("ar_cu100.trg", usecols=3, dtype=int)
projectile_z = int(open("ar_cu100.prj").read().split()[1])
# Frames: one per sampling pass, (run, time) in the order the job wrote them.
keys = list(zip(r["run"], r["time"]))
starts = [0] + [k for k in range(1, len(r))
                if keys[k] != keys[k - 1] or r["index"][k] <= r["index"][k - 1]] + [len(r)]

def expected(frame):
    symbols = [chemical_symbols[projectile_z if i == 0 else target_z[i - 1]] for i in frame["index"]]
    pos = np.stack([frame[c].astype(float) for c in "xyz"], axis=1) * 1e10
    vel = np.stack([frame[c].astype(float) for c in ("px", "py", "pz")], axis=1) \
        / frame["mass"].astype(float)[:, None] * 1e-5
    return symbols, pos, vel

def close(a, b):
    return np.allclose(a, b, rtol=5e-7, atol=1e-6)

xyz = ase.io.read("cascade.xyz", index=":")
assert len(xyz) == len(starts) - 1, (len(xyz), len(starts) - 1)
for k, atoms in enumerate(xyz):
    frame = r[starts[k]:starts[k + 1]]
    symbols, pos, vel = expected(frame)
    assert atoms.get_chemical_symbols() == symbols, k
    assert close(atoms.positions, pos), k
    assert close(atoms.arrays["velo"], vel), k
    assert np.array_equal(atoms.arrays["id"], frame["index"]), k
    assert atoms.info["Run"] == frame["run"][0], k
    assert abs(atoms.info["Time"] - frame["time"][0] * 1e15) < 1e-4, k
print(f"ASE {ase.__version__} read {len(xyz)} extended-XYZ frames of {len(r)} records "
      f"({', '.join(sorted(set(xyz[0].get_chemical_symbols())))}): species, positions, "
      "velocities, index, run and time as recorded")

# ASE's dump reader takes LAMMPS's metal units (A/ps) and converts them to its own.
dump = ase.io.read("cascade.dump", index=":", format="lammps-dump-text")
assert len(dump) == len(xyz), (len(dump), len(xyz))
for k, atoms in enumerate(dump):
    frame = r[starts[k]:starts[k + 1]]
    symbols, pos, vel = expected(frame)
    assert atoms.get_chemical_symbols() == symbols, k
    assert close(atoms.positions, pos), k
    assert close(atoms.get_velocities() * ase.units.fs, vel), k
print(f"ASE read the {len(dump)} LAMMPS dump frames with the same species, positions "
      "and velocities")
PY
