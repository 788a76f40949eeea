#!/usr/bin/env python3
"""Derives the nucleotide backbone templates and the two G-tetrad templates.

Backbones: the sugar-phosphate atoms are those of the adenine nucleotide of a
fiber repeat unit (data/fiber-units), expressed in its own base reference
frame: the standard adenine (data/standard_frames) fitted by least squares
onto the unit's base ring atoms, as the program fits base frames. The units
were refined so that copies placed by their helix close the O3'-P links with
standard bond geometry, so the templates link when placed by the frames of
such a helix. A: C3'-endo DNA (A-DNA, model 1), B: C2'-endo DNA (B-DNA,
model 4), R: C3'-endo RNA with O2' (model 901), N: C1' and the base only. The
atoms are moved onto each standard base: turned about z so that the
adenine's C1'->N9 direction follows the base's C1'->glycosidic-atom
direction, and moved so that C1' lies on the base's C1'; the sugar keeps its
geometry and the glycosidic bond its length and angles. C1' and the base
atoms are those of the standard base; the base plane stays z = 0.

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
UNITS = os.path.join(HERE, "..", "fiber-units")

# backbone type: (fiber model, sugar-phosphate atoms in template order)
SUGAR_DNA = ["P", "O1P", "O2P", "O5'", "C5'", "C4'", "O4'", "C3'", "O3'", "C2'"]
SUGAR_RNA = SUGAR_DNA + ["O2'"]
TYPES = {"A": (1, SUGAR_DNA), "B": (4, SUGAR_DNA), "R": (901, SUGAR_RNA), "N": None}
UNIT_NAMES = {"OP1": "O1P", "OP2": "O2P"}
LETTERS = "ACGPTU"
GLYCO = {"A": "N9", "G": "N9", "C": "N1", "T": "N1", "U": "N1", "P": "C5"}
RESNAME = {"A": "  A", "C": "  C", "G": "  G", "P": "PSU", "T": "  T", "U": "  U"}
# ring atoms fitted for a base frame: the six-membered ring, then N7, C8, N9
RING = ["C4", "N3", "C2", "N1", "C6", "C5", "N7", "C8", "N9"]


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


def read_unit(model, key):
    """A fiber unit's atoms as (name, x, y, z): columns 31-54 hold height,
    radius and azimuth about the helix axis."""
    atoms, inside = [], False
    with open(UNITS) as f:
        for line in f:
            if line.startswith("UNIT"):
                inside = line.split()[1:3] == [str(model), key]
            elif inside and line.startswith("ATOM"):
                h, r, phi = float(line[30:38]), float(line[38:46]), math.radians(float(line[46:54]))
                atoms.append((line[12:16].strip(), r * math.cos(phi), r * math.sin(phi), h))
    return atoms


def jacobi_top_vector(m):
    """Eigenvector of the largest eigenvalue of a symmetric 4 x 4 matrix."""
    a = [row[:] for row in m]
    v = [[float(i == j) for j in range(4)] for i in range(4)]
    for _ in range(100):
        off = sum(a[i][j] ** 2 for i in range(4) for j in range(4) if i != j)
        if off < 1e-30:
            break
        for p in range(4):
            for q in range(p + 1, 4):
                if abs(a[p][q]) < 1e-300:
                    continue
                theta = (a[q][q] - a[p][p]) / (2 * a[p][q])
                t = (1 if theta >= 0 else -1) / (abs(theta) + math.sqrt(theta * theta + 1))
                c = 1 / math.sqrt(t * t + 1)
                s = t * c
                for k in range(4):
                    akp, akq = a[k][p], a[k][q]
                    a[k][p], a[k][q] = c * akp - s * akq, s * akp + c * akq
                for k in range(4):
                    apk, aqk = a[p][k], a[q][k]
                    a[p][k], a[q][k] = c * apk - s * aqk, s * apk + c * aqk
                for k in range(4):
                    vkp, vkq = v[k][p], v[k][q]
                    v[k][p], v[k][q] = c * vkp - s * vkq, s * vkp + c * vkq
    top = max(range(4), key=lambda i: a[i][i])
    return [v[k][top] for k in range(4)]


def fit(moving, target):
    """Rotation R and translation t that best carry the moving points onto
    the target points (least squares, quaternion method)."""
    n = len(moving)
    cm = [sum(p[i] for p in moving) / n for i in range(3)]
    ct = [sum(p[i] for p in target) / n for i in range(3)]
    s = [[sum((m[i] - cm[i]) * (t[j] - ct[j]) for m, t in zip(moving, target)) for j in range(3)]
         for i in range(3)]
    (xx, xy, xz), (yx, yy, yz), (zx, zy, zz) = s
    q0, q1, q2, q3 = jacobi_top_vector([[xx + yy + zz, yz - zy, zx - xz, xy - yx],
                                        [yz - zy, xx - yy - zz, xy + yx, zx + xz],
                                        [zx - xz, xy + yx, -xx + yy - zz, yz + zy],
                                        [xy - yx, zx + xz, yz + zy, -xx - yy + zz]])
    r = [[q0 * q0 + q1 * q1 - q2 * q2 - q3 * q3, 2 * (q1 * q2 - q0 * q3), 2 * (q1 * q3 + q0 * q2)],
         [2 * (q1 * q2 + q0 * q3), q0 * q0 - q1 * q1 + q2 * q2 - q3 * q3, 2 * (q2 * q3 - q0 * q1)],
         [2 * (q1 * q3 - q0 * q2), 2 * (q2 * q3 + q0 * q1), q0 * q0 - q1 * q1 - q2 * q2 + q3 * q3]]
    t = [ct[i] - sum(r[i][j] * cm[j] for j in range(3)) for i in range(3)]
    return r, t


def sugar_in_base_frame(model, names, letter):
    """The sugar-phosphate atoms of a base's unit, in that base's frame."""
    unit, base = read_unit(model, letter), read_base(letter)
    ring = [n for n in RING if any(a[0] == n for a in base)]
    r, t = fit([find(base, n)[1:] for n in ring], [find(unit, n)[1:] for n in ring])
    by_name = {UNIT_NAMES.get(a[0], a[0]): a[1:] for a in unit}
    rows = []
    for name in names:
        d = [by_name[name][i] - t[i] for i in range(3)]
        rows.append((name,) + tuple(sum(r[i][j] * d[i] for i in range(3)) for j in range(3)))
    return rows


def turned_onto(rows, source, letter):
    """Sugar-phosphate atoms on the source base carried onto another base:
    turned about z by the difference of their C1'->glycosidic directions,
    with C1' moved onto the base's C1'."""
    src, dst = read_base(source), read_base(letter)
    c1a, ga = find(src, "C1'"), find(src, GLYCO[source])
    c1, g = find(dst, "C1'"), find(dst, GLYCO[letter])
    t = math.atan2(g[2] - c1[2], g[1] - c1[1]) - math.atan2(ga[2] - c1a[2], ga[1] - c1a[1])
    ct, st = math.cos(t), math.sin(t)
    out = []
    for name, x, y, z in rows:
        dx, dy = x - c1a[1], y - c1a[2]
        out.append((name, c1[1] + ct * dx - st * dy, c1[2] + st * dx + ct * dy, z))
    return out


def backbone(bbtype, letter):
    base = read_base(letter)
    rows = []
    if TYPES[bbtype] is not None:
        model, names = TYPES[bbtype]
        rows = turned_onto(sugar_in_base_frame(model, names, "A"), "A", letter)
    rows.append(find(base, "C1'"))
    rows += [a for a in base if a[0] != "C1'"]
    return rows


def pdb_name(name, element):
    return (" %-3s" % name) if len(element) == 1 and len(name) < 4 else "%-4s" % name


def atom_line(serial, name, resname, chain, resnum, x, y, z):
    element = name[0]
    return "ATOM  %5d %4s %3s %1s%4d    %8.3f%8.3f%8.3f  1.00  0.00          %2s" % (
        serial, pdb_name(name, element), resname, chain, resnum, x, y, z, element)


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
    for bbt in TYPES:
        for letter in LETTERS:
            rows = backbone(bbt, letter)
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
        out.write("constexpr const char* k_%s[] = {\n" % name)
        for l in lines:
            out.write('    "%s",\n' % l)
        out.write("};\n")


if __name__ == "__main__":
    main()
