// The --alcfile task: Alchemy pieces of a structure and their join.
#include "schematics/alchemy_schematic.hpp"

#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "schematics/block_template.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Switches of the alcfile selection (Gvars.alc_mol).
enum alc_switch : int {
  ALC_ATOM = 0, ALC_BLOCK = 1, ALC_PAIR = 2, ALC_CONN = 3, ALC_CANON = 4, ALC_G4 = 5,
  ALC_FRAME = 8, ALC_PLANE = 9, ALC_MOL = 10, ALC_V3000 = 11, ALC_AXIS = 12, ALC_CARBON = 13
};

bool alc(alc_switch s) { return Gvars.alc_mol[static_cast<size_t>(s)] != 0; }

std::string alc_name(const char* word) { return sformat("%.*s-%s.alc", 256, Gvars.prefix.c_str(), word); }

// The grid of a base plane: (a, b) = origin + a x + b y.
constexpr double kGrid[9][2] = {{0, 0},    {0, 2.5}, {0, 5},      {2, 0},     {2, 2.5},
                                {2, 5},    {-2.5, 0}, {-2.5, 2.5}, {-2.5, 5}};
constexpr long kGridEdges[12][2] = {{1, 2}, {1, 4}, {1, 7}, {2, 3}, {2, 5},  {2, 8},
                                    {3, 6}, {3, 9}, {4, 5}, {5, 6}, {7, 8}, {8, 9}};

std::vector<const frame*> base_frames_in_residue_order(const struct_mol& mol) {
  std::vector<const frame*> list;
  for (long i = 1; i <= mol.num_residues; ++i)
    if (const frame* f = base_frame(i, mol)) list.push_back(f);
  return list;
}

// Writes a model to "<prefix>-<word>.alc" and appends it to the full file.
void add_piece(const struct_alchemy& m, const char* word, const std::string& full) {
  const std::string name = alc_name(word);
  write_alchemy(m, name);
  combine_two_alcfiles(full, name, full);
}

void write_atoms_piece(const struct_mol& mol, const std::string& full) {
  struct_alchemy m;
  if (alc(ALC_ATOM) && mol.num_atoms > 0) {
    m.num_atoms = mol.num_atoms;
    m.num_bonds = mol.num_bonds;
    allocate_alcAtomsBonds(m);
    for (long i = 1; i <= mol.num_atoms; ++i) {
      std::string type = trim_word(mol.atoms[i].element);
      m.atoms[i] = {type.empty() ? "X" : type, mol.atoms[i].xyz, 0.0};
    }
    for (long k = 1; k <= mol.num_bonds; ++k) m.bonds[k] = {mol.bonds[k].atom1, mol.bonds[k].atom2};
  }
  write_alchemy(m, full);
  if (alc(ALC_ATOM)) copy_file(full, alc_name("atoms"));
}

// The four frame-stick atoms of frame f and their three bonds, appended.
void append_frame_sticks(const frame& f, struct_alchemy& m) {
  reserve_alc_room(m, 4, 3);
  const long a = m.num_atoms_filled, b = m.num_bonds_filled;
  const bool carbon = alc(ALC_CARBON);
  const xyz* axes[3] = {&f.x_axis, &f.y_axis, &f.z_axis};
  const char* types[3] = {"C", carbon ? "C" : "N", carbon ? "C" : "O"};
  m.atoms[a + 1] = {"C", f.org, 0.0};
  for (long k = 0; k < 3; ++k) {
    alcAtom& t = m.atoms[a + 2 + k];
    t.type = types[k];
    move_xyz(f.org, *axes[k], Gvars.axis_len, t.xyz);
    t.value = 0.0;
    m.bonds[b + 1 + k] = {a + 1, a + 2 + k};
  }
  m.num_atoms_filled += 4;
  m.num_bonds_filled += 3;
}

void write_axis_piece(const std::string& full) {
  logit("\t--alcfile: add the global axis\n");
  struct_alchemy m;
  frame g;
  set_identity_frame(g);
  append_frame_sticks(g, m);
  close_alc_filling(m);
  add_piece(m, "axis", full);
}

void write_frames_piece(const struct_mol& mol, const std::string& full) {
  logit("\t--alcfile: add standard base reference frames\n");
  struct_alchemy m;
  for (const frame* f : base_frames_in_residue_order(mol)) append_frame_sticks(*f, m);
  close_alc_filling(m);
  add_piece(m, "frames", full);
}

void write_planes_piece(const struct_mol& mol, const std::string& full) {
  logit("\t--alcfile: add an extended 3x3 plane per frame\n");
  struct_alchemy m;
  for (const frame* f : base_frames_in_residue_order(mol)) {
    std::array<xyz, 10> pts;
    derive_frame_pseudo_atoms(*f, pts);
    reserve_alc_room(m, 9, 12);
    const long a = m.num_atoms_filled, b = m.num_bonds_filled;
    for (long k = 1; k <= 9; ++k) m.atoms[a + k] = {sformat("P%ld", k), pts[static_cast<size_t>(k)], 0.0};
    for (long e = 0; e < 12; ++e) m.bonds[b + 1 + e] = {a + kGridEdges[e][0], a + kGridEdges[e][1]};
    m.num_atoms_filled += 9;
    m.num_bonds_filled += 12;
  }
  close_alc_filling(m);
  add_piece(m, "planes", full);
}

bool selected_pair(const pair& p, bool canonical) { return is_WC_pair(p) || (canonical && is_Wobble_pair(p)); }

// One O atom per selected pair origin; bonds between origins within the
// cutoff. The bond list grows with the contacts found, whatever their number.
void write_pair_connections(long n, const std::vector<pair>& pairs, const std::string& full) {
  struct_alchemy m;
  std::vector<xyz> origins;
  for (long k = 1; k <= n; ++k)
    if (selected_pair(pairs[k], alc(ALC_CANON))) origins.push_back(pairs[k].frame.org);
  const long na = static_cast<long>(origins.size());
  reserve_alc_room(m, na, 0);
  for (long i = 0; i < na; ++i) m.atoms[i + 1] = {"O", origins[static_cast<size_t>(i)], 0.0};
  m.num_atoms_filled = na;
  for (long i = 0; i < na; ++i)
    for (long j = i + 1; j < na; ++j) {
      if (!dist_in_cutoff(origins[static_cast<size_t>(i)], origins[static_cast<size_t>(j)],
                          PAIR_CONNECTION_CUTOFF))
        continue;
      reserve_alc_room(m, 0, 1);
      m.bonds[++m.num_bonds_filled] = {i + 1, j + 1};
    }
  close_alc_filling(m);
  logit("\t--alcfile: add pair connections\n");
  add_piece(m, "pairConn", full);
}

}  // namespace

void derive_frame_pseudo_atoms(const frame& f, std::array<xyz, 10>& pts) {
  for (long k = 1; k <= 9; ++k) {
    xyz& p = pts[static_cast<size_t>(k)];
    for (long c = 1; c <= 3; ++c)
      p[c] = f.org[c] + kGrid[k - 1][0] * f.x_axis[c] + kGrid[k - 1][1] * f.y_axis[c];
  }
}

void write_frame_atoms_in_alchemy(long offset, const frame& f, FILE* fp) {
  if (fp == nullptr) return;
  struct_alchemy m;
  append_frame_sticks(f, m);
  for (long k = 1; k <= 4; ++k) {
    const alcAtom& a = m.atoms[k];
    std::fprintf(fp, "%5ld %-2.2s   %9.4f%9.4f%9.4f  %9.4f\n", offset + k, a.type.c_str(), a.xyz[1], a.xyz[2],
                 a.xyz[3], a.value);
  }
}

void get_pair_blocks(bool canonical, const struct_mol& mol, long n, const std::vector<pair>& pairs,
                     struct_alchemy& target, std::vector<char>& drawn, std::vector<block_box>* boxes) {
  struct_alchemy bp;
  read_base_block("BP", bp);
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    if (!selected_pair(p, canonical)) continue;
    const long offset =
        fillout_alc_per_block(bp, &p.frame, static_cast<double>(mol.residues[p.nt1].res_seq), target);
    if (boxes != nullptr) boxes->push_back({offset, bp.num_atoms, p.nt1, p.nt2, is_WC_pair(p), p.frame});
    drawn[static_cast<size_t>(p.nt1)] = drawn[static_cast<size_t>(p.nt2)] = 1;
  }
}

void get_Gtetrad_blocks(const struct_mol& mol, long n, const std::vector<gtetrad>& tetrads,
                        struct_alchemy& target, std::vector<char>& drawn, std::vector<block_box>* boxes) {
  struct_alchemy g4;
  read_base_block("G4", g4);
  for (long k = 1; k <= n; ++k) {
    const gtetrad& t = tetrads[static_cast<size_t>(k)];
    const long g1 = t.nts[1];
    const long offset = fillout_alc_per_block(g4, &t.f, static_cast<double>(mol.residues[g1].res_seq), target);
    if (boxes != nullptr) boxes->push_back({offset, g4.num_atoms, g1, -1, 0, t.f});
    for (long m = 1; m <= t.nts.count; ++m) drawn[static_cast<size_t>(t.nts[m])] = 1;
  }
}

void append_base_blocks(const struct_mol& mol, const std::vector<char>& drawn, struct_alchemy& target,
                        std::vector<block_box>* boxes) {
  struct_alchemy r, y;
  read_base_block("R", r);
  read_base_block("Y", y);
  for (long k = 1; k < static_cast<long>(mol.nt_order.size()); ++k) {
    const long i = mol.nt_order[k];
    const frame* f = base_frame(i, mol);
    if (f == nullptr || drawn[static_cast<size_t>(i)]) continue;
    const struct_alchemy& t = is_R(i, mol) ? r : y;
    const long offset = fillout_alc_per_block(t, f, static_cast<double>(mol.residues[i].res_seq), target);
    if (boxes != nullptr) boxes->push_back({offset, t.num_atoms, i, -1, 0, *f});
  }
}

void pdb2alc_base_blocks(const struct_mol& mol, const std::string& alc_file,
                         const std::vector<char>& drawn) {
  logit("\t--alcfile: add base blocks\n");
  struct_alchemy m;
  append_base_blocks(mol, drawn, m);
  close_alc_filling(m);
  add_piece(m, "blocks", alc_file);
}

void write_pdb2alc_file(struct_mol& mol, const std::string& out_file) {
  for (const char* word : {"full", "atoms", "axis", "frames", "g4", "pairs", "blocks"})
    remove_file(alc_name(word));
  long n = 0;
  std::vector<pair> pairs;
  if (alc(ALC_PAIR) || alc(ALC_CANON) || alc(ALC_G4)) find_pairs(mol, n, pairs, 0);
  long num_tetrads = 0;
  std::vector<gtetrad> tetrads;
  if (alc(ALC_G4)) find_Gtetrads(mol, n, pairs, num_tetrads, tetrads);
  const std::string full = alc_name("full");
  write_atoms_piece(mol, full);
  if (alc(ALC_AXIS)) write_axis_piece(full);
  if (alc(ALC_FRAME)) write_frames_piece(mol, full);
  if (alc(ALC_PLANE)) write_planes_piece(mol, full);
  std::vector<char> drawn(static_cast<size_t>(mol.num_residues) + 1, 0);
  if (num_tetrads > 0) {
    struct_alchemy m;
    get_Gtetrad_blocks(mol, num_tetrads, tetrads, m, drawn);
    close_alc_filling(m);
    logit("\t--alcfile: add G-tetrad square blocks\n");
    add_piece(m, "g4", full);
  }
  if ((alc(ALC_PAIR) || alc(ALC_CANON)) && n > 0) {
    struct_alchemy m;
    get_pair_blocks(alc(ALC_CANON), mol, n, pairs, m, drawn);
    close_alc_filling(m);
    logit("\t--alcfile: add pair blocks\n");
    add_piece(m, "pairs", full);
  }
  if (alc(ALC_CONN) && n > 0) write_pair_connections(n, pairs, full);
  if (alc(ALC_BLOCK)) pdb2alc_base_blocks(mol, full, drawn);
  if (!alc(ALC_MOL)) {
    copy_file(full, out_file);
    return;
  }
  logit("\t--alcfile: convert alchemy to molfile\n");
  struct_alchemy whole;
  read_alchemy(full, whole);
  if (whole.num_atoms == 0 && whole.num_bonds == 0) pdb2alc_base_blocks(mol, full, drawn);
  if (alc(ALC_V3000))
    convert_alc2mol_v3000(full, out_file);
  else
    convert_alc2mol(full, out_file);
}

}  // namespace vask
