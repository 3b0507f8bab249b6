Inelastic parameters, copper target, argon projectile
2            LSS lines: Z, a, b
29 1.2 0.8   copper
18 1.0 0.9   argon
1.0E4        LSS speed threshold (m/s)
Oen-Robinson
2            OR lines: Z1*Z2, a, b
841 1.1 0.7  Cu-Cu
522 1.0 0.6  Ar-Cu
1.8          OR radius (A)
0.3          screening coefficient
Shapiro-Tombrello
1            ST lines: Z1*Z2, radius (A), energy (eV), order, probability
841 1.2 10.0 3 0.5
Cooling
100.0        period (fs)
300.0        goal (K)
0.0 200.0    start, stop (fs)
Image potential
5.0          energy (eV)
1.0          distance (A)
