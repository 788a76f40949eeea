// The structure record, the PDB reader and the preparation pipeline: see pdb.hpp.
#include "structure/pdb.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <strings.h>

#include "driver/option.hpp"
#include "pairing/frame.hpp"  // the preparation pipeline runs the subsystem-4 stages
#include "pairing/hbond.hpp"
#include "pairing/hbond_water.hpp"
#include "pairing/plane.hpp"
#include "pairing/suite.hpp"
#include "pairing/torsion.hpp"
#include "pairing/torsion_feature.hpp"
#include "structure/mmcif.hpp"
#include "support/cii.hpp"
#include "support/file.hpp"
#include "support/string.hpp"
#include "support/utility.hpp"

namespace vask {

namespace {

constexpr double COORD_LIMIT = 1e36;      // larger coordinates count as unreadable
constexpr long MIN_ATOM_RECORD = 52;      // shortest ATOM/HETATM line taken
constexpr double BACKBONE_RATIO = 0.618;  // share of nucleotides with P or C3' for has_backbone
constexpr double GLYCO_MIN = 1.0, GLYCO_MAX = 2.0;  // glycosidic bond window, Angstrom


// PDB fixed columns, 1-based first column and width.
// cols 1-6 record | 7-11 serial | 13-16 atom name | 17 altLoc | 18-20 residue | 22 chain
//      23-26 resSeq | 27 iCode | 31-38, 39-46, 47-54 x, y, z (8.3) | 55-60 occupancy
//      61-66 B-factor | 73-76 segment id | 77-78 element | 79-80 charge
struct column {
  int first, width;
};
constexpr column col_serial{7, 5}, col_name{13, 4}, col_altloc{17, 1}, col_resname{18, 3},
    col_chain{22, 1}, col_resseq{23, 4}, col_icode{27, 1}, col_x{31, 8}, col_y{39, 8},
    col_z{47, 8}, col_occ{55, 6}, col_bfac{61, 6}, col_segid{73, 4}, col_element{77, 2},
    col_charge{79, 2};

// The field when the line reaches its last column, else nullopt-like empty view
// with present = false: a field cut short counts as missing.
bool field(std::string_view line, column c, std::string_view& out) {
  size_t last = static_cast<size_t>(c.first - 1 + c.width);
  if (line.size() < last) return false;
  out = line.substr(static_cast<size_t>(c.first - 1), static_cast<size_t>(c.width));
  return true;
}

std::string_view trim_view(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// A leading integer, as "%ld" reads it; false when there is none.
bool leading_long(std::string_view s, long& out) {
  s = trim_view(s);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr != s.data();
}

bool leading_double(std::string_view s, double& out) {
  s = trim_view(s);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr != s.data() && std::isfinite(out);
}

double read_coordinate(std::string_view s, bool present) {
  double v = 0;
  if (!present || !leading_double(s, v) || std::fabs(v) > COORD_LIMIT) return DBL_MAX;
  return v;
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::string base_name_of(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  return base;
}

void fill_atom_from_line(std::string_view up, char chain, long model, atom& a) {
  std::string_view f;
  a.hetatm = starts_with(up, "HETATM");
  long v = 0;
  a.serial = field(up, col_serial, f) && leading_long(f, v) ? v : 0;
  if (field(up, col_name, f)) a.name = std::string(f);
  if (field(up, col_altloc, f)) a.altloc = f[0];
  if (field(up, col_resname, f)) a.res_name = std::string(f);
  (void)col_chain;
  a.chain_id = std::string(1, chain);
  a.res_seq = field(up, col_resseq, f) && leading_long(f, v) ? v : 0;
  if (field(up, col_icode, f)) a.icode = f[0];
  bool px = field(up, col_x, f);
  a.xyz[1] = read_coordinate(f, px);
  bool py = field(up, col_y, f);
  a.xyz[2] = read_coordinate(f, py);
  bool pz = field(up, col_z, f);
  a.xyz[3] = read_coordinate(f, pz);
  if (a.xyz[3] == DBL_MAX && a.xyz[2] != DBL_MAX && up.size() > 46)
    a.xyz[3] = read_coordinate(up.substr(46), true);  // z cut short: the rest of the line
  double d = 0;
  a.occupancy = field(up, col_occ, f) && leading_double(f, d) ? d : 1.0;
  a.bfactor = field(up, col_bfac, f) && leading_double(f, d) ? d : 0.0;
  if (field(up, col_segid, f) && !trim_view(f).empty()) a.seg_id = std::string(f);
  if (field(up, col_element, f) && !trim_view(f).empty()) a.element = std::string(f);
  if (field(up, col_charge, f) && !trim_view(f).empty()) a.charge = std::string(f);
  a.model = model;
}

std::string atom_description(const atom& a) {
  return a.name + ":" + a.res_name + ":" + a.chain_id + ":" + std::to_string(a.res_seq);
}

void check_atom_symbol(atom& a) {
  if (a.element != "__" && a.element != "  ") {
    std::string t = trimmed(a.element);
    a.element = t.size() == 1 ? std::string(" ") + t : t;
    if (a.element == " D") {
      a.element = " H";
      a.deuterium = 1;
    }
    if (!is_valid_element_symbol(a.element)) {
      if (++Gvars.counts.invalid_element == 1) {
        logit_verbosef("invalid PDB atomic symbol at 77-78: <%2.2s>\n", a.element.c_str());
      }
      a.element = "__";
    }
  }
}

bool known_symbol(const std::string& s) { return s != "__" && s != "  " && !s.empty(); }

// ---------------------------------------------------------------------------
// Stages of the pipeline; their order in add_info_struct_mol is fixed.

void stage_linkages_and_order(struct_mol& mol) {
  populate_ntaaLkgs(mol);
  populate_ordered_residues(mol);
}

// "ligand0": a ligand covalently linked to a nucleotide or amino acid is
// taken as part of the chain.
void stage_ligand_links(struct_mol& mol) {
  if (!Gvars.cartoon[CTN_LIGAND0]) return;
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].flag[rf::is_ligand] && mol.residues[k].linked.count > 0)
      mol.residues[k].flag[rf::is_ligand] = 0;
}

void stage_contacts_and_bonds(struct_mol& mol) {
  populate_contacts(mol);
  populate_vdwCnts(mol);
  populate_bonds(mol);
  VASK_ASSERT(mol.stage.bonds);
}

// A "DNA" nucleotide whose C2' carries three bonded atoms has an O2' substituent.
void stage_dna_to_rna(struct_mol& mol) {
  for (long t = 1; t < static_cast<long>(mol.nt_order.size()); ++t) {
    residue& r = mol.residues[mol.nt_order[t]];
    long c2 = mol.nt_infos[mol.nt_order[t]].C2p;
    if (!r.flag[rf::is_dna] || c2 == -1 || mol.atoms[c2].bonded.count != 3) continue;
    r.flag[rf::is_dna] = 0;
    r.flag[rf::is_rna] = 1;
  }
}

void stage_po4_peptide_chains(struct_mol& mol) {
  populate_PO4(mol);
  populate_peptide(mol);
  populate_PO4_contacts_bridges(mol);
  populate_chains(mol);
}

void stage_frames_planes_hbonds(struct_mol& mol) {
  populate_chainStr(mol);
  populate_frames(mol);
  populate_planes(mol);
  populate_hbonds(mol);
  populate_json_hbonds(mol);
  populate_plane_contacts(mol);
}

// C5' and P of every nucleotide in its own base frame (with their distances
// from the origin), the angle of C5'->C4' to the frame's x axis, and the
// nucleotides, in nucleotide order, that have a base frame.
void stage_nt_local_geometry(struct_mol& mol) {
  VASK_ASSERT(mol.stage.frames);
  for (long i = 1; i <= mol.num_residues; ++i) {
    const frame* f = base_frame(i, mol);
    if (f == nullptr) continue;
    nt_info& n = mol.nt_infos[i];
    auto local = [&](long a, xyz& out) {
      if (a == -1) return;
      project_xyz_by_frame(*f, mol.atoms[a].xyz, out);
      out[0] = length_xyz(out);
    };
    local(n.C5p, n.c5_local);
    local(n.P, n.p_local);
    if (n.C4p != -1 && n.C5p != -1) {
      xyz v, x = f->x_axis;
      diff_xyz(mol.atoms[n.C5p].xyz, mol.atoms[n.C4p].xyz, v);
      n.c5_angle = angle_xyz(x, v);
    }
  }
  mol.framed_nts.assign(1, 0);
  for (size_t k = 1; k < mol.nt_order.size(); ++k)
    if (base_frame(mol.nt_order[k], mol) != nullptr) mol.framed_nts.push_back(mol.nt_order[k]);
  mol.num_framed_nts = static_cast<long>(mol.framed_nts.size()) - 1;
}

// The amino acids, in amino-acid order, that have a side-chain frame.
void stage_framed_aas(struct_mol& mol) {
  if (mol.num_aas == 0) return;
  VASK_ASSERT(mol.stage.frames);
  mol.framed_aas.assign(1, 0);
  for (size_t k = 1; k < mol.aa_order_marks.size(); ++k) {
    long f = mol.residues[mol.aa_order_marks[k]].frames[FRAME_SIDECHAIN];
    if (f >= 1 && f < static_cast<long>(mol.frames.size())) mol.framed_aas.push_back(mol.aa_order_marks[k]);
  }
  mol.num_framed_aas = static_cast<long>(mol.framed_aas.size()) - 1;
}

void stage_torsions(struct_mol& mol) {                  // backbone/sugar torsions, B-factors
  get_nt_bb_torsions(mol);
  get_nt_sugar_torsions(mol);
  get_nt_b_factors(mol);
}

void stage_hydration_metals_suites(struct_mol& mol) {  // waters, metals, water bridges, suites
  populate_hydration(mol);
  populate_metal(mol);
  populate_waterBridges(mol);
  populate_suite(mol);
}

bool glyco_bond(long c1, long b, const struct_mol& mol) {
  if (c1 == -1 || b == -1) return false;
  if (mol.atoms[c1].bonded.has(b)) return true;
  if (!mol.atoms[c1].status || !mol.atoms[b].status) return false;
  if (!atoms_same_model_chain_altloc(c1, b, mol)) return false;
  double d = dist_atoms(c1, b, mol);
  return d >= GLYCO_MIN && d <= GLYCO_MAX;
}

long amino_acid_color(const std::string& name) {
  static const char* const groups[4][8] = {
      {"ALA", "VAL", "ILE", "PHE", "PRO", "MET", "LEU", nullptr},
      {"GLY", nullptr},
      {"ASP", "GLU", "LYS", "ARG", nullptr},
      {"SER", "THR", "TYR", "HIS", "CYS", "ASN", "GLN", "TRP"}};
  for (int g = 0; g < 4; ++g)
    for (int k = 0; k < 8 && groups[g][k] != nullptr; ++k)
      if (name == groups[g][k]) return g + 1;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Record life cycle and atom selection

void init_struct_mol(const std::string& file_name, struct_mol& mol) {
  mol = struct_mol{};
  mol.file_name = file_name.substr(0, 511);
  mol.base_name = base_name_of(mol.file_name);
}

void free_struct_mol(struct_mol& mol) {
  std::vector<long>().swap(mol.residue_order);
  std::vector<long>().swap(mol.nt_order);
  std::vector<long>().swap(mol.aa_order_marks);
  std::vector<long>().swap(mol.nt_residue);
  std::vector<long>().swap(mol.aa_residue);
  std::vector<long>().swap(mol.framed_nts);
  std::vector<long>().swap(mol.framed_aas);
  std::vector<long>().swap(mol.models);
  std::vector<long>().swap(mol.metals);
  free_atoms(mol.atoms);
  free_bonds(mol.bonds);
  free_bonds(mol.hbonds);
  free_bonds(mol.json_hbonds);
  std::vector<frame>().swap(mol.frames);
  free_planes(mol.planes);
  free_planeCnts(mol.plane_contacts);
  free_waterBridges(mol.water_bridges);
  mol.num_water_bridges = 0;
  free_residues(mol.residues);
  mol.num_chains = 0;
  std::vector<aa_info>().swap(mol.aa_infos);
  std::vector<nt_info>().swap(mol.nt_infos);
  mol.dbn_sequence.clear();
  mol.dbn_text.clear();
  mol.dbn_extra.clear();
  mol.notes.clear();
  std::vector<segidx>().swap(mol.segments);
}

void free_pdb_exit(struct_mol& mol) {
  free_struct_mol(mol);
  end_run(0);
}

void set_residue_atoms_good_status(long k, struct_mol& mol) {
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    mol.atoms[i].status = 1;
}

void set_residue_atoms_bad_status(long k, struct_mol& mol) {
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    mol.atoms[i].status = 0;
}

void switch_residue_atoms_status(long k, struct_mol& mol) {
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    mol.atoms[i].status = mol.atoms[i].status == 0 ? 1 : 0;
}

void set_all_atoms_good_status(struct_mol& mol) {
  for (long k = 1; k <= mol.num_residues; ++k) set_residue_atoms_good_status(k, mol);
}

void set_all_atoms_bad_status(struct_mol& mol) {
  for (long k = 1; k <= mol.num_residues; ++k) set_residue_atoms_bad_status(k, mol);
}

long pdb_atoms_all_in_good_status(const struct_mol& mol) {
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].status == 0) return 0;
  return 1;
}

long get_number_of_good_atoms_per_pdb(const struct_mol& mol) {
  long n = 0;
  for (long i = 1; i <= mol.num_atoms; ++i) n += mol.atoms[i].status != 0;
  return n;
}

long get_number_of_good_atoms_per_residue(long k, const struct_mol& mol) {
  long n = 0;
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    n += mol.atoms[i].status != 0;
  return n;
}

long get_number_of_good_atoms_residue_set(long n, const std::vector<long>& residues,
                                          const struct_mol& mol) {
  long num = 0;
  for (long m = 1; m <= n; ++m) num += get_number_of_good_atoms_per_residue(residues[m], mol);
  return num;
}

void renumber_atom(struct_mol& mol) {
  if (Gvars.renum_atom == 0) return;
  long serial = Gvars.renum_atom;
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].status) mol.atoms[i].serial = serial++;
}

void copy_pdb_xyz(const struct_mol& mol, std::vector<xyz>& points) {
  copy_atoms_xyz(mol.num_atoms, mol.atoms, points);
}

void copy_xyz_pdb(const std::vector<xyz>& points, struct_mol& mol) {
  copy_xyz_atoms(mol.num_atoms, points, mol.atoms);
}

void copy_atoms_xyz(long n, const std::vector<atom>& atoms, std::vector<xyz>& points) {
  points.resize(static_cast<size_t>(n) + 1);
  for (long i = 1; i <= n; ++i) points[i] = atoms[i].xyz;
}

void copy_xyz_atoms(long n, const std::vector<xyz>& points, std::vector<atom>& atoms) {
  for (long i = 1; i <= n; ++i) atoms[i].xyz = points[i];
}

long extract_residue_xyz(long k, const struct_mol& mol, std::vector<xyz>& points) {
  const residue& r = mol.residues[k];
  points.assign(1, xyz{});
  for (long i = r.first_atom; i <= r.last_atom; ++i) points.push_back(mol.atoms[i].xyz);
  return r.num_atoms;
}

void ave_pdb_xyz(const struct_mol& mol, xyz& point) {
  point = {0, 0, 0, 0};
  for (long i = 1; i <= mol.num_atoms; ++i)
    for (int c = 1; c <= 3; ++c) point[c] += mol.atoms[i].xyz[c];
  if (mol.num_atoms > 0)
    for (int c = 1; c <= 3; ++c) point[c] /= static_cast<double>(mol.num_atoms);
}

void residue_set_center(long n, const std::vector<long>& residues, const struct_mol& mol,
                        xyz& point) {
  point = {0, 0, 0, 0};
  long num = 0;
  for (long m = 1; m <= n; ++m) {
    const residue& r = mol.residues[residues[m]];
    for (long i = r.first_atom; i <= r.last_atom; ++i) {
      if (mol.atoms[i].hydrogen) continue;
      for (int c = 1; c <= 3; ++c) point[c] += mol.atoms[i].xyz[c];
      ++num;
    }
  }
  if (num > 0)  // an empty set stays at the origin instead of 0/0
    for (int c = 1; c <= 3; ++c) point[c] /= static_cast<double>(num);
}

void get_extremeXYZ_pdb(const struct_mol& mol, xyz& max, xyz& min, xyz& mean) {
  max = {0, -DBL_MAX, -DBL_MAX, -DBL_MAX};
  min = {0, DBL_MAX, DBL_MAX, DBL_MAX};
  mean = {0, 0, 0, 0};
  long num = 0;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    if (a.hydrogen || !is_ntaa(a.residue, mol)) continue;
    for (int c = 1; c <= 3; ++c) {
      max[c] = std::max(max[c], a.xyz[c]);
      min[c] = std::min(min[c], a.xyz[c]);
      mean[c] += a.xyz[c];
    }
    ++num;
  }
  if (num > 1)
    for (int c = 1; c <= 3; ++c) mean[c] /= static_cast<double>(num);
}

void mask_off_hydrogens(struct_mol& mol) {
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].hydrogen) mol.atoms[i].status = 0;
}

// ---------------------------------------------------------------------------
// Reading

long is_atom_hetatm_record(const char* line, long length) {
  return length >= MIN_ATOM_RECORD &&
         (std::strncmp(line, "ATOM  ", 6) == 0 || std::strncmp(line, "HETATM", 6) == 0);
}

void add_more_atom_info(atom& a) {
  a.atomic_number = match_atomic_number_from_name(a.element);
  a.raw_name = a.name;
  a.raw_res_name = a.res_name;
  std::vector<std::string> words;
  if (split_str_by_strtok(a.name, words, 1, " \t") < 1) {
    logit_verbosef("[i] empty or white-space string: '%s'\n", a.name.c_str());
    return;
  }
  const std::string& w = words[1];
  switch (w.size()) {
    case 1:
      a.name = std::string(" ") + w + "  ";
      break;
    case 2:
      a.name = w.find(a.element) != std::string::npos ? w + "  " : std::string(" ") + w + " ";
      break;
    case 3:
      a.name = std::string(" ") + w;
      break;
    default:
      break;
  }
}

void check_atom_name(std::string& name) {
  VASK_ASSERT(name.size() == 4);
  auto blank_or_digit = [](char c) { return c == ' ' || std::isdigit(static_cast<unsigned char>(c)); };
  if ((!blank_or_digit(name[0]) && blank_or_digit(name[1]) && name[3] == ' ') || name == "OP1 " ||
      name == "OP2 " || name == "O1P " || name == "O2P ")
    name = std::string(" ") + name.substr(0, 3);
}

bool valid_atom(atom& a, const std::string& altlocs, const chain_selection& chains) {
  if (altlocs.find('*') == std::string::npos && altlocs.find(a.altloc) == std::string::npos)
    return false;
  if (!chains.selects(a.chain_id)) return false;
  if (Gvars.occupancy != 0 && a.occupancy < Gvars.occupancy) return false;
  if (Gvars.bfactor != 0 && a.bfactor > Gvars.bfactor) return false;
  for (int k = 1; k <= 3; ++k)
    if (std::fabs(a.xyz[k]) > COORD_LIMIT) return false;
  add_more_atom_info(a);
  return true;
}

void standardize_atom_symbol_number(struct_mol& mol) {
  atomlist scratch;
  const atomlist& list = active_atomlist(scratch);
  for (long i = 1; i <= mol.num_atoms; ++i) {
    atom& a = mol.atoms[i];
    check_atom_symbol(a);
    std::string derived = convert_pdb_name_to_element(a.name, list);
    bool file_known = known_symbol(a.element);
    bool derived_known = known_symbol(derived);
    if (!file_known && !derived_known) {
      if (++Gvars.counts.atom_symbol <= 9)
        prglog_msg("\tcannot derive symbol for atom %s\n", atom_description(a).c_str());
      a.atomic_number = 0;
      continue;
    }
    if (!file_known) {
      a.element = derived;
    } else if (derived_known && derived != a.element) {
      prglog_msg("\tsymbol PDB [%s] =/= derived [%s] for atom %s\n", a.element.c_str(),
                 derived.c_str(), atom_description(a).c_str());
    }
    a.atomic_number = match_atomic_number_from_name(a.element);
  }
}

void read_pdb_model_fp(FILE* fp, long model, const std::string& altlocs,
                       const chain_selection& chains, struct_mol& mol) {
  ensure_periodic_table();
  std::vector<atom> atoms(1);
  std::string line, up;
  long current_model = 0;
  const bool one_model = Gvars.model_mode < 4;
  while (get_line(fp, line)) {
    if (one_model) {
      if (model < 0 && starts_with(line, "END")) break;
      if (model >= 0 && starts_with(line, "ENDMDL") && current_model == model) break;
    }
    char chain = line.size() >= 22 ? line[21] : ' ';
    up = line;
    for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (starts_with(up, "MODEL ")) {
      long v = 0;
      current_model = leading_long(std::string_view(up).substr(6), v) ? v : 0;
      continue;
    }
    if (!is_atom_hetatm_record(up.c_str(), static_cast<long>(up.size()))) continue;
    if (model >= 0 && current_model != model) continue;
    atom a;
    fill_atom_from_line(up, chain, current_model, a);
    if (valid_atom(a, altlocs, chains)) atoms.push_back(std::move(a));
  }
  set_atoms_array(atoms, model, mol);
}

void set_atoms_array(std::vector<atom>& atoms, long model, struct_mol& mol) {
  if (atoms.size() == 1) {
    // a file without usable atoms is an input error, not a normal end
    if (model < 0) fatal("[e] no ATOM/HETATM records found in '%s'\n", mol.file_name.c_str());
    fatal("[e] no model#%ld found in '%s'\n", model, mol.file_name.c_str());
  }
  mol.atoms = std::move(atoms);
  mol.num_atoms = static_cast<long>(mol.atoms.size()) - 1;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    atom& a = mol.atoms[i];
    a.index = i;
    check_atom_name(a.name);
    std::replace(a.name.begin(), a.name.end(), '*', '\'');
    std::string rn = trimmed(a.res_name);
    a.res_name = rn.size() < 3 ? std::string(3 - rn.size(), ' ') + rn : rn;
  }
  standardize_atom_symbol_number(mol);
}

long check_mmcif(const std::string& file) {
  auto ends_with = [&](const char* ext) {
    size_t n = std::strlen(ext);
    return file.size() >= n && strcasecmp(file.c_str() + file.size() - n, ext) == 0;
  };
  if (file == "stdin" || file == "-") return 0;
  size_t dot = file.find_last_of('.');
  std::string ext = dot == std::string::npos ? std::string() : file.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".ent" || ext == ".brk" ||
      (ext.rfind(".pdb", 0) == 0 &&
       std::all_of(ext.begin() + 4, ext.end(), [](char c) { return std::isdigit(c); })))
    return 0;
  const char* reason = nullptr;
  if (ends_with(".cif") || ends_with(".mmcif") || ends_with(".pdbx")) {
    reason = "file extension";
  } else if (FILE* fp = std::fopen(file.c_str(), "r")) {
    std::string line;
    bool after_loop = false;
    while (reason == nullptr && get_line(fp, line)) {
      std::string t = trimmed(line);
      if (t.empty() || t[0] == '#') continue;
      if (after_loop && strncasecmp(t.c_str(), "_atom_site.", 11) == 0) reason = "_atom_site tags";
      after_loop = strncasecmp(t.c_str(), "loop_", 5) == 0;
    }
    std::fclose(fp);
  }
  if (reason == nullptr) return 0;
  Gvars.input_format = 2;
  runlog_msg("[i] '%s' taken as in .cif format by %s.\n", file.c_str(), reason);
  return 1;
}

void read_pdb_simple_model(const std::string& file, struct_mol& mol, long model,
                           const std::string* altlocs, const chain_selection* chains) {
  Gvars.counts.invalid_element = 0;
  long saved_format = Gvars.input_format;
  bool cif = Gvars.input_format == 2 || (Gvars.input_format == 3 && check_mmcif(file));
  if (saved_format == 3) Gvars.input_format = 3;  // decided again for every file
  init_struct_mol(file, mol);
  static const chain_selection every_chain{};
  std::string alt = altlocs == nullptr ? "*" : altlocs->substr(0, 511);
  const chain_selection& chs = chains == nullptr ? every_chain : *chains;
  scoped_file in(open_file(file.c_str(), "r"));  // closed also when reading fails
  if (cif) {
    cif_reader r;
    load_cif_stream(in.get(), file, r);
    in.close();
    if (fill_mmcif_header_with_checks(r)) {
      read_cif_atoms(r, model, alt, chs, mol);
    } else {
      // no usable atom loop: the text is tried as PDB records
      FILE* mem = r.text.empty() ? nullptr : fmemopen(r.text.data(), r.text.size(), "r");
      if (mem == nullptr) fatal("[e] no ATOM/HETATM records found in '%s'\n", file.c_str());
      std::unique_ptr<FILE, int (*)(FILE*)> closer(mem, std::fclose);
      read_pdb_model_fp(mem, model, alt, chs, mol);
    }
  } else {
    read_pdb_model_fp(in.get(), model, alt, chs, mol);
    in.close();
  }
  populate_residues(mol);
  mol.stage.residues = 1;
}

void read_pdb_simple(const std::string& file, struct_mol& mol) {
  read_pdb_simple_model(file, mol, -1, &Gvars.altlocs, &Gvars.chains);
}

void read_pdb_model(const std::string& file, struct_mol& mol, long model) {
  read_pdb_simple_model(file, mol, model, &Gvars.altlocs, &Gvars.chains);
  add_info_struct_mol(mol);
}

void read_pdb(const std::string& file, struct_mol& mol) {
  read_pdb_model(file, mol, Gvars.select_model);
  if (symmetry_on_ensemble(mol)) {  // the mode is back to 1: the first model only
    free_struct_mol(mol);
    read_pdb_model(file, mol, Gvars.select_model);
  }
}

// ---------------------------------------------------------------------------
// Preparation pipeline

void populate_json_hbonds(struct_mol& mol) {
  VASK_ASSERT(mol.stage.hbonds);
  const switch_set saved = Gvars.get_hbond;
  Gvars.get_hbond.fill(0);
  Gvars.get_hbond[Gvars.waters ? 5 : 0] = 1;  // every H-bond, or every one without a water
  mol.num_json_hbonds = number_clean_hbonds(mol);
  collect_clean_hbonds(mol, mol.json_hbonds);
  Gvars.get_hbond = saved;
}

void populate_nt_info(struct_mol& mol) {
  mol.nt_infos.assign(static_cast<size_t>(mol.num_residues) + 1, nt_info{});
  long nts = 0, with_backbone = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (!r.flag[rf::is_nt]) continue;
    ++nts;
    nt_info& n = mol.nt_infos[k];
    auto at = [&](const char* name) { return find_atom_in_residue(name, k, mol); };
    n.P = at(" P  ");
    n.OP1 = at(" OP1");
    n.OP2 = at(" OP2");
    n.O5p = at(" O5'");
    n.C5p = at(" C5'");
    n.C4p = at(" C4'");
    n.O4p = at(" O4'");
    n.C3p = at(" C3'");
    n.O3p = at(" O3'");
    n.C2p = at(" C2'");
    n.O2p = at(" O2'");
    n.C1p = at(" C1'");
    if (n.P != -1 || n.C3p != -1) ++with_backbone;
    n.ring = {-1, n.C1p, n.C2p, n.C3p, n.C4p, n.O4p};
    if (r.flag[rf::abasic]) continue;
    if (r.flag[rf::is_Y]) {
      n.glyco_n = at(" N1 ");
      n.base2 = at(" C2 ");
      if (glyco_bond(n.C1p, n.glyco_n, mol)) {
        n.glyco_type = 1;
      } else if (r.letter == 'P' || r.letter == 'p') {
        n.glyco_n = at(" C5 ");
        n.base2 = at(" C4 ");
        if (glyco_bond(n.C1p, n.glyco_n, mol)) {
          n.glyco_type = 2;
          logit_verbosef("%s has pseudo-uridine C1'...C5 glycosidic bond\n", r.idstr.c_str());
        }
      }
      n.base3 = at(" C6 ");
    } else {
      n.glyco_n = at(" N9 ");
      n.base2 = at(" C4 ");
      n.base3 = at(" C8 ");
      if (glyco_bond(n.C1p, n.glyco_n, mol)) n.glyco_type = 1;
    }
    if (n.C1p != -1 && n.glyco_type == 0) {
      n.glyco_type = 3;
      for (long i = r.first_atom; i <= r.last_atom; ++i)
        if (mol.atoms[i].base && glyco_bond(n.C1p, i, mol)) {
          n.glyco_n = i;
          break;
        }
      runlog_msg("%s has unusual GLYCOSIDIC bond!\n", r.idstr.c_str());
    }
  }
  mol.num_nts = nts;
  mol.has_backbone =
      with_backbone > 1 && with_backbone > static_cast<long>(BACKBONE_RATIO * nts) ? 1 : 0;
  if (Gvars.select_model == -1 && nts > 0)
    total_counts("nucleotides", nts);
}

void populate_aa_info(struct_mol& mol) {
  mol.aa_infos.assign(static_cast<size_t>(mol.num_residues) + 1, aa_info{});
  long aas = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!mol.residues[k].flag[rf::is_aa]) continue;
    ++aas;
    aa_info& a = mol.aa_infos[k];
    a.N = find_atom_in_residue(" N  ", k, mol);
    a.CA = find_atom_in_residue(" CA ", k, mol);
    a.C = find_atom_in_residue(" C  ", k, mol);
    a.O = find_atom_in_residue(" O  ", k, mol);
    a.CB = find_atom_in_residue(" CB ", k, mol);
  }
  mol.num_aas = aas;
  if (Gvars.select_model == -1 && aas > 0)
    total_counts("amino acids", aas);
}

void populate_color_index(struct_mol& mol) {
  static const char* const nt_parents[] = {"__A", "__C", "__G", "__T", "__U", "__P"};
  for (long k = 1; k <= mol.num_residues; ++k) {
    residue& r = mol.residues[k];
    if (r.flag[rf::is_aa]) {
      if (long c = amino_acid_color(r.name)) r.color_index = static_cast<int>(c);
    } else if (r.flag[rf::is_nt]) {
      std::string s = r.std_name;
      for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      for (int p = 0; p < 6; ++p)
        if (s == nt_parents[p]) r.color_index = p + 1;
    }
    for (long i = r.first_atom; i <= r.last_atom; ++i) mol.atoms[i].color_index = r.color_index;
  }
}

void add_info_struct_mol(struct_mol& mol) {
  populate_atom_types(mol);                // 1
  populate_nt_info(mol);                   // 2
  populate_aa_info(mol);                   // 3
  populate_atom_hbond_property(mol);       // 4
  populate_color_index(mol);               // 5
  stage_linkages_and_order(mol);           // 6
  populate_na_segments(mol);               // 7
  populate_nts_miscs(mol);                 // 8
  stage_ligand_links(mol);                 // 9
  stage_contacts_and_bonds(mol);           // 10
  stage_dna_to_rna(mol);                   // 11
  stage_po4_peptide_chains(mol);           // 12
  populate_models(mol);                    // 13
  stage_frames_planes_hbonds(mol);         // 14
  stage_nt_local_geometry(mol);            // 15
  stage_framed_aas(mol);                   // 16
  stage_torsions(mol);                     // 17
  stage_hydration_metals_suites(mol);      // 18
  populate_atom_exposure(mol);             // 19
  if (!mol.nts_in_order) mol.notes += "   o nucleotides out of order\n";  // 20
}

}  // namespace vask
