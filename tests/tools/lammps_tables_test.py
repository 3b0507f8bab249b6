#!/usr/bin/env python3
"""The LAMMPS tables of the benchmark model (bench/peers/make_lammps_inputs.py):
units, the switching function, the joins at r_lo and r_hi, and the layout of
the files LAMMPS reads."""

import math
import os
import pathlib
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "bench" / "peers"))
import make_lammps_inputs as tables  # noqa: E402

MODEL = ROOT / "bench" / "models" / "cu_sc_rc7.mdl"
EPS = 0.012382   # eV, line 6
A = 3.61         # A, line 7
C = 39.432       # line 11


class Tables(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.model = tables.read_model(str(MODEL))

    def test_model_values_are_read_in_file_units(self):
        m = self.model
        self.assertEqual((m["eps"], m["a"], m["n"], m["m"], m["c"]), (EPS, A, 9.0, 6.0, C))
        self.assertEqual((m["r_lo"], m["r_hi"], m["r_c"], m["r_sw"]), (1.4, 2.1, 7.0, 6.85))
        self.assertTrue(m["switching"])

    def test_pair_and_density_at_the_lattice_constant_are_eps_and_c_eps_squared(self):
        # (a/r)^n = 1 at r = a, and a lies below the switching range.
        self.assertAlmostEqual(tables.r_phi(self.model, 29, A) / A, EPS, delta=1e-15)
        self.assertAlmostEqual(tables.density(self.model, A), (C * EPS) ** 2, delta=1e-15)

    def test_switching_takes_its_form_between_r_sw_and_r_c(self):
        m = self.model
        self.assertEqual(tables.switching(m, 6.85), 1.0)
        self.assertAlmostEqual(tables.switching(m, 6.925), math.exp(-1.0 / 7.0), delta=1e-15)
        self.assertEqual(tables.switching(m, 7.0), 0.0)
        self.assertEqual(tables.density(m, 7.0), 0.0)
        self.assertEqual(tables.density(m, 7.2), 0.0)
        self.assertEqual(tables.r_phi(m, 29, 7.0), 0.0)

    def test_pair_energy_is_continuous_where_the_spline_joins(self):
        # The spline coefficients are SI (J, m): a slip in their conversion
        # shows as a jump of orders of magnitude at r_lo or r_hi.
        m = self.model
        for join in (m["r_lo"], m["r_hi"]):
            below = tables.r_phi(m, 29, join) / join
            above = tables.r_phi(m, 29, join + 1e-9) / (join + 1e-9)
            self.assertAlmostEqual(below, above, delta=1e-6 * abs(below), msg=f"at {join} A")

    def test_density_goes_on_inside_r_hi_and_is_flat_below_r_lo(self):
        m = self.model
        ce2 = (C * EPS) ** 2
        self.assertAlmostEqual(tables.density(m, 2.0), ce2 * (A / 2.0) ** 6, delta=1e-12)
        flat = ce2 * (A / 1.4) ** 6
        self.assertAlmostEqual(tables.density(m, 1.0), flat, delta=1e-12)
        self.assertAlmostEqual(tables.density(m, 0.0), flat, delta=1e-12)

    def test_screened_repulsion_is_finite_times_r_at_zero(self):
        # r phi(0) = Z^2 e^2 / (4 pi eps0), e^2 / (4 pi eps0) = 14.3998 eV A,
        # the screening weights summing to 1; and r phi(r) runs into it.
        at_zero = tables.r_phi(self.model, 29, 0.0)
        self.assertAlmostEqual(at_zero, 29 * 29 * 14.3998, delta=0.1)
        self.assertAlmostEqual(tables.r_phi(self.model, 29, 1e-9), at_zero, delta=1e-3)

    def test_setfl_file_has_the_layout_eam_fs_reads(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "t.eam.fs")
            tables.write_setfl(self.model, 29, path)
            with open(path) as f:
                lines = f.read().split("\n")
        self.assertEqual(lines[3].split(), ["1", "Cu"])
        nrho, drho, nr, dr, cutoff = lines[4].split()
        nrho, nr = int(nrho), int(nr)
        drho, dr, cutoff = float(drho), float(dr), float(cutoff)
        self.assertEqual(cutoff, 7.0)
        self.assertAlmostEqual(dr * (nr - 1), cutoff, delta=1e-12)
        self.assertEqual(lines[5].split()[:2], ["29", "63.546"])
        values = [float(v) for v in lines[6:] if v]
        self.assertEqual(len(values), nrho + 2 * nr)
        embedding = values[:nrho]
        self.assertAlmostEqual(embedding[2500], -math.sqrt(2500 * drho), delta=1e-12)
        density = values[nrho:nrho + nr]
        pair = values[nrho + nr:]
        k = round(A / dr)
        self.assertAlmostEqual(density[k], tables.density(self.model, k * dr), delta=1e-15)
        self.assertAlmostEqual(pair[k], tables.r_phi(self.model, 29, k * dr), delta=1e-15)
        self.assertEqual((density[-1], pair[-1]), (0.0, 0.0))

    def test_target_file_becomes_a_data_file_with_every_atom(self):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, "t.trg")
            with open(target, "w") as f:
                f.write("0.5 0.25 0 29 63.546 0 two atoms\n-1.305 0.25 -1.805 29 63.546 0\n")
            data = os.path.join(folder, "t.data")
            tables.write_data(tables.read_target(target), data)
            with open(data) as f:
                text = f.read()
        self.assertIn("2 atoms\n1 atom types\n", text)
        self.assertIn("-2.305000 1.500000 xlo xhi\n", text)
        self.assertIn("Masses\n\n1 63.546\n", text)
        self.assertTrue(text.endswith("1 1 0.500000 0.250000 0.000000\n"
                                      "2 1 -1.305000 0.250000 -1.805000\n"))

    def test_alloy_target_is_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, "t.trg")
            with open(target, "w") as f:
                f.write("0 0 0 29 63.546 0\n1 0 0 28 58.69 1\n")
            with self.assertRaises(SystemExit):
                tables.read_target(target)


if __name__ == "__main__":
    unittest.main()
