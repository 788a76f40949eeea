// Utilities of the task sub-command on one structure: duplex orientation,
// frames of a pair or nucleotide, joined strands, sealed backbones, clashes,
// O2' atoms and chain ids.
#include <algorithm>
#include <array>
#include <cfloat>
#include <cstdio>
#include <sstream>
#include <vector>

#include "driver/task_utilities.hpp"
#include "modeling/mutation.hpp"
#include "motifs/nonpair.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "secondary/helix.hpp"
#include "structure/atom.hpp"
#include "structure/chain.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/rotation.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// The structure's pairs and helices.
struct duplex_state {
  long num_pairs = 0, num_helices = 0, num_stems = 0, num_isolated = 0, num_coaxial = 0, misassigned = 0;
  std::vector<pair> pairs, isolated;
  std::vector<helix> helices, stems;
  std::string notes;
};

void find_pairs_helices(struct_mol& mol, duplex_state& d) {
  d.pairs = populate_base_pairs(mol, d.num_pairs);
  if (d.num_pairs > 0) tidyup_and_mark_pairs(d.num_pairs, d.pairs, mol);
  helix_slots slots{d.num_pairs, d.pairs, d.num_helices, d.helices, d.num_stems, d.stems,
                    d.num_isolated, d.isolated, d.num_coaxial, d.misassigned, d.notes};
  find_helices(mol, slots);
}

const helix& the_one_helix(const duplex_state& d, const std::string& file) {
  if (!with_one_valid_helix(d.num_helices, d.helices))
    fatal("[e] input file %s not have only ONE valid helix\n", file.c_str());
  return d.helices[1];
}

std::vector<pair> pairs_of(struct_mol& mol, long& n) {
  std::vector<pair> pairs = populate_base_pairs(mol, n);
  if (n > 0) tidyup_and_mark_pairs(n, pairs, mol);
  return pairs;
}

// Pair k (-1: the last) of the list, or the "no pair" error.
const pair& pair_number(long k, long n, const std::vector<pair>& pairs, const std::string& file) {
  const long idx = k == -1 ? n : k;
  if (idx < 1 || idx > n) fatal("[e] no pair %ld in file %s\n", k, file.c_str());
  return pairs[idx];
}

void set_residue_segid(long k, const std::string& segid, struct_mol& mol) {
  residue& r = mol.residues[k];
  r.segid = segid;
  for (long i = r.first_atom; i <= r.last_atom; ++i) mol.atoms[i].seg_id = segid;
}

void write_residue_list(const std::vector<long>& list, struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  write_residue_set_pdb_simple(static_cast<long>(list.size()) - 1, list, nullptr, mol, sf.get());
  end_pdbfile(sf.get());
  sf.close();
}

// Atoms are written one by one, serials from 1.
struct atom_writer {
  FILE* fp;
  long serial = 0;
  long overflows = 0;  // values narrowed to fit their PDB column
  void put(atom a) {
    a.serial = ++serial;
    a.status = 1;
    write_atom_record(fp, a, overflows);
  }
};

// An atom of residue k's identity at the point p.
atom residue_atom(long k, const struct_mol& mol, const std::string& name, const std::string& element, const xyz& p) {
  const residue& r = mol.residues[k];
  atom a = mol.atoms[r.first_atom];
  a.name = name;
  a.raw_name = name;
  a.element = element;
  a.xyz = p;
  a.altloc = ' ';
  a.occupancy = 1.0;
  a.bfactor = 0.0;
  a.charge = "  ";
  return a;
}

// ---------------------------------------------------------------------------
// Backbone templates of one nucleotide, in the base frame's coordinates.

struct template_atom {
  const char* name;
  double x, y, z;
};

constexpr std::array<template_atom, 12> kRnaC3endo = {{{" P  ", 1.272, 9.076, 0.567},
                                                       {" OP1", 1.159, 10.309, 1.380},
                                                       {" OP2", 2.487, 8.262, 0.790},
                                                       {" O5'", -0.028, 8.171, 0.779},
                                                       {" C5'", -1.309, 8.676, 0.352},
                                                       {" C4'", -2.372, 7.610, 0.531},
                                                       {" O4'", -2.213, 6.613, -0.520},
                                                       {" C3'", -2.292, 6.800, 1.824},
                                                       {" O3'", -2.830, 7.515, 2.928},
                                                       {" C2'", -3.100, 5.577, 1.392},
                                                       {" O2'", -4.509, 5.664, 1.320},
                                                       {" C1'", -2.526, 5.330, -0.000}}};
constexpr std::array<template_atom, 12> kRnaC2endo = {{{" P  ", -0.578, 9.149, -2.298},
                                                       {" OP1", -0.747, 10.380, -3.102},
                                                       {" OP2", 0.538, 9.156, -1.326},
                                                       {" O5'", -1.947, 8.808, -1.541},
                                                       {" C5'", -2.951, 8.041, -2.229},
                                                       {" C4'", -3.525, 6.988, -1.301},
                                                       {" O4'", -2.766, 5.745, -1.336},
                                                       {" C3'", -3.561, 7.357, 0.182},
                                                       {" O3'", -4.746, 6.822, 0.760},
                                                       {" C2'", -2.357, 6.637, 0.789},
                                                       {" O2'", -2.484, 6.472, 2.146},
                                                       {" C1'", -2.509, 5.341, 0.000}}};
constexpr std::array<template_atom, 11> kDnaC3endo = {{{" P  ", 1.272, 9.076, 0.567},
                                                       {" OP1", 1.159, 10.309, 1.380},
                                                       {" OP2", 2.487, 8.262, 0.790},
                                                       {" O5'", -0.029, 8.171, 0.779},
                                                       {" C5'", -1.309, 8.676, 0.352},
                                                       {" C4'", -2.371, 7.610, 0.531},
                                                       {" O4'", -2.212, 6.612, -0.520},
                                                       {" C3'", -2.292, 6.799, 1.825},
                                                       {" O3'", -2.831, 7.515, 2.928},
                                                       {" C2'", -3.099, 5.578, 1.391},
                                                       {" C1'", -2.526, 5.331, -0.000}}};

std::vector<template_atom> backbone_template(long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  const std::string& pucker = mol.nt_infos[k].puckering;
  const bool rna = is_RNA_nt(k, mol) != 0;
  const bool c3 = pucker.find("C3'-endo") != std::string::npos;
  const bool c2 = pucker.find("C2'-endo") != std::string::npos;
  auto all = [](const auto& t) { return std::vector<template_atom>(t.begin(), t.end()); };
  auto no_o2 = [](const auto& t) {
    std::vector<template_atom> out;
    for (const template_atom& a : t)
      if (std::string(a.name) != " O2'") out.push_back(a);
    return out;
  };
  const char* id = r.idstr.c_str();
  if (rna && c3) {
    runlog_msg("[i] %s: RNA, C3'-endo\n", id);
    return all(kRnaC3endo);
  }
  if (rna && c2) {
    runlog_msg("[i] %s: RNA, C2'-endo\n", id);
    return all(kRnaC2endo);
  }
  if (!rna && c3) {
    runlog_msg("[i] %s: DNA, C3'-endo\n", id);
    return all(kDnaC3endo);
  }
  if (!rna && c2)
    runlog_msg("[i] %s: DNA, C2'-endo\n", id);
  else
    runlog_msg("[i] %s: no good fit, taken as DNA, C2'-endo\n", id);
  return no_o2(kRnaC2endo);
}

std::string element_of(const char* name) { return std::string(" ") + name[1]; }

// Nucleotide k rebuilt on a backbone template, then its base atoms.
void write_sealed_nucleotide(long k, long mode, struct_mol& mol, atom_writer& w) {
  const std::vector<template_atom> tmpl = backbone_template(k, mol);
  std::vector<xyz> t_pts(1), r_pts(1);
  std::vector<long> present(tmpl.size(), -1);
  std::vector<std::string> missing;
  for (size_t a = 0; a < tmpl.size(); ++a) {
    present[a] = find_atom_in_residue(tmpl[a].name, k, mol);
    if (present[a] == -1) {
      missing.push_back(tmpl[a].name);
      continue;
    }
    t_pts.push_back({0, tmpl[a].x, tmpl[a].y, tmpl[a].z});
    r_pts.push_back(mol.atoms[present[a]].xyz);
  }
  long n = static_cast<long>(t_pts.size()) - 1;
  if (mode == 2 && missing == std::vector<std::string>{" P  ", " OP1", " OP2"}) {
    runlog_msg("\tmissing P/OP1/OP2 only\n");
    n = std::min(n, 3L);
  }
  xyz origin{};
  rotmat rot{};
  const double rmsd = ls_fitting(t_pts, r_pts, n, nullptr, &origin, &rot);
  runlog_msg("\t%ld matched atoms, rmsd=%.3f\n", n, rmsd);
  frame f;
  bool whole = true;
  if (rmsd < 0) {  // too few atoms to fit: the template goes by the base frame
    const frame* bf = base_frame(k, mol);
    VASK_ASSERT(bf != nullptr);
    f = *bf;
  } else {
    fillout_frame_from_oR(origin, rot, f);
    whole = mode == 1;
  }
  for (size_t a = 0; a < tmpl.size(); ++a) {
    if (!whole && present[a] != -1) {
      w.put(mol.atoms[present[a]]);
      continue;
    }
    xyz p;
    frame_xyz(f, {0, tmpl[a].x, tmpl[a].y, tmpl[a].z}, p);
    w.put(residue_atom(k, mol, tmpl[a].name, element_of(tmpl[a].name), p));
  }
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (is_frame_base_atom(mol.atoms[i])) w.put(mol.atoms[i]);
}

// The O2' template: C3', C2', C1', then O2'.
constexpr std::array<template_atom, 4> kO2Template = {{{" C3'", -2.292, 6.800, 1.824},
                                                       {" C2'", -3.100, 5.577, 1.392},
                                                       {" C1'", -2.526, 5.330, -0.000},
                                                       {" O2'", -4.509, 5.664, 1.320}}};

// The O2' atom placed on nucleotide k, or false when it cannot be.
bool place_o2_prime(long k, const struct_mol& mol, xyz& o2) {
  std::vector<xyz> t_pts(1), r_pts(1);
  for (size_t a = 0; a < 3; ++a) {
    const long i = find_atom_in_residue(kO2Template[a].name, k, mol);
    if (i == -1) return false;
    t_pts.push_back({0, kO2Template[a].x, kO2Template[a].y, kO2Template[a].z});
    r_pts.push_back(mol.atoms[i].xyz);
  }
  xyz origin{};
  rotmat rot{};
  const double rmsd = ls_fitting(t_pts, r_pts, 3, nullptr, &origin, &rot);
  runlog_msg("[i] rmsd=%5.2f for %s\n", rmsd, mol.residues[k].idstr.c_str());
  oR_xyz(origin, rot, {0, kO2Template[3].x, kO2Template[3].y, kO2Template[3].z}, o2);
  return true;
}

bool same_chain_id(const std::string& a, const std::string& b) { return trimmed(a) == trimmed(b); }

}  // namespace

void check_duplex_orientation(const task_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  duplex_state d;
  find_pairs_helices(mol, d);
  const helix& h = the_one_helix(d, s.input);
  std::vector<long> list(1);
  std::vector<char> used(static_cast<size_t>(mol.num_residues) + 1, 0);
  auto add = [&](long k) {
    if (used[static_cast<size_t>(k)]) return;
    used[static_cast<size_t>(k)] = 1;
    list.push_back(k);
  };
  const bool reversed = s.duplex_check < 0;
  for (const auto* strand : reversed ? std::array{&h.strand2, &h.strand1} : std::array{&h.strand1, &h.strand2})
    for (long t = 1; t <= h.num_pairs; ++t) add((*strand)[t]);
  for (long k = 1; k <= mol.num_residues; ++k)
    if (!used[static_cast<size_t>(k)] && residue_to_include(s.content, k, mol)) add(k);
  for (size_t t = 1; t < list.size(); ++t) set_residue_segid(list[t], s.segid, mol);
  write_residue_list(list, mol, s.output);
  free_struct_mol(mol);
}

void reorient_by_frame_pair(const task_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  long n = 0;
  const std::vector<pair> pairs = pairs_of(mol, n);
  const pair& p = pair_number(*s.frame_pair, n, pairs, s.input);
  if (s.remove_pair) {
    set_residue_atoms_bad_status(p.nt1, mol);
    set_residue_atoms_bad_status(p.nt2, mol);
  }
  write_mol_by_frame(&p.frame, 0, mol, s.output);
  free_struct_mol(mol);
}

void remove_one_pair(const task_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  long n = 0;
  const std::vector<pair> pairs = pairs_of(mol, n);
  const pair& p = pair_number(*s.remove_pair, n, pairs, s.input);
  show_pair_info(*s.remove_pair == -1 ? n : *s.remove_pair, p, mol, RUNLOG);
  set_residue_atoms_bad_status(p.nt1, mol);
  set_residue_atoms_bad_status(p.nt2, mol);
  write_struct_mol(mol, s.output);
  free_struct_mol(mol);
}

void reorient_by_nucleotide(const task_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  const std::vector<long> nts = nts_in_chain_order(mol);
  const long n = static_cast<long>(nts.size()) - 1;
  const long k = s.frame_nt ? *s.frame_nt : *s.remove_nt;
  const long idx = k == -1 ? n : k;
  if (idx < 1 || idx > n) fatal("[e] no nucleotide %ld in file %s\n", k, s.input.c_str());
  const long nt = nts[static_cast<size_t>(idx)];
  if (s.remove_nt) set_residue_atoms_bad_status(nt, mol);
  if (s.frame_nt) {
    const frame* f = base_frame(nt, mol);
    VASK_ASSERT(f != nullptr);
    write_mol_by_frame(f, 0, mol, s.output);
  } else {
    write_struct_mol(mol, s.output);
  }
  free_struct_mol(mol);
}

void join_duplex_per_chain(const task_settings& s) {
  std::string ids = s.join;
  if (ids.size() == 1) {
    runlog_msg("[i] reset --join-duplex from '%s' to 'XY'\n", ids.c_str());
    ids = "XY";
  }
  struct_mol mol;
  read_pdb(s.input, mol);
  duplex_state d;
  find_pairs_helices(mol, d);
  const helix& h = the_one_helix(d, s.input);
  std::vector<long> list(1);
  std::vector<char> used(static_cast<size_t>(mol.num_residues) + 1, 0);
  for (int strand = 0; strand < 2; ++strand) {
    const std::vector<long>& nts = strand == 0 ? h.strand1 : h.strand2;
    const std::string chain(1, ids[static_cast<size_t>(strand)]);
    for (long t = 1; t <= h.num_pairs; ++t) {
      const long k = nts[static_cast<size_t>(t)];
      residue& r = mol.residues[k];
      r.chain_id = chain;
      r.res_seq = t;
      for (long i = r.first_atom; i <= r.last_atom; ++i) {
        mol.atoms[i].chain_id = chain;
        mol.atoms[i].res_seq = t;
      }
      used[static_cast<size_t>(k)] = 1;
      list.push_back(k);
    }
  }
  for (long k = 1; k <= mol.num_residues; ++k)
    if (!used[static_cast<size_t>(k)]) list.push_back(k);
  write_residue_list(list, mol, s.output);
  free_struct_mol(mol);
}

void seal_backbone_per_helix(const task_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  duplex_state d;
  find_pairs_helices(mol, d);
  std::vector<char> rebuild(static_cast<size_t>(mol.num_residues) + 1, 0);
  std::vector<long> listed;
  for (long h = 1; h <= d.num_helices; ++h)
    for (const auto* strand : {&d.helices[h].strand1, &d.helices[h].strand2})
      for (long t = 1; t <= d.helices[h].num_pairs; ++t) {
        const long k = (*strand)[static_cast<size_t>(t)];
        if (rebuild[static_cast<size_t>(k)] || residue_has_atom(" P  ", k, mol)) continue;
        rebuild[static_cast<size_t>(k)] = 1;
        listed.push_back(k);
      }
  prglog_msg("\n%ld helix nts do not have P atoms\n", static_cast<long>(listed.size()));
  for (size_t t = 0; t < listed.size(); ++t)
    prglog_msg("\t%ld\t%s\n", static_cast<long>(t + 1), mol.residues[listed[t]].idstr.c_str());
  scoped_file sf(open_output(s.output));
  atom_writer w{sf.get()};
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (rebuild[static_cast<size_t>(k)]) {
      write_sealed_nucleotide(k, s.seal, mol, w);
      continue;
    }
    const residue& r = mol.residues[k];
    for (long i = r.first_atom; i <= r.last_atom; ++i)
      if (mol.atoms[i].status) w.put(mol.atoms[i]);
  }
  end_pdbfile(sf.get());
  sf.close();
  free_struct_mol(mol);
}

void check_clashes(const task_settings& s) {
  runlog_msg("[i] check clashes in %s with cutoff=%5.2f\n", s.input.c_str(), s.clash);
  struct_mol mol;
  read_pdb(s.input, mol);
  const double cut2 = s.clash * s.clash;
  long count = 0;
  double dmin = DBL_MAX;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_ntaa(i, mol)) continue;
    const connect& near = mol.residues[i].vdw_contacts;
    std::vector<long> partners;
    for (long m = 1; m <= near.count; ++m)
      if (near[m] > i) partners.push_back(near[m]);
    std::sort(partners.begin(), partners.end());
    for (long j : partners) {
      if (!is_ntaa(j, mol) || !residues_in_vdwCnt(i, j, mol) || residues_in_linkage(i, j, mol) ||
          residues_in_linkage(j, i, mol))
        continue;
      const residue& a = mol.residues[i];
      const residue& b = mol.residues[j];
      bool clash = false;
      for (long p = a.first_atom; p <= a.last_atom && !clash; ++p) {
        if (mol.atoms[p].hydrogen) continue;
        for (long q = b.first_atom; q <= b.last_atom; ++q)
          if (!mol.atoms[q].hydrogen && dist_xyz_square(mol.atoms[p].xyz, mol.atoms[q].xyz) <= cut2) {
            clash = true;
            break;
          }
      }
      if (!clash) continue;
      runlog_msg("[i]\t%s and %s in clashes\n", a.idstr.c_str(), b.idstr.c_str());
      ++count;
      dmin = std::min(dmin, get_minimum_distance_between_residues(i, j, mol));
    }
  }
  if (count > 0)
    runlog_msg("[i] %ld residue-pairs in contact within %.2g, min-dist=%.2g\a\n", count, s.clash, dmin);
  free_struct_mol(mol);
}

void handle_O2_prime_atoms(const task_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  if (s.o2 == -1) {
    long serial = 0;
    for (long i = 1; i <= mol.num_atoms; ++i) {
      atom& a = mol.atoms[i];
      if (is_nt(a.residue, mol) && a.name == " O2'") a.status = 0;
      if (a.status) a.serial = ++serial;
    }
    write_struct_mol(mol, s.output);
    free_struct_mol(mol);
    return;
  }
  scoped_file sf(open_output(s.output));
  atom_writer w{sf.get()};
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    xyz o2{};
    const bool add = is_nt(k, mol) && !residue_has_atom(" O2'", k, mol) && place_o2_prime(k, mol, o2);
    for (long i = r.first_atom; i <= r.last_atom; ++i) {
      if (!mol.atoms[i].status) continue;
      w.put(mol.atoms[i]);
      if (add && mol.atoms[i].name == " C2'") w.put(residue_atom(k, mol, " O2'", " O", o2));
    }
  }
  end_pdbfile(sf.get());
  sf.close();
  free_struct_mol(mol);
}

void reset_chains_in_pdb(const task_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  std::string text = s.chain_resets;
  convert_cs0_in_str(text, ",;|", ' ');
  std::istringstream in(text);
  for (std::string entry; in >> entry;) {
    const size_t colon = entry.find(':');
    if (colon == std::string::npos) fatal("[e] invalid entry %s -- must be C1:C2\n", entry.c_str());
    const std::string from = entry.substr(0, colon), to = entry.substr(colon + 1);
    if (from.empty() || from.size() > 4) fatal("[e] source chain %s is not of 1-4 chars\n", from.c_str());
    if (to.empty() || to.size() > 4) fatal("[e] re-set chain %s is not of 1-4 chars\n", to.c_str());
    bool found = false;
    for (long i = 1; i <= mol.num_atoms; ++i)
      if (same_chain_id(mol.atoms[i].chain_id, from)) {
        mol.atoms[i].chain_id = to;
        found = true;
      }
    if (!found) fatal("[e] source chain %s does not exist in file %s\n", from.c_str(), s.input.c_str());
  }
  write_struct_mol(mol, s.output);
  free_struct_mol(mol);
}

}  // namespace vask
