Ar -> Cu(100): electronic losses (off in this job, see inelastic/) and the cooled border; read when a model is on
2                      number of LSS lines: Z, a, b with k = a b 1.602192E-14 (J s/m^2), loss k v ds
18 0.0850 112.3        Ar moving in Cu: a Cu atoms per A^3, b LSS stopping cross-section (eV A^2 per 100 km/s)
29 0.0850 157.3        Cu moving in Cu: as above; a b = stopping power in eV/A at 100 km/s
5500                   LSS speed threshold (m/s): slower atoms lose nothing (Cu at 10 eV)
Oen-Robinson: loss k v beta^2 exp(-beta R_min), beta = C / a(Lindhard), once per collision
2                      number of OR lines: key Z_i Z_j, a, b with k = a b 1.602192E-39 / 2 pi
522 112.3 1.0E-5       Ar-Cu (18 x 29): a stopping cross-section (eV A^2 per 100 km/s), b 1.0E-5 s/m
841 157.3 1.0E-5       Cu-Cu (29 x 29): as above, so that a b is in eV A^2 per m/s
2.0                    OR interaction radius (A)
0.3                    OR screening coefficient C
Shapiro-Tombrello: not used in this job
0                      number of ST lines: key Z_i Z_j, radius (A), quantum (eV), max. order, probability
Cooling: friction on the atoms without flag 8 (the crystal's sides and bottom) towards the goal
100                    cooling period (fs)
300                    cooling goal (K): the target temperature
0 100000               cooling start and end (fs): the whole run
