// The preparation pipeline that turns a structure as read into the prepared
// model every analysis reads: see prepare.hpp.
#include "pairing/prepare.hpp"

#include <cctype>
#include <utility>
#include <vector>

#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/hbond_water.hpp"
#include "pairing/nt_features.hpp"
#include "pairing/pair.hpp"
#include "pairing/plane.hpp"
#include "pairing/suite.hpp"
#include "pairing/torsion.hpp"
#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/chain.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double BACKBONE_RATIO = 0.618;  // share of nucleotides with P or C3' for has_backbone
constexpr double GLYCO_MIN = 1.0, GLYCO_MAX = 2.0;  // glycosidic bond window, Angstrom

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

void stage_contacts_and_bonds(struct_mol& mol, bool pairs_only) {
  populate_contacts(mol);
  if (!pairs_only) populate_vdwCnts(mol);  // the pair test asks its few pairs itself
  populate_bonds(mol, !pairs_only);  // the bond list is read by the schematics alone
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

// A run that writes the pairs alone skips what only the other analyses read
// (van der Waals contact sets, phosphate contacts, the structure's H-bond list, plane contacts,
// torsions, suites, waters and metals, the chains' gyration and axes): a pair
// finds its own H-bonds.
void stage_po4_peptide_chains(struct_mol& mol, bool pairs_only) {
  populate_PO4(mol);
  populate_peptide(mol);
  if (!pairs_only) populate_PO4_contacts_bridges(mol);
  populate_chains(mol);
  if (!pairs_only) populate_chain_geometry(mol);
}

// The H-bond list, which a pair's H-bonds are numbered by in JSON with
// unit ids.
bool pairs_need_hbond_list() { return Gvars.idstr == 5 || Gvars.idstr == 6; }

// Torsions and puckers, which the pair list shows from verbosity 1.
bool pairs_need_torsions() { return VERBOSITY >= 1; }

void stage_hbonds(struct_mol& mol) {
  populate_hbonds(mol);
  populate_json_hbonds(mol);
}

void stage_frames_planes_hbonds(struct_mol& mol, bool pairs_only) {
  populate_chainStr(mol);
  populate_frames(mol);
  populate_planes(mol);
  if (!pairs_only || pairs_need_hbond_list()) stage_hbonds(mol);
  if (!pairs_only) populate_plane_contacts(mol);
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

void populate_json_hbonds(struct_mol& mol) {
  VASK_ASSERT(mol.stage.hbonds);
  switch_set listing{};
  listing[Gvars.waters ? 5 : 0] = 1;  // every H-bond, or every one without a water
  mol.num_json_hbonds = number_clean_hbonds(mol, listing);
  collect_clean_hbonds(mol, mol.json_hbonds, listing);
}

void populate_nt_info(struct_mol& mol) {
  mol.nt_infos.assign(static_cast<size_t>(mol.num_residues) + 1, nt_info{});
  long nts = 0, with_backbone = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (!r.flag[rf::is_nt]) continue;
    ++nts;
    nt_info& n = mol.nt_infos[k];
    const residue_atom_names names(k, mol);  // some twenty names are looked up
    auto at = [&](const char* name) { return names.find(name); };
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
  const bool pairs_only = pairs_only_run(mol);
  populate_aa_info(mol);                   // 3
  populate_atom_hbond_property(mol);       // 4
  populate_color_index(mol);               // 5
  stage_linkages_and_order(mol);           // 6
  populate_na_segments(mol);               // 7
  populate_nts_miscs(mol);                 // 8
  stage_ligand_links(mol);                 // 9
  stage_contacts_and_bonds(mol, pairs_only);  // 10
  stage_dna_to_rna(mol);                   // 11
  stage_po4_peptide_chains(mol, pairs_only);  // 12
  populate_models(mol);                    // 13
  stage_frames_planes_hbonds(mol, pairs_only);  // 14
  stage_nt_local_geometry(mol);            // 15
  stage_framed_aas(mol);                   // 16
  if (!pairs_only || pairs_need_torsions()) stage_torsions(mol);  // 17
  if (!pairs_only) {
    stage_hydration_metals_suites(mol);    // 18
    populate_atom_exposure(mol);           // 19
  }
  if (!mol.nts_in_order) mol.notes += "   o nucleotides out of order\n";  // 20
  mol.stage.pairs_only = pairs_only;
}

void complete_preparation(struct_mol& mol) {
  if (!mol.stage.pairs_only) return;
  populate_bond_list(mol);
  populate_vdwCnts(mol);
  populate_PO4_contacts_bridges(mol);
  populate_chain_geometry(mol);
  if (!mol.stage.hbonds) stage_hbonds(mol);
  populate_plane_contacts(mol);
  if (!pairs_need_torsions()) stage_torsions(mol);
  stage_hydration_metals_suites(mol);
  populate_atom_exposure(mol);
  mol.stage.pairs_only = 0;
}

void read_pdb_model(const std::string& file, struct_mol& mol, long model, long model_mode, long parts) {
  read_pdb_simple_model(file, mol, model, &Gvars.altlocs, &Gvars.chains, model_mode, parts);
  add_info_struct_mol(mol);
}

void read_pdb(const std::string& file, struct_mol& mol, long parts) {
  read_pdb_model(file, mol, Gvars.select_model, 0, parts);
  if (symmetry_on_ensemble(mol)) {  // this structure's first model only
    free_struct_mol(mol);
    read_pdb_model(file, mol, Gvars.select_model, 1, parts);
  }
}

void read_pdb_without_waters_ions(const std::string& file, struct_mol& mol) {
  const long parts = Gvars.parts;
  // waters told by their name, ions as lone atoms outside any nucleotide
  read_pdb_simple_model(file, mol, Gvars.select_model, &Gvars.altlocs, &Gvars.chains, 0, parts | 4);
  std::vector<atom> kept(1);
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (is_water(k, mol) || (!is_nt(k, mol) && r.num_atoms == 1)) continue;
    for (long i = r.first_atom; i <= r.last_atom; ++i) kept.push_back(mol.atoms[i]);
  }
  if (kept.size() > 1 && static_cast<long>(kept.size()) - 1 < mol.num_atoms) {
    const std::string name = mol.file_name;
    const long model_mode = mol.model_mode;
    for (size_t i = 1; i < kept.size(); ++i) kept[i].index = static_cast<long>(i);
    init_struct_mol(name, mol);
    mol.model_mode = model_mode;
    mol.num_atoms = static_cast<long>(kept.size()) - 1;
    mol.atoms = std::move(kept);
    mol.parts = parts;  // classified again with the setting's residue classes
    populate_residues(mol);
    mol.stage.residues = 1;
  }
  mol.parts = parts;
  add_info_struct_mol(mol);
}

}  // namespace vask
