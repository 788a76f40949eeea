// PyMOL cartoon-block scripts.
#include "schematics/cartoon_block.hpp"

#include <algorithm>
#include <array>

#include "pairing/prepare.hpp"
#include "schematics/block_schematic.hpp"
#include "schematics/pymol_image.hpp"
#include "schematics/view_pmi.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/script_quote.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// Chain colours: proteins take them from the end, nucleic acids from the start.
constexpr std::array<const char*, 12> kPalette = {"red",  "green",   "blue", "yellow", "cyan", "salmon",
                                                  "slate", "magenta", "pink", "brown",  "teal", "purpleblue"};

bool ctn(int flag) { return Gvars.cartoon[static_cast<size_t>(flag)] != 0; }

// Chains with amino acids (protein) or nucleotides, at most n of them, in order.
std::vector<long> chains_with(const struct_mol& mol, bool protein) {
  std::vector<long> list;
  for (long c = 1; c <= mol.num_chains; ++c)
    if (protein ? mol.chains[c].num_aas > 0 : mol.chains[c].num_nts > 0) list.push_back(c);
  return list;
}

// The number of chains drawn: one model's worth unless objects per model are asked.
size_t chains_taken(size_t total, const struct_mol& mol, bool exact_only) {
  if (ctn(CTN_SYMMETRY) || mol.num_models < 2) return total;
  const size_t models = static_cast<size_t>(mol.num_models);
  if (exact_only && total % models != 0) return total;
  return total / models;
}

// A chain id or residue name goes into the script as it stands: one that
// PyMOL could read as more than a name is left out, with a warning.
bool script_word(const std::string& word, const char* what) {
  const std::string w = trimmed(word);
  if (w.empty() || is_plain_selection_word(w)) return true;
  runlog_msg("[w] %s '%s' cannot be named in a PyMOL script: left out of it\n", what, printable_text(w).c_str());
  return false;
}

std::vector<std::string> script_words(const std::vector<std::string>& words, const char* what) {
  std::vector<std::string> kept;
  for (const std::string& w : words)
    if (script_word(w, what)) kept.push_back(w);
  return kept;
}

// One cartoon object per chain: created, coloured, made transparent, shown.
void write_chain_objects(const struct_mol& mol, bool protein, FILE* fp) {
  const std::vector<long> list = chains_with(mol, protein);
  const size_t n = chains_taken(list.size(), mol, !protein);
  const bool per_model = ctn(CTN_SYMMETRY) && mol.num_models > 1;
  const char* prefix = protein ? "aa" : "na";
  for (size_t k = 0; k < n; ++k) {
    const chain& c = mol.chains[list[k]];
    const std::string id = trimmed(c.chain_id);
    if (!script_word(id, "chain")) continue;
    std::string name;
    if (per_model) {
      name = sformat("%s%ld_%s", prefix, c.model, id.empty() ? "BLANK" : id.c_str());
      std::fprintf(fp, "create %s, chain %s, %ld\n", name.c_str(), id.empty() ? "\"\"" : id.c_str(), c.model);
    } else if (id.empty()) {
      name = sformat("%s_%s", prefix, "BLANK");
      std::fprintf(fp, "create %s, chain \"\"\n", name.c_str());
    } else {
      name = sformat("%s_%s", prefix, id.c_str());
      std::fprintf(fp, "create %s, chain %s\n", name.c_str(), id.c_str());
    }
    if (protein) {
      std::fprintf(fp, "set cartoon_color,");
      std::fprintf(fp, " %s, %s\n", kPalette[11 - k % 12], name.c_str());
      if (Gvars.protein_transp > 0) std::fprintf(fp, "set cartoon_transparency, %g, %s\n", Gvars.protein_transp, name.c_str());
      if (ctn(CTN_HIDE_PROTEIN)) std::fprintf(fp, "# ");
    } else {
      std::fprintf(fp, "set cartoon_nucleic_acid_color,");
      std::fprintf(fp, " %s, %s\n", Gvars.cartoon_color.empty() ? kPalette[k % 12] : Gvars.cartoon_color.c_str(),
                   name.c_str());
      if (Gvars.cartoon_transp > 0) std::fprintf(fp, "set cartoon_transparency, %g, %s\n", Gvars.cartoon_transp, name.c_str());
      if (ctn(CTN_HIDE_NA)) std::fprintf(fp, "# ");
    }
    std::fprintf(fp, "show cartoon, %s\n\n", name.c_str());
  }
}

void write_protein_as_one(const struct_mol& mol, FILE* fp) {
  std::vector<std::string> ids;
  for (long c : chains_with(mol, true)) {
    const std::string id = mol.chains[c].chain_id;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  std::fprintf(fp, "\ncreate protein, chain ");
  write_strVec_word(script_words(ids, "chain"), fp);
  std::fprintf(fp, "set cartoon_color, %s, protein\n", Gvars.protein_color.c_str());
  std::fprintf(fp, "set cartoon_transparency, %g, protein\n", Gvars.protein_transp);
  if (ctn(CTN_HIDE_PROTEIN)) std::fprintf(fp, "# ");
  std::fprintf(fp, "show cartoon, protein\n");
}

void write_ligands_metals(const struct_mol& mol, FILE* fp) {
  std::vector<std::string> names;
  bool non_nt = false;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_ligand(k, mol)) continue;
    non_nt = non_nt || !is_nt(k, mol);
    const std::string name = trimmed(mol.residues[k].name);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  if (!names.empty()) {
    if (ctn(CTN_ORGANIC) && non_nt) {
      std::fprintf(fp, "\nselect ligands, organic\n");
      std::fprintf(fp, "show sticks, ligands\nshow spheres, ligands\n");
      std::fprintf(fp, "set stick_radius = 0.2, ligands\nset sphere_scale, 0.32, ligands\n");
    } else if (ctn(CTN_LIGAND)) {
      std::fprintf(fp, "\nselect ligands, resn ");
      write_strVec_word(script_words(names, "residue name"), fp);
    }
  }
  if (mol.num_metals > 0 && ctn(CTN_METAL))
    std::fprintf(fp, "\nshow sphere, metals\nset sphere_scale, 0.4, metals\n\n");
  else
    std::fprintf(fp, "\n");
}

void write_display_settings(const struct_mol& mol, FILE* fp) {
  if (ctn(CTN_STICK_BALL))
    std::fprintf(fp, "set stick_radius, 0.1\nset sphere_scale, 0.12\nshow sticks, whole_str\nshow spheres, whole_str\n");
  if (ctn(CTN_LINE)) std::fprintf(fp, "show lines, whole_str\n");
  if (ctn(CTN_LIGAND) && mol.num_ligands > 0)
    std::fprintf(fp, "show sticks, ligands\nshow spheres, ligands\nset stick_radius, 0.1, ligands\n"
                     "set sphere_scale, 0.25, ligands\n\n");
  if (ctn(CTN_ORIENT)) std::fprintf(fp, "orient\nturn z, -90\n\n");
  if (ctn(CTN_TURNED)) std::fprintf(fp, "turn z, 90\n\n");
  if (ctn(CTN_NT_LABEL)) {
    std::fprintf(fp, "select C1_prime, name C1'\nset label_position, [0, 0, 6]\n");
    std::fprintf(fp, "label C1_prime, '%%s%%s' %% (resn, resi)\n\n");
  }
  if (ctn(CTN_AA_LABEL)) {
    std::fprintf(fp, "select CApro, name CA and not metal\nset label_position, [0, 0, 6]\n");
    std::fprintf(fp, "label CApro, '%%s%%s' %% (resn, resi)\n\n");
  }
  if (ctn(CTN_C1_LABEL))
    std::fprintf(fp, "select C3_prime, name C3'\nshow sphere, C3_prime\nset sphere_scale, 0.2, C3_prime\n"
                     "color gray90, C3_prime\n\n");
  std::fprintf(fp, "set cartoon_ladder_mode, 1\nset cartoon_ladder_radius, 0.1\nset cartoon_ladder_color, black\n\n");
  std::fprintf(fp, "set cartoon_tube_radius, 0.16889\nset cartoon_nucleic_acid_mode, 1\n\n");
  std::fprintf(fp, "bg_color %s\n", ctn(CTN_BLACK_BG) ? "black" : "white");
  std::fprintf(fp, "remove solvent\nhide everything, hydro\n\n");
  std::fprintf(fp, "util.cbaw\nset sphere_quality, 4\nset stick_quality, 16\n\n");
  std::fprintf(fp, "set depth_cue, 0\nset ray_trace_fog, 0\n\n");
  std::fprintf(fp, "set ray_shadow, off\nset orthoscopic, 1\n\n");
  std::fprintf(fp, "set antialias, 1\nset valence, 0\n\n");
  std::fprintf(fp, "set ambient, 0.68\nset reflect, 0\nset direct, 0.6\nset spec_direct, 0\nset light_count, 1\n\n");
}

}  // namespace

void write_strVec_word(const std::vector<std::string>& words, FILE* fp) {
  for (size_t k = 0; k < words.size(); ++k)
    std::fprintf(fp, k + 1 < words.size() ? "%s+" : "%s", k + 1 < words.size() ? trimmed(words[k]).c_str() : words[k].c_str());
  std::fprintf(fp, "\n");
}

std::string check_bestview_for_cartoon_block(struct_mol& mol) {
  std::string file = mol.file_name;
  if (!ctn(CTN_BEST_VIEW)) return file;
  const long view = !ctn(CTN_NA_ONLY) && Gvars.view != 0 ? Gvars.view : 1;
  file = sformat("%.*s-bestview.%s", 256, mol.base_name.c_str(), Gvars.output_format == 2 ? "cif" : "pdb");
  write_view_pmi_file(mol, file, view);
  if (ctn(CTN_NA_ONLY)) {
    struct_mol turned;
    read_pdb(file, turned);
    for (long a = 1; a <= turned.num_atoms; ++a)
      if (!is_nt(turned.atoms[a].residue, turned)) turned.atoms[a].status = 0;
    file = sformat("%s-ntview.pdb", Gvars.prefix.c_str());
    write_struct_mol(turned, file, true);
  }
  const std::string base = mol.base_name;
  struct_mol fresh;
  read_pdb(file, fresh);
  mol = std::move(fresh);
  mol.base_name = base;  // images and the block file keep the structure's name
  return file;
}

void write_cartoon_block_file(struct_mol& mol, const std::string& structure_file, const std::string& script_file,
                              const std::string& base) {
  const std::string block = base + ".r3d";
  // the names are checked before the script is begun
  const std::string structure_name = pymol_quoted(structure_file), block_name = pymol_quoted(block);
  check_pymol_names(script_file, base, ctn(CTN_SESSION), ctn(CTN_RAY_PNG), ctn(CTN_RUN_PYMOL));
  const bool g4_trace = write_block_file(mol, block);
  const std::string trace_name = g4_trace ? pymol_quoted(g4_trace_file_name()) : "";
  scoped_file out(output_file(script_file));
  FILE* fp = out.get();
  std::fprintf(fp, "reinitialize\n\n");
  if (mol.model_mode > 3) std::fprintf(fp, "set all_states, on\n");
  if (ctn(CTN_BLOCKS_ONLY)) {
    std::fprintf(fp, "load %s, block\n\n", block_name.c_str());
  } else {
    std::fprintf(fp, "load %s, whole_str\n", structure_name.c_str());
    std::fprintf(fp, "hide everything, whole_str\n");
    if (ctn(CTN_HIDE)) {
      std::fprintf(fp, "# show cartoon, whole_str\n\n");
    } else {
      if (mol.num_aas > 0) {
        if (ctn(CTN_PROTEIN))
          write_chain_objects(mol, true, fp);
        else
          write_protein_as_one(mol, fp);
      }
      if (mol.num_na_chains > 0) write_chain_objects(mol, false, fp);
    }
    write_ligands_metals(mol, fp);
    std::fprintf(fp, "load %s, block\n\n", block_name.c_str());
  }
  // only the trace of this structure: one an earlier run left under the name
  // belongs to another model
  if (g4_trace) {
    std::fprintf(fp, "load %s, G4lkg\n\n", trace_name.c_str());
    std::fprintf(fp, "hide everything, G4lkg\nset stick_radius, 0.12, G4lkg\nset stick_color, gray, G4lkg\n"
                     "set stick_transparency, 0.3, G4lkg\nshow sticks, G4lkg\n\n");
    std::fprintf(fp, "select G4lkg_points, G4lkg and name C1'\nset sphere_color, white, G4lkg_points\n"
                     "set sphere_scale, 0.18, G4lkg_points\nshow spheres, G4lkg_points\n\n");
  }
  write_display_settings(mol, fp);
  if (Gvars.block_file[BLK_NO_CARTOON]) std::fprintf(fp, "hide cartoon\n\n");
  pymol_pse_ray_png(fp, base, ctn(CTN_SESSION), ctn(CTN_RAY_PNG));
  out.close();
  run_pymol(script_file, base, ctn(CTN_RUN_PYMOL), ctn(CTN_BLACK_BG), ctn(CTN_OPEN_IMAGE), ctn(CTN_SESSION));
  if (!ctn(CTN_PERSPECTIVE) || is_pseudo_file(script_file)) return;
  const struct {
    const char* view;
    const char* turn;
  } sides[] = {{"left", "turn y, 90"},
               {"right", "turn y, -90"},
               {"top", "turn x, 90"},
               {"bottom", "turn x, -90"},
               {"back", "turn y, 180"}};
  for (const auto& s : sides) {
    const std::string name = std::string(s.view) + ".pml";
    get_new_perspective(script_file, name, s.view, s.turn);
    // the views save no session: their "save" line is a comment
    run_pymol(name, s.view, ctn(CTN_RUN_PYMOL), ctn(CTN_BLACK_BG), ctn(CTN_OPEN_IMAGE), false, false);
  }
}

void get_new_perspective(const std::string& script, const std::string& new_script, const std::string& view,
                         const std::string& turn) {
  const std::vector<std::string> lines = get_filelines(script);
  scoped_file out(create_file(new_script));
  FILE* fp = out.get();
  for (const std::string& line : lines) {
    if (line.find("png ") != std::string::npos) {
      std::fprintf(fp, "png %s-pymol.png\n", view.c_str());
      continue;
    }
    if (line.find("save ") != std::string::npos) {
      std::fprintf(fp, "# %s\n", pymol_comment_text(line).c_str());
      continue;
    }
    std::fprintf(fp, "%s\n", line.c_str());
    if (line.find("hide everything, whole_str") != std::string::npos) std::fprintf(fp, "%s\n", turn.c_str());
  }
  out.close();
}

void cartoon_block_task(struct_mol& mol, const std::string& script_file) {
  const std::string structure_file = check_bestview_for_cartoon_block(mol);
  write_cartoon_block_file(mol, structure_file, script_file, mol.base_name);
}

}  // namespace vask
