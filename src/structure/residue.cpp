// Residue delimiting and classification: see residue.hpp. Nucleotides are
// recognised by fitting their base ring atoms onto a standard base, never by
// name alone; the name only picks the standard parent and the letter.
#include "structure/residue.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <iterator>
#include <strings.h>

#include "structure/atom.hpp"
#include "structure/base.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// The nine base ring atoms of a guanine in the standard base frame, Angstrom,
// in BASE_RING_ATOMS order: the six-membered ring, then N7, C8, N9.
constexpr double STD_RING[10][3] = {
    {0, 0, 0},          {-1.265, 3.177, 0.000}, {-2.342, 2.364, 0.001}, {-1.999, 1.087, 0.000},
    {-0.700, 0.641, 0.000}, {0.424, 1.460, 0.000},  {0.071, 2.833, 0.000},  {0.870, 3.969, 0.000},
    {0.023, 4.962, 0.000},  {-1.289, 4.551, 0.000}};

constexpr double RING_BOND_FACTOR = 1.289;     // loose covalent factor for the N1-C6 sanity test
constexpr double RING_N1C6_MAX = 2.4;          // Angstrom
constexpr double PLANARITY_RMSD = 0.24;        // above it, planarity is computed too
constexpr double FLAT_PURINE_PLANARITY = 0.072;
constexpr double PYRIMIDINE_RECHECK_RMSD = 0.12;
constexpr double UNKNOWN_NT_RMSD = 0.16;       // six-ring fit that still makes a nucleotide
constexpr double BOND_MIN = 1.0, BOND_MAX = 2.0;  // bond-length window, Angstrom

struct aa_name_row {
  const char* name;
  char letter;
};
constexpr aa_name_row AA_NAMES[] = {
    {"ALA", 'A'}, {"VAL", 'V'}, {"PHE", 'F'}, {"PRO", 'P'}, {"MET", 'M'},
    {"ILE", 'I'}, {"LEU", 'L'}, {"ASP", 'D'}, {"GLU", 'E'}, {"LYS", 'K'},
    {"ARG", 'R'}, {"SER", 'S'}, {"THR", 'T'}, {"TYR", 'Y'}, {"HIS", 'H'},
    {"CYS", 'C'}, {"ASN", 'N'}, {"GLN", 'Q'}, {"TRP", 'W'}, {"GLY", 'G'}};
static_assert(std::size(AA_NAMES) == 20, "standard amino acids");

constexpr const char* WATER_NAMES[] = {"H2O", "HHO", "OHH", "HOH", "OH2",
                                       "SOL", "WAT", "TIP", "DOD"};
static_assert(std::size(WATER_NAMES) == 9, "water residue names");

struct alias_row {
  std::string_view alias;  // compared for every atom: its length known
  const char* standard;
};
constexpr alias_row ATOM_ALIASES[] = {{" O1'", " O4'"}, {" OL ", " OP1"}, {" O1P", " OP1"},
                                      {" OR ", " OP2"}, {" O2P", " OP2"}, {" O3P", " OP3"},
                                      {" O5T", " O5'"}, {" O3T", " O3'"}, {" C1T", " C1'"}};
static_assert(std::size(ATOM_ALIASES) == 9, "atom-name aliases");

constexpr const char* STD_PARENTS[] = {"__A", "__C", "__G", "__T", "__U", "__P"};

constexpr const char* ABASIC_ATOMS[] = {" P  ", " O5'", " C5'", " C4'", " C3'", " O3'"};

long& F(residue& r, int w) { return r.flag[w]; }

bool in_range(long k, const struct_mol& mol) { return k >= 1 && k <= mol.num_residues; }

// Atoms i, j at a bond length: both selected, same model/chain/altloc, 1-2 A.
bool bond_length_apart(long i, long j, const struct_mol& mol) {
  if (i == -1 || j == -1) return false;
  if (!atoms_same_model_chain_altloc(i, j, mol)) return false;
  double d = dist_atoms(i, j, mol);
  return d >= BOND_MIN && d <= BOND_MAX;
}

void set_dna_rna(residue& r, long k, const struct_mol& mol) {
  if (residue_has_atom(" O2'", k, mol))
    F(r, rf::is_rna) = 1;
  else
    F(r, rf::is_dna) = 1;
}

// A nucleotide: purine or pyrimidine, RNA or DNA by its O2'.
void mark_nucleotide(residue& r, long k, bool purine, const struct_mol& mol) {
  F(r, rf::is_nt) = 1;
  F(r, purine ? rf::is_R : rf::is_Y) = 1;
  set_dna_rna(r, k, mol);
}

// Least-squares fit of the found ring atoms (entries 1..last) onto the standard ring.
double fit_ring(const std::array<long, 10>& ring, int last, const struct_mol& mol,
                double* planarity) {
  long n = 0;
  for (int e = 1; e <= last; ++e) n += ring[e] > 0;
  std::vector<xyz> observed(static_cast<size_t>(n) + 1), standard(static_cast<size_t>(n) + 1);
  long m = 0;
  for (int e = 1; e <= last; ++e) {
    if (ring[e] <= 0) continue;
    ++m;
    observed[m] = mol.atoms[ring[e]].xyz;
    standard[m] = {0, STD_RING[e][0], STD_RING[e][1], STD_RING[e][2]};
  }
  double rmsd = ls_fitting(standard, observed, n, nullptr, nullptr, nullptr);
  if (planarity != nullptr) *planarity = rmsd > PLANARITY_RMSD ? get_planarity(n, observed) : -1.0;
  return rmsd;
}

long count_found(const std::array<long, 10>& ring, int lo, int hi) {
  long n = 0;
  for (int e = lo; e <= hi; ++e) n += ring[e] > 0;
  return n;
}

long pass_nt_rmsd_criterion(long k, const std::array<long, 10>& ring, bool has_five,
                            struct_mol& mol) {
  residue& r = mol.residues[k];
  long n1 = ring[4], c6 = ring[5], c5 = ring[6];
  if (n1 > 0 && c6 > 0 && !is_covalent_simple(n1, c6, mol, RING_BOND_FACTOR) &&
      dist_atoms(n1, c6, mol) > RING_N1C6_MAX)
    return 0;
  if (n1 > 0 && c6 <= 0 && c5 > 0 && count_found(ring, 1, 9) == 5 &&
      is_covalent_simple(n1, c5, mol, RING_BOND_FACTOR)) {
    prglog_msg("[i] %s --- not a nt\n", residue_idstr0(r).c_str());
    return 0;
  }
  double planarity = -1.0;
  double rmsd = fit_ring(ring, 9, mol, &planarity);
  r.rmsd = rmsd;
  if (rmsd < 0) return 0;
  double cutoff = Gvars.nt_cutoff;
  if (rmsd > cutoff) {
    if (count_found(ring, 1, 6) == 6 && residue_has_atom(" P  ", k, mol) &&
        residue_has_atom(" C1'", k, mol)) {
      F(r, rf::distorted) = 1;
      logitf("  %s %.3f -- distorted, without fitted base frame\n",
             trimmed(residue_idstr0(r)).c_str(), rmsd);
      return 1;
    }
    return 0;
  }
  if (planarity >= 0) {
    logitf("  *%s %.3f (planarity=%.3f)\n", residue_idstr0(r).c_str(), rmsd, planarity);
    if (has_five && planarity < FLAT_PURINE_PLANARITY) {
      double six = fit_ring(ring, 6, mol, nullptr);
      if (six >= 0 && six <= PYRIMIDINE_RECHECK_RMSD) {
        logitf("  \t re-checked as a pyrimidine: rmsd=%.3f\n", six);
        return 0;
      }
    }
  }
  if (cutoff > PYRIMIDINE_RECHECK_RMSD && rmsd >= PYRIMIDINE_RECHECK_RMSD && rmsd <= cutoff) {
    if (++mol.warned.nt_rmsd <= 9) {
      logitf("  %s %.3f\n", residue_idstr0(r).c_str(), rmsd);
    }
  }
  return 1;
}

// The ring atoms found by name; with primed names for the special-nucleotide test.
std::array<long, 10> find_ring_atoms(long k, const struct_mol& mol, bool primed) {
  std::array<long, 10> ring{};
  for (int e = 1; e <= 9; ++e) {
    std::string name = BASE_RING_ATOMS[e];
    if (primed) name[3] = '\'';
    long i = find_atom_in_residue(name.c_str(), k, mol);
    ring[e] = i > 0 ? i : 0;
  }
  return ring;
}

void check_nucleotide_residue(long k, struct_mol& mol) {
  residue& r = mol.residues[k];
  std::array<long, 10> ring = find_ring_atoms(k, mol, false);
  long found = count_found(ring, 1, 9);
  long five = count_found(ring, 7, 9);
  long nitrogens = 0;
  for (int e = 1; e <= 9; ++e)
    if (ring[e] > 0 && mol.atoms[ring[e]].name[1] == 'N') ++nitrogens;
  if (found < 3) return;
  if (nitrogens == 0 && !residue_has_atom(" C1'", k, mol)) return;
  if (pass_nt_rmsd_criterion(k, ring, five > 0, mol)) {
    mark_nucleotide(r, k, five > 0, mol);
    return;
  }
  if (five == 0) return;
  // a purine-like ring that does not fit: try its six-membered ring alone
  ring[7] = ring[8] = ring[9] = 0;
  long six = count_found(ring, 1, 6);
  if (six > 4 && pass_nt_rmsd_criterion(k, ring, false, mol)) {
    mark_nucleotide(r, k, false, mol);
    logitf("[i] taken as a pyrimidine ... %s\n", residue_idstr0(r).c_str());
  }
  double rmsd = fit_ring(ring, 6, mol, nullptr);
  r.rmsd = rmsd;
  if (rmsd != -1.0 && rmsd < UNKNOWN_NT_RMSD) {
    F(r, rf::ry_undecided) = 1;
    mark_nucleotide(r, k, false, mol);
    prglog_msg("            taken as an unknown nucleotide\n");
  } else {
    r.rmsd = -1.0;
  }
}

// A base written with primed ring names (C4' for C4): rename once it fits.
void check_special_nucleotide(long k, struct_mol& mol) {
  residue& r = mol.residues[k];
  std::array<long, 10> ring = find_ring_atoms(k, mol, true);
  long found = count_found(ring, 1, 9);
  long five = count_found(ring, 7, 9);
  bool nitrogen = false;
  for (int e = 1; e <= 9; ++e)
    if (ring[e] > 0 && mol.atoms[ring[e]].name[1] == 'N') nitrogen = true;
  if (found < 3 || !nitrogen) return;
  bool ok = false;
  if (pass_nt_rmsd_criterion(k, ring, five > 0, mol)) {
    mark_nucleotide(r, k, five > 0, mol);
    ok = true;
  } else if (five > 0 && count_found(ring, 1, 6) >= 3) {
    ring[7] = ring[8] = ring[9] = 0;
    if (pass_nt_rmsd_criterion(k, ring, false, mol)) {
      mark_nucleotide(r, k, false, mol);
      ok = true;
    }
  }
  if (!ok) return;
  logitf("\t[i] %s is taken as a nucleotide base\n", residue_idstr0(r).c_str());
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    std::string& name = mol.atoms[i].name;
    bool matched = std::find(ring.begin() + 1, ring.end(), i) != ring.end();
    if (matched)
      name[3] = ' ';
    else if (name[0] == ' ')
      name[0] = '\'';
    else
      name[3] = '\'';
  }
}

void apply_atom_aliases(long k, struct_mol& mol) {
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    for (const auto& a : ATOM_ALIASES) {
      if (!same_atom_name(mol.atoms[i].name, a.alias)) continue;
      if (!residue_has_atom(a.standard, k, mol)) mol.atoms[i].name = a.standard;
      break;
    }
  }
}

void check_amino_acid(long k, struct_mol& mol) {
  residue& r = mol.residues[k];
  for (const auto& aa : AA_NAMES)
    if (r.name == aa.name) {
      F(r, rf::is_aa) = 1;
      r.letter = aa.letter;
      return;
    }
  if ((residue_has_atom(" N  ", k, mol) && residue_has_atom(" CA ", k, mol) &&
       residue_has_atom(" C  ", k, mol) && residue_has_atom(" O  ", k, mol)) ||
      (r.num_atoms <= 3 && residue_has_atom(" CA ", k, mol)))
    F(r, rf::is_aa) = 1;
}

void check_water(long k, struct_mol& mol) {
  residue& r = mol.residues[k];
  if (r.num_atoms > 3) return;
  bool oxygen = false, hydrogen = false;
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    oxygen = oxygen || mol.atoms[i].atomic_number == 8;
    hydrogen = hydrogen || mol.atoms[i].atomic_number == 1;
  }
  if (!oxygen || (r.num_atoms > 1 && !hydrogen)) return;
  for (const char* w : WATER_NAMES)
    if (r.name == w) {
      F(r, rf::is_water) = 1;
      return;
    }
  if (verbose2()) runlog_msg("[i] residue %s not taken as water\n", residue_idstr0(r).c_str());
}

void check_nts_abasic(struct_mol& mol) {
  baselist bases;
  set_baselist(bases);
  for (long k = 1; k <= mol.num_residues; ++k) {
    residue& r = mol.residues[k];
    if (F(r, rf::is_nt) || r.rmsd > 0) continue;
    bool lone_p = r.num_atoms == 1 && mol.atoms[r.first_atom].name == " P  ";
    long backbone = 0;
    for (const char* name : ABASIC_ATOMS) backbone += residue_has_atom(name, k, mol);
    if (!lone_p && backbone < 5) continue;
    F(r, rf::abasic) = F(r, rf::is_nt) = 1;
    prglog_msg("[i] asbasic site: %s\n", residue_idstr0(r).c_str());
    if (const base2std* e = find_in_baselist(r.name, bases)) {
      F(r, std::strchr("AaGg", e->parent[2]) ? rf::is_R : rf::is_Y) = 1;
    } else {
      F(r, rf::ry_undecided) = F(r, rf::is_Y) = 1;
      prglog_msg("            R/Y cannot be decided\n");
    }
    set_dna_rna(r, k, mol);
  }
}

std::vector<long> read_nts_list(const std::string& path, long num_residues) {
  runlog_msg("Reading file %s\n", path.c_str());
  scoped_file file(open_file(path, "r"));  // closed also when a line is fatal
  FILE* fp = file.get();
  std::vector<long> list;
  std::string line;
  while (get_line(fp, line)) {
    std::string t = trimmed(line);
    if (is_doc_string(t)) continue;
    long v = 0;
    auto res = std::from_chars(t.data(), t.data() + t.size(), v);
    if (res.ec == std::errc() && v >= 1 && v <= num_residues) {
      list.push_back(v);
    } else if (t.find("nts=") != std::string::npos) {
      runlog_msg("[w] skip entry for no. of nucleotides: '%s'\n", t.c_str());
    } else {
      runlog_msg("[w] ignore invalid entry: '%s'\n", t.c_str());
    }
  }
  file.close();
  if (list.empty()) fatal("no valid nucleotides specified in %s\n", path.c_str());
  std::sort(list.begin(), list.end());
  return list;
}

void apply_nts_list(const std::vector<long>& list, struct_mol& mol) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    residue& r = mol.residues[k];
    if (!F(r, rf::is_nt) || std::binary_search(list.begin(), list.end(), k)) continue;
    r.rmsd = -1.0;
    for (int w : {rf::is_nt, rf::is_R, rf::is_Y, rf::ry_undecided, rf::is_dna, rf::is_rna,
                  rf::abasic, rf::distorted})
      F(r, w) = 0;
  }
  for (long k : list)
    if (!F(mol.residues[k], rf::is_nt))
      runlog_msg("[w] specified nucleotide %ld (%s) cannot be detected\n", k,
                 residue_idstr0(mol.residues[k]).c_str());
}

// Names the 5-methyl carbon of a pyrimidine " C7 ", whatever the file called it.
void name_5methyl(long k, struct_mol& mol) {
  long c5 = find_atom_in_residue(" C5 ", k, mol);
  long c4 = find_atom_in_residue(" C4 ", k, mol);
  long c6 = find_atom_in_residue(" C6 ", k, mol);
  if (c5 == -1 || c4 == -1 || c6 == -1) return;
  if (!is_covalent_lkg(c5, c4, mol) || !is_covalent_lkg(c5, c6, mol)) return;
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    atom& a = mol.atoms[i];
    if (a.name.find('\'') != std::string::npos) continue;
    if (!strcasecmp(a.name.c_str(), " P  ") || !strcasecmp(a.name.c_str(), " OP1") ||
        !strcasecmp(a.name.c_str(), " OP2"))
      continue;
    bool ring6 = false;
    for (int e = 1; e <= 6; ++e) ring6 = ring6 || a.name == BASE_RING_ATOMS[e];
    if (ring6 || a.atomic_number != 6 || !is_covalent_lkg(c5, i, mol) || a.name == " C7 ")
      continue;
    if (verbose2())
      runlog_msg("\t%s@%s ---> C7\n", trimmed(a.name).c_str(), residue_idstr0(r).c_str());
    a.name = " C7 ";
    return;
  }
}

std::string derive_new_nt_std_name(long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  std::string std_name;
  if (r.flag[rf::ry_undecided]) {
    std_name = std::string("__") + static_cast<char>(Gvars.abasic);
  } else if (r.flag[rf::is_R]) {
    if (residue_has_atom(" O6 ", k, mol))
      std_name = "__g";
    else
      std_name = residue_has_atom(" N6 ", k, mol) || !residue_has_atom(" N2 ", k, mol) ? "__a"
                                                                                        : "__g";
  } else {
    if (residue_has_atom(" N4 ", k, mol))
      std_name = "__c";
    else
      std_name = residue_has_atom(" C7 ", k, mol) ? "__t" : "__u";
    long c1 = find_atom_in_residue(" C1'", k, mol);
    if (!bond_length_apart(c1, find_atom_in_residue(" N1 ", k, mol), mol) &&
        bond_length_apart(c1, find_atom_in_residue(" C5 ", k, mol), mol))
      std_name = "__p";
  }
  if (!Gvars.stand_alone)
    runlog_msg("\n\tmatched nucleotide '%s' to '%c' for %s\n\tverify and add an entry in "
               "<baselist.dat>\n",
               r.name.c_str(), std_name[2], residue_idstr0(r).c_str());
  return std_name;
}

void msg_uncommon_base(const residue& r) {
  for (const char* p : STD_PARENTS)
    if (r.std_name == p) return;
  logit_verbosef("uncommon base '%s' assigned to '%c' for %s\n", r.name.c_str(), r.std_name[2],
                 residue_idstr0(r).c_str());
}

void verify_nt_RY_assignment(const struct_mol& mol) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (!r.flag[rf::is_nt] || r.flag[rf::ry_undecided]) continue;
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(r.letter)));
    if (r.flag[rf::is_R] && c != 'A' && c != 'G')
      runlog_msg("[w]  nt %s residue name does not match coordinates: '%c' vs %s\n",
                 r.idstr.c_str(), r.letter, "purine");
    else if (!r.flag[rf::is_R] && r.flag[rf::is_Y] && !std::strchr("CTUP", c))
      runlog_msg("[w]  nt %s residue name does not match coordinates: '%c' vs %s\n",
                 r.idstr.c_str(), r.letter, "pyrimidine");
  }
}

bool same_residue(const atom& a, const atom& b, bool segid) {
  // numbers and characters first: this runs for every pair of neighbouring atoms
  return a.model == b.model && a.res_seq == b.res_seq && a.icode == b.icode &&
         (!segid || a.seg_id == b.seg_id) && same_short_text(a.chain_id, b.chain_id) &&
         same_short_text(a.res_name, b.res_name);
}

std::string make_key(long model, const std::string& chain_id) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%10.10ld%4.4s", model, chain_id.c_str());
  return buf;
}

}  // namespace

// ---------------------------------------------------------------------------

void populate_residues(struct_mol& mol) {
  const long n_atoms = mol.num_atoms;
  bool segid = Gvars.segid != 0;
  // 1-2: atom i ends a residue when the next atom differs in model, segment,
  // chain, name, number or insertion code; comparing fields keeps any length.
  std::vector<long> ends;
  for (long i = 1; i <= n_atoms; ++i)
    if (i == n_atoms || !same_residue(mol.atoms[i], mol.atoms[i + 1], segid)) ends.push_back(i);
  const long nres = static_cast<long>(ends.size());
  mol.num_residues = nres;
  mol.residues.clear();  // then made in place, not copied from a blank one
  mol.residues.resize(static_cast<size_t>(nres) + 1);
  for (long k = 1; k <= nres; ++k) {
    residue& r = mol.residues[k];
    r.first_atom = k == 1 ? 1 : ends[k - 2] + 1;
    r.last_atom = ends[k - 1];
    r.num_atoms = r.last_atom - r.first_atom + 1;
    for (long i = r.first_atom; i <= r.last_atom; ++i) mol.atoms[i].residue = k;
  }
  // 3
  std::vector<long> nts_list;
  if (!Gvars.nts_list_inp.empty()) nts_list = read_nts_list(Gvars.nts_list_inp, nres);
  // 4
  const long mask = mol.parts;
  for (long k = 1; k <= nres; ++k) {
    apply_atom_aliases(k, mol);
    residue& r = mol.residues[k];
    const atom& a = mol.atoms[r.first_atom];
    r.name = a.res_name;
    r.model = a.model;
    r.segid = a.seg_id;
    r.chain_id = a.chain_id;
    r.res_seq = a.res_seq;
    r.icode = a.icode;
    r.hetatm = a.hetatm;
    r.std_name = r.name;
    r.index = k;
    r.key = make_key(r.model, r.chain_id);
    if (!ignored_nt(r.name) && (mask & 1)) {
      check_nucleotide_residue(k, mol);
      if (!F(r, rf::is_nt) && Gvars.special_nts) check_special_nucleotide(k, mol);
    }
    if (mask & 2) check_amino_acid(k, mol);
    if (mask & 4) check_water(k, mol);
    if ((mask & 8) && !F(r, rf::is_water) && r.num_atoms >= 2 && a.hetatm) F(r, rf::is_ligand) = 1;
    if ((mask & 16) && !F(r, rf::is_nt) && !F(r, rf::is_aa) && !F(r, rf::is_water) &&
        !F(r, rf::is_ligand))
      F(r, rf::is_misc) = 1;
  }
  // 5-6
  if ((mask & 1) && Gvars.abasic != 0) check_nts_abasic(mol);
  if (!nts_list.empty()) apply_nts_list(nts_list, mol);
  // 7-8
  baselist bases;
  set_baselist(bases);
  for (long k = 1; k <= nres; ++k) {
    residue& r = mol.residues[k];
    if (F(r, rf::is_nt)) {
      if (F(r, rf::is_Y)) name_5methyl(k, mol);
      if (const base2std* e = find_in_baselist(r.name, bases)) {
        r.std_name = e->parent;
        msg_uncommon_base(r);
      } else {
        r.std_name = derive_new_nt_std_name(k, mol);
      }
      r.letter = r.std_name[2];
    } else if (F(r, rf::is_aa)) {
      for (char& c : r.std_name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (r.std_name == "cys") F(r, rf::is_cys) = 1;
    } else if (F(r, rf::is_water)) {
      r.std_name = "HOH";
    }
  }
  // 9-10
  assign_idstr(mol);
  size_t width = 0;
  for (long k = 1; k <= nres; ++k) width = std::max(width, mol.residues[k].idstr.size());
  mol.idstr_width = static_cast<int>(width);
  verify_nt_RY_assignment(mol);
  long max_atoms = LONG_MIN + 1;
  mol.num_ligands = 0;
  for (long k = 1; k <= nres; ++k) {
    const residue& r = mol.residues[k];
    bool ligand = r.flag[rf::is_ligand] != 0;
    mol.num_ligands += ligand;
    for (long i = r.first_atom; i <= r.last_atom; ++i) {
      mol.atoms[i].res_letter = r.letter;
      if (ligand) mol.atoms[i].ligand = 1;
    }
    max_atoms = std::max(max_atoms, r.num_atoms);
  }
  mol.max_residue_atoms = max_atoms;
}

void free_residues(std::vector<residue>& residues) { std::vector<residue>().swap(residues); }

// ---------------------------------------------------------------------------
// Predicates

bool good_residue(long k, const struct_mol& mol) { return in_range(k, mol); }

#define RESIDUE_FLAG_PREDICATE(fn, word) \
  bool fn(long k, const struct_mol& mol) { \
    return in_range(k, mol) ? mol.residues[k].flag[word] : 0; \
  }
RESIDUE_FLAG_PREDICATE(is_nt, rf::is_nt)
RESIDUE_FLAG_PREDICATE(is_R, rf::is_R)
RESIDUE_FLAG_PREDICATE(is_Y, rf::is_Y)
RESIDUE_FLAG_PREDICATE(is_DNA_nt, rf::is_dna)
RESIDUE_FLAG_PREDICATE(is_RNA_nt, rf::is_rna)
RESIDUE_FLAG_PREDICATE(is_aa, rf::is_aa)
RESIDUE_FLAG_PREDICATE(is_aa_cys, rf::is_cys)
RESIDUE_FLAG_PREDICATE(is_water, rf::is_water)
RESIDUE_FLAG_PREDICATE(is_metal, rf::is_metal)
RESIDUE_FLAG_PREDICATE(is_ligand, rf::is_ligand)
RESIDUE_FLAG_PREDICATE(is_misc, rf::is_misc)
RESIDUE_FLAG_PREDICATE(is_pknot, rf::pknot)
RESIDUE_FLAG_PREDICATE(is_nt_backbone_only, rf::abasic)
#undef RESIDUE_FLAG_PREDICATE

bool no_base_frame(long k, const struct_mol& mol) {
  return in_range(k, mol) &&
         (mol.residues[k].flag[rf::abasic] || mol.residues[k].flag[rf::distorted]);
}
bool is_ntaa(long k, const struct_mol& mol) { return is_nt(k, mol) || is_aa(k, mol); }
bool is_modified_nt(long k, const struct_mol& mol) { return mol.residues[k].flag[rf::modified]; }
bool both_nts(long a, long b, const struct_mol& mol) { return is_nt(a, mol) && is_nt(b, mol); }
bool both_aas(long a, long b, const struct_mol& mol) { return is_aa(a, mol) && is_aa(b, mol); }
bool nt_with_aa(long a, long b, const struct_mol& mol) {
  return (is_nt(a, mol) && is_aa(b, mol)) || (is_aa(a, mol) && is_nt(b, mol));
}
bool with_same_model_chain(long a, long b, const struct_mol& mol) {
  return mol.model_mode == 8 || mol.residues[a].key == mol.residues[b].key;
}

bool good_atom(long i, const struct_mol& mol) { return i >= 1 && i <= mol.num_atoms; }
bool is_hydrogen(long i, const struct_mol& mol) { return mol.atoms[i].hydrogen; }
bool is_oxygen(long i, const struct_mol& mol) { return mol.atoms[i].oxygen; }
bool is_nitrogen(long i, const struct_mol& mol) { return mol.atoms[i].nitrogen; }
bool is_on(long i, const struct_mol& mol) { return is_oxygen(i, mol) || is_nitrogen(i, mol); }
bool is_baseatom(long i, const struct_mol& mol) { return good_atom(i, mol) && mol.atoms[i].base; }
bool is_aaSCatom(long i, const struct_mol& mol) {
  return good_atom(i, mol) && mol.atoms[i].sidechain;
}
bool is_C1_prime(long i, const struct_mol& mol) {
  return good_atom(i, mol) && mol.atoms[i].name == " C1'";
}
bool atom_is_C1_prime(long i, const struct_mol& mol) { return mol.atoms[i].name == " C1'"; }

namespace {

// The first of the residue's atoms that `match` takes, noting a second match
// and, at the higher verbosities, none. Before the residues have ids (while
// residues are classified) the first match is taken without a look further.
template <class Match>
long first_named_atom(const residue& r, const char* name, Match match) {
  long found = -1;
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    if (!match(i)) continue;
    if (found == -1) {
      found = i;
      if (r.idstr.empty()) return found;
    } else {
      logitf("\tmore than one <%s> atoms in %s\n", name, r.idstr.c_str());
      logit("\t*****the first match is used*****\n");
      return found;
    }
  }
  if (found == -1 && verbose2() && !r.idstr.empty()) logitf("\tmissing atom [%s] in %s\n", name, r.idstr.c_str());
  return found;
}

std::uint32_t name_word(const char* c) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[3])) << 24;
}

}  // namespace

long find_atom_in_residue(const char* name, long k, const struct_mol& mol) {
  const std::string_view want(name);
  return first_named_atom(mol.residues[k], name,
                          [&](long i) { return same_atom_name(mol.atoms[i].name, want); });
}

residue_atom_names::residue_atom_names(long k, const struct_mol& mol) : k_(k), mol_(mol) {
  const residue& r = mol.residues[k];
  const size_t n = r.last_atom >= r.first_atom ? static_cast<size_t>(r.last_atom - r.first_atom + 1) : 0;
  words_.reserve(n);
  four_.reserve(n);
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    const std::string& name = mol.atoms[i].name;
    four_.push_back(name.size() == 4);
    words_.push_back(name.size() == 4 ? name_word(name.data()) : 0);
  }
}

long residue_atom_names::find(const char* name) const {
  if (std::strlen(name) != 4) return find_atom_in_residue(name, k_, mol_);
  const residue& r = mol_.residues[k_];
  const std::uint32_t w = name_word(name);
  return first_named_atom(r, name, [&](long i) {
    const size_t e = static_cast<size_t>(i - r.first_atom);
    return four_[e] && words_[e] == w;
  });
}

long residue_has_atom(const char* name, long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  const std::string_view want(name);
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (same_atom_name(mol.atoms[i].name, want)) return 1;
  return 0;
}

long get_number_of_nt(const struct_mol& mol) {
  long n = 0;
  for (long k = 1; k <= mol.num_residues; ++k) n += mol.residues[k].flag[rf::is_nt] != 0;
  return n;
}

long get_number_of_aa(const struct_mol& mol) {
  long n = 0;
  for (long k = 1; k <= mol.num_residues; ++k) n += mol.residues[k].flag[rf::is_aa] != 0;
  return n;
}

long derive_non_nt_parts(const std::string& text) {
  long mask = 0;
  auto has = [&](const char* w) { return strcasestr(text.c_str(), w) != nullptr; };
  if (has("protein") || has("peptide") || has("amino")) mask |= 2;
  if (has("water") || has("h2o")) mask |= 4;
  if (has("ligand")) mask |= 8;
  if (has("misc") || has("other")) mask |= 16;
  return mask;
}

long residue_to_include(long mask, long k, const struct_mol& mol) {
  if (mask == 0) return 0;
  if (is_nt(k, mol)) return (mask & 1) != 0;
  if (is_aa(k, mol)) return (mask & 2) != 0;
  if (is_water(k, mol)) return (mask & 4) != 0;
  if (is_ligand(k, mol)) return (mask & 8) != 0;
  return (mask & 16) != 0;
}

void count_dna_rna(long k, const struct_mol& mol, long& dna_count, long& rna_count) {
  if (is_modified_nt(k, mol)) return;
  if (is_DNA_nt(k, mol))
    ++dna_count;
  else if (is_RNA_nt(k, mol))
    ++rna_count;
}

std::string assign_na_type(long dna_count, long rna_count) {
  if (dna_count && rna_count) return "D+R";
  if (dna_count) return "DNA";
  if (rna_count) return "RNA";
  return "---";
}

void mark_nts_per_collect(struct_mol& mol, const connect& set, long value, int slot) {
  VASK_ASSERT(slot >= 0 && slot < rf::count);
  for (long m = 1; m <= set.count; ++m) mol.residues[set.members[m]].flag[slot] = value;
}

void list_residues(const char* kind, const struct_mol& mol, const char* file) {
  FILE* fp = output_file(file);
  std::fprintf(fp, "List of %ss\n", kind);
  long n = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    bool take = (is_nt(k, mol) && std::strstr(kind, "nucle")) ||
                (is_aa(k, mol) && std::strstr(kind, "amino")) ||
                (is_water(k, mol) && std::strstr(kind, "water")) ||
                (is_metal(k, mol) && std::strstr(kind, "metal")) ||
                (is_ligand(k, mol) && std::strstr(kind, "ligan"));
    if (!take) continue;
    const residue& r = mol.residues[k];
    std::fprintf(fp, "%4ld %3s-%c %3ld  %s\n", ++n, r.name.c_str(), r.letter, r.num_atoms,
                 r.idstr.c_str());
  }
  close_file(fp);
}

void print_pdb_residues(FILE* fp, const struct_mol& mol, long with_water) {
  if (fp == nullptr || mol.num_residues < 1) return;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (!with_water && r.flag[rf::is_water]) continue;
    std::fprintf(fp, "%5ld\t%s\t%3.3s\t%5ld\t%5ld\t%5ld\n", k, r.idstr.c_str(),
                 r.std_name.c_str(), r.first_atom, r.last_atom, r.num_atoms);
  }
}

void prtId(long k, const struct_mol& mol) {
  runlog_msg("\t%s #%ld\n", mol.residues[k].idstr.c_str(), k);
}

}  // namespace vask
