// H-bond exports: JSON array, list file, Jmol and PyMOL scripts.
#include "schematics/hbond_output.hpp"

#include "pairing/hbond.hpp"
#include "schematics/pymol_image.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/script_quote.hpp"
#include "support/settings.hpp"

namespace vask {

namespace {

bool hb(int flag) { return Gvars.get_hbond[static_cast<size_t>(flag)] != 0; }

// Switches of the get-hbond option read here (the listing ones are read by
// the H-bond filter).
enum : int {
  HB_JMOL = 6, HB_PYMOL = 7, HB_RAY = 8, HB_CONVERT = 9, HB_OPEN = 10, HB_SESSION = 11,
  HB_RES_LABEL = 12, HB_HB_LABEL = 13
};

const char* donor_acceptor_word(char type) {
  switch (type) {
    case 'p': return "standard";
    case 'o': return "acceptable";
    case 'x': return "questionable";
    case '?': return "unknown";
    default: VASK_ASSERT(false && "unknown H-bond type");
  }
  return "";
}

const char* hbond_class_word(long status) {
  switch (status) {
    case 1: return "primary";
    case 2: return "secondary";
    case 4: return "recovered";
    case -1: return "unaccounted";
    default: return "";
  }
}

// Rank and word of a residue's class: nt, aa, water, ligand, misc.
int residue_rank(long k, const struct_mol& mol) {
  if (is_nt(k, mol)) return 0;
  if (is_aa(k, mol)) return 1;
  if (is_water(k, mol)) return 2;
  if (is_ligand(k, mol) || is_metal(k, mol)) return 3;
  return 4;
}

std::string residue_pair_text(long r1, long r2, const struct_mol& mol) {
  static const char* const words[] = {"nt", "aa", "water", "ligand", "misc"};
  int a = residue_rank(r1, mol), b = residue_rank(r2, mol);
  if (b < a) std::swap(a, b);
  return std::string(words[a]) + ":" + words[b];
}

std::vector<bond> listed_hbonds(const struct_mol& mol) {
  std::vector<bond> list;
  collect_clean_hbonds(mol, list, Gvars.get_hbond);
  return list;
}

void write_json_array(const struct_mol& mol, FILE* fp, bool unit_ids) {
  const long n = mol.num_json_hbonds;
  json_lNumber(fp, "num_hbonds", n);
  json_begin_array(fp, "hbonds");
  for (long k = 1; k <= n; ++k) {
    const bond& b = mol.json_hbonds[k];
    const atom& a1 = mol.atoms[b.atom1];
    const atom& a2 = mol.atoms[b.atom2];
    json_bareObject_start_with_idx(fp, k);
    json_lNumber(fp, "atom1_serNum", a1.serial);
    json_lNumber(fp, "atom2_serNum", a2.serial);
    json_string(fp, "donAcc_type", donor_acceptor_word(b.type));
    json_dNumber(fp, "distance", b.distance);
    json_string(fp, "atom1_id", a1.idstr);
    json_string(fp, "atom2_id", a2.idstr);
    if (unit_ids) {
      connect pair;
      pair.append(a1.residue);
      pair.append(a2.residue);
      json_abbIds_cnts(fp, "res", pair, mol);
    }
    json_string(fp, "atom_pair", get_atom_pair(a1, a2));
    json_string0(fp, "residue_pair", residue_pair_text(a1.residue, a2.residue, mol));
    json_bareObject_end_check_idx(fp, k, n);
  }
  json_end_array(fp);
}

}  // namespace

void json_hbonds(const struct_mol& mol, FILE* fp, bool unit_ids) {
  if (fp == nullptr || mol.num_json_hbonds <= 0) return;
  write_json_array(mol, fp, unit_ids);
}

void write_hbonds_fp(const std::vector<atom>& atoms, long n, const std::vector<bond>& hbonds, FILE* fp) {
  if (fp == nullptr) return;
  for (long k = 1; k <= n; ++k) {
    const bond& b = hbonds[k];
    const atom& a1 = atoms[b.atom1];
    const atom& a2 = atoms[b.atom2];
    const std::string pair = get_atom_pair(a1, a2);
    if (verbose1())
      std::fprintf(fp, "%5ld %5ld  #%-5ld %c %8.3f %8.3f %s %s %s %s\n", a1.serial, a2.serial, k, b.type,
                   b.distance, b.dvert, pair.c_str(), a1.idstr.c_str(), a2.idstr.c_str(),
                   hbond_class_word(b.status));
    else
      std::fprintf(fp, "%5ld %5ld  #%-5ld %c %8.3f %s %s %s\n", a1.serial, a2.serial, k, b.type, b.distance,
                   pair.c_str(), a1.idstr.c_str(), a2.idstr.c_str());
  }
}

void write_hbonds_file(const struct_mol& mol, const std::string& file) {
  if (Gvars.json) {
    if (mol.num_json_hbonds <= 0) return;
    scoped_file sf(output_file(file));
    std::fprintf(sf.get(), "{");
    write_json_array(mol, sf.get(), false);
    json_string0(sf.get(), "program", Gconsts.version);
    std::fprintf(sf.get(), "}\n");
    sf.close();
    return;
  }
  const std::vector<bond> list = listed_hbonds(mol);
  const long n = static_cast<long>(list.size()) - 1;
  runlog_msg("[i] -- %ld H-bonds identified\n", n);
  if (n <= 0) return;
  scoped_file sf(output_file(file));
  std::fprintf(sf.get(), "# H-bonds in '%s' identified by VASK\n", get_basename(mol.file_name).c_str());
  std::fprintf(sf.get(), "%ld\n", n);
  write_hbonds_fp(mol.atoms, n, list, sf.get());
  sf.close();
}

void write_hbonds_jmol(const struct_mol& mol, const std::string& file) {
  const std::vector<bond> list = listed_hbonds(mol);
  const long n = static_cast<long>(list.size()) - 1;
  const std::string structure = jmol_quoted(mol.file_name);
  scoped_file sf(output_file(file));
  FILE* fp = sf.get();
  std::fprintf(fp, "zap\n");
  std::fprintf(fp, "load %s\n\n", structure.c_str());
  std::fprintf(fp, "frank off\n");
  std::fprintf(fp, "wireframe 18\n");
  std::fprintf(fp, "cpk 0.11\n");
  std::fprintf(fp, "set labelfront\n\n");
  std::fprintf(fp, "select *.C1'\n");
  std::fprintf(fp, "cpk .18\n");
  std::fprintf(fp, "label %%c.%%n%%r\n");
  std::fprintf(fp, "set fontSize 12\n");
  std::fprintf(fp, "color label green\n\n");
  std::fprintf(fp, "set measurementUnits angstroms\n");
  std::fprintf(fp, "set measurementLabels %s\n", hb(HB_HB_LABEL) ? "on" : "off");
  std::fprintf(fp, "set showMeasurements true\n\n");
  std::fprintf(fp, "# %ld H-bonds\n", n);
  for (long k = 1; k <= n; ++k) {
    const atom& a1 = mol.atoms[list[k].atom1];
    const atom& a2 = mol.atoms[list[k].atom2];
    std::fprintf(fp, "measure %5ld %5ld #%-5ld %8.3f %s\n", a1.serial, a2.serial, k, list[k].distance,
                 pymol_comment_text(a1.idstr + " " + a2.idstr).c_str());
  }
  sf.close();
}

void write_hbonds_pymol(const struct_mol& mol, const std::string& file) {
  const std::vector<bond> list = listed_hbonds(mol);
  const long n = static_cast<long>(list.size()) - 1;
  const std::string structure = pymol_quoted(mol.file_name);
  const std::string base = basename_del_ext(mol.file_name);
  check_pymol_names(file, base, hb(HB_SESSION), hb(HB_RAY), hb(HB_CONVERT));
  scoped_file sf(output_file(file));
  FILE* fp = sf.get();
  std::fprintf(fp, "reinitialize\n");
  std::fprintf(fp, "load %s, whole_str\n\n", structure.c_str());
  std::fprintf(fp, "bg_color white\n\n");
  std::fprintf(fp, "set depth_cue, 0\n");
  std::fprintf(fp, "set ray_trace_fog, 0\n\n");
  std::fprintf(fp, "set label_size, 12\n");
  std::fprintf(fp, "set label_outline_color, black\n");
  std::fprintf(fp, "set label_color, black\n");
  std::fprintf(fp, "set label_position, [0, 0, 6]\n");
  std::fprintf(fp, "set label_distance_digits, 2\n\n");
  std::fprintf(fp, "select c1_prime, name C1'\n");
  std::fprintf(fp, "label c1_prime, \"%%s%%s\" %% (resn[-1], resi)\n\n");
  std::fprintf(fp, "select cA, name CA\n");
  std::fprintf(fp, "label cA, \"%%s%%s\" %% (resn, resi)\n\n");
  std::fprintf(fp, "# for images: antialias=1 smooths jagged edges, 0 turns it off\n");
  std::fprintf(fp, "set antialias, 1\n");
  std::fprintf(fp, "set spec_power, 200\n\n");
  std::fprintf(fp, "# stick_radius -- adjust thickness of atomic bonds\n");
  std::fprintf(fp, "set stick_radius, 0.12\n");
  std::fprintf(fp, "set sphere_scale, 0.16\n");
  std::fprintf(fp, "show sticks\n");
  std::fprintf(fp, "show spheres\n\n");
  std::fprintf(fp, "# for H-bonds\n");
  std::fprintf(fp, "set dash_color, black\n");
  std::fprintf(fp, "set dash_width, 1.0\n");
  std::fprintf(fp, "set dash_gap, 0.16\n\n");
  std::fprintf(fp, "util.cbaw\n");
  std::fprintf(fp, "hide everything, solvent\n");
  std::fprintf(fp, "hide everything, hydrogens\n\n");
  std::fprintf(fp, "set sphere_quality, 4\n");
  std::fprintf(fp, "set stick_quality, 16\n\n");
  if (!hb(HB_RES_LABEL)) std::fprintf(fp, "hide labels, c1_prime\n");
  std::fprintf(fp, "# %ld H-bonds\n", n);
  for (long k = 1; k <= n; ++k) {
    const atom& a1 = mol.atoms[list[k].atom1];
    const atom& a2 = mol.atoms[list[k].atom2];
    std::fprintf(fp, "    #%-5ld %8.3f %s\n", k, list[k].distance,
                 pymol_comment_text(a1.idstr + " " + a2.idstr).c_str());
    std::fprintf(fp, "distance h%ld, id %ld, id %ld\n", k, a1.serial, a2.serial);
  }
  if (!hb(HB_HB_LABEL)) std::fprintf(fp, "hide labels, h*\n");
  std::fprintf(fp, "\n");
  pymol_pse_ray_png(fp, base, hb(HB_SESSION), hb(HB_RAY));
  sf.close();
  run_pymol(file, base, hb(HB_CONVERT), false, hb(HB_OPEN), hb(HB_SESSION));
}

}  // namespace vask
