#!/usr/bin/env python3
"""Derives the nucleotide backbone templates and the two G-tetrad templates.

Backbones: the sugar-phosphate atoms of the C3'-endo and C2'-endo backbone
templates (coordinates in the base reference frame of an adenine) are moved
onto each standard base (data/standard_frames): a rotation about z that turns
the adenine's C1'->N9 direction onto the base's C1'->glycosidic-atom direction,
then a translation that puts the template's C1' on the base's C1'. The base
plane stays z = 0. A: C3'-endo DNA, B: C2'-endo DNA, R: C3'-endo RNA (with
O2'), N: C1' and the base only.

G-tetrads: the standard guanine is turned and moved in the xy-plane so that
C1' lies at (-5.802, 5.802) with N9 towards (-4.509, 5.125); guanines 2-4 are
guanine 1 turned by 90, 180 and 270 degrees about z. The negative tetrad is
the mirror image through the plane y = -x (opposite polarity), its guanines
renumbered so that they run the same way round.

Writes bb_<type>_<letter>.pdb, Gtetrad_positive.pdb and Gtetrad_negative.pdb
here and prints them as the C++ tables of src/modeling/model_templates.cpp.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
FRAMES = os.path.join(HERE, "..", "standard_frames")

# sugar-phosphate atoms, adenine base frame
BB = {
    "C3endo_RNA": [("P", 1.272, 9.076, 0.567), ("O1P", 1.159, 10.309, 1.380),
                   ("O2P", 2.487, 8.262, 0.790), ("O5'", -0.028, 8.171, 0.779),
                   ("C5'", -1.309, 8.676, 0.352), ("C4'", -2.372, 7.610, 0.531),
                   ("O4'", -2.213, 6.613, -0.520), ("C3'", -2.292, 6.800, 1.824),
                   ("O3'", -2.830, 7.515, 2.928), ("C2'", -3.100, 5.577, 1.392),
                   ("O2'", -4.509, 5.664, 1.320), ("C1'", -2.526, 5.330, -0.000)],
    "C3endo_DNA": [("P", 1.272, 9.076, 0.567), ("O1P", 1.159, 10.309, 1.380),
                   ("O2P", 2.487, 8.262, 0.790), ("O5'", -0.029, 8.171, 0.779),
                   ("C5'", -1.309, 8.676, 0.352), ("C4'", -2.371, 7.610, 0.531),
                   ("O4'", -2.212, 6.612, -0.520), ("C3'", -2.292, 6.799, 1.825),
                   ("O3'", -2.831, 7.515, 2.928), ("C2'", -3.099, 5.578, 1.391),
                   ("C1'", -2.526, 5.331, -0.000)],
    "C2endo_DNA": [("P", -0.578, 9.149, -2.298), ("O1P", -0.747, 10.380, -3.102),
                   ("O2P", 0.538, 9.156, -1.326), ("O5'", -1.947, 8.808, -1.541),
                   ("C5'", -2.951, 8.041, -2.229), ("C4'", -3.525, 6.988, -1.301),
                   ("O4'", -2.766, 5.745, -1.336), ("C3'", -3.561, 7.357, 0.182),
                   ("O3'", -4.746, 6.822, 0.760), ("C2'", -2.357, 6.637, 0.789),
                   ("C1'", -2.509, 5.341, 0.000)],
}
TYPES = {"A": "C3endo_DNA", "B": "C2endo_DNA", "R": "C3endo_RNA", "N": None}
LETTERS = "ACGPTU"
GLYCO = {"A": "N9", "G": "N9", "C": "N1", "T": "N1", "U": "N1", "P": "C5"}
RESNAME = {"A": "  A", "C": "  C", "G": "  G", "P": "PSU", "T": "  T", "U": "  U"}


def read_base(letter):
    atoms = []
    with open(os.path.join(FRAMES, "frame___%s.pdb" % letter)) as f:
        for line in f:
            if line.startswith("ATOM"):
                atoms.append((line[12:16].strip(), float(line[30:38]), float(line[38:46]),
                              float(line[46:54])))
    return atoms


def find(atoms, name):
    return next(a for a in atoms if a[0] == name)


def pdb_name(name, element):
    return (" %-3s" % name) if len(element) == 1 and len(name) < 4 else "%-4s" % name


def atom_line(serial, name, resname, chain, resnum, x, y, z):
    element = name[0]
    return "ATOM  %5d %4s %3s %1s%4d    %8.3f%8.3f%8.3f  1.00  0.00          %2s" % (
        serial, pdb_name(name, element), resname, chain, resnum, x, y, z, element)


def backbone(bbtype, letter):
    base = read_base(letter)
    ref = read_base("A")
    c1a, n9a = find(ref, "C1'"), find(ref, "N9")
    c1, g = find(base, "C1'"), find(base, GLYCO[letter])
    a0 = math.atan2(n9a[2] - c1a[2], n9a[1] - c1a[1])
    a1 = math.atan2(g[2] - c1[2], g[1] - c1[1])
    t = a1 - a0
    ct, st = math.cos(t), math.sin(t)
    rows = []
    if bbtype is not None:
        bb = BB[bbtype]
        tc1 = find(bb, "C1'")
        for name, x, y, z in bb:
            if name == "C1'":
                continue
            dx, dy = x - tc1[1], y - tc1[2]
            rows.append((name, c1[1] + ct * dx - st * dy, c1[2] + st * dx + ct * dy, z))
    rows.append(("C1'", c1[1], c1[2], c1[3]))
    rows += [a for a in base if a[0] != "C1'"]
    return rows


def rotate(p, deg):
    t = math.radians(deg)
    return (p[0], math.cos(t) * p[1] - math.sin(t) * p[2], math.sin(t) * p[1] + math.cos(t) * p[2], p[3])


def tetrads():
    order = ["C1'", "N9", "C8", "N7", "C5", "C6", "O6", "N1", "C2", "N2", "N3", "C4"]
    g = read_base("G")
    c1, n9 = find(g, "C1'"), find(g, "N9")
    a0 = math.atan2(n9[2] - c1[2], n9[1] - c1[1])
    a1 = math.atan2(5.125 - 5.802, -4.509 + 5.802)
    t = a1 - a0
    g1 = []
    for name in order:
        a = find(g, name)
        r = rotate((name, a[1] - c1[1], a[2] - c1[2], a[3]), math.degrees(t))
        g1.append((name, r[1] - 5.802, r[2] + 5.802, 0.0))
    pos = [[rotate(a, 90 * k) for a in g1] for k in range(4)]
    mirror = lambda a: (a[0], -a[2], -a[1], a[3])
    neg = [[mirror(a) for a in pos[k]] for k in (0, 3, 2, 1)]
    return pos, neg


def write(name, lines):
    with open(os.path.join(HERE, name), "w") as f:
        f.write("\n".join(lines) + "\nEND\n")
    return lines


def main():
    tables = []
    for bbt, src in TYPES.items():
        for letter in LETTERS:
            rows = backbone(src, letter)
            if bbt == "A" and letter == "A":
                pass
            lines = [atom_line(i + 1, r[0], RESNAME[letter], "A", 1, r[1], r[2], r[3])
                     for i, r in enumerate(rows)]
            tables.append(("bb_%s_%s" % (bbt, letter), write("bb_%s_%s.pdb" % (bbt, letter), lines)))
    pos, neg = tetrads()
    for kind, guanines in (("positive", pos), ("negative", neg)):
        lines, serial = [], 0
        for k, gu in enumerate(guanines):
            for a in gu:
                serial += 1
                lines.append(atom_line(serial, a[0], "  G", "A", k + 1, a[1], a[2], 0.0))
        tables.append(("Gtetrad_%s" % kind, write("Gtetrad_%s.pdb" % kind, lines)))
    out = sys.stdout
    for name, lines in tables:
        out.write("constexpr const char* %s[] = {\n" % name)
        for l in lines:
            out.write('    "%s",\n' % l)
        out.write("};\n")


if __name__ == "__main__":
    main()
