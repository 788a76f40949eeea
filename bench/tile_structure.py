#!/usr/bin/env python3
"""Tile the atom records of an mmCIF structure into a grid of copies that
never touch, each copy with chains of its own, until the copies hold at least
the asked number of nucleotides; waters are left out.

Usage: bench/tile_structure.py INPUT.cif NUCLEOTIDES OUTPUT.cif [SPACING]
"""
import sys

NT_ATOM = "C1'"


def atom_rows(path):
    """The column names of the atom-site loop and its rows, as word lists."""
    names, rows, in_loop = [], [], False
    with open(path) as f:
        for line in f:
            s = line.strip()
            if s.startswith("_atom_site."):
                names.append(s.split()[0][len("_atom_site."):])
                in_loop = True
            elif in_loop and (s.startswith("ATOM") or s.startswith("HETATM")):
                rows.append(s.split())
            elif in_loop and rows and (s == "#" or s.startswith("loop_") or s.startswith("_")):
                break
    return names, rows


def main():
    src, want, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    spacing = float(sys.argv[4]) if len(sys.argv) > 4 else 150.0
    names, rows = atom_rows(src)
    col = {n: k for k, n in enumerate(names)}
    rows = [r for r in rows if r[col["label_comp_id"]] != "HOH"]
    per_copy = sum(1 for r in rows if r[col["label_atom_id"]].strip('"') == NT_ATOM)
    copies = -(-want // per_copy)
    side = 1
    while side ** 3 < copies:
        side += 1
    xyz = [col["Cartn_x"], col["Cartn_y"], col["Cartn_z"]]
    chains = [col[c] for c in ("label_asym_id", "auth_asym_id") if c in col]
    serial = col.get("id")
    with open(out, "w") as f:
        f.write("data_tiled\nloop_\n")
        for n in names:
            f.write("_atom_site.%s\n" % n)
        count = 0
        for k in range(copies):
            shift = (k % side * spacing, k // side % side * spacing, k // (side * side) * spacing)
            for r in rows:
                w = list(r)
                for a, c in enumerate(xyz):
                    w[c] = "%.3f" % (float(r[c]) + shift[a])
                for c in chains:
                    w[c] = "%s%d" % (r[c], k + 1)
                count += 1
                if serial is not None:
                    w[serial] = str(count)
                f.write(" ".join(w) + "\n")
        f.write("#\n")
    print("%d copies, %d nucleotides, %d atoms" % (copies, copies * per_copy, count))


if __name__ == "__main__":
    main()
