// Atom selections of the one-shot tasks.
#include "schematics/task_selection.hpp"

#include <algorithm>

#include "pairing/prepare.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/selection.hpp"
#include "structure/pdb_output.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// The --select switches, by position.
enum : int {
  SEL_ALL = 0, SEL_NT = 1, SEL_DNA = 2, SEL_RNA = 3, SEL_BASE_ONLY = 4, SEL_BASE = 5, SEL_SUGAR = 6,
  SEL_PHOSPHATE = 7, SEL_PROTEIN = 8, SEL_BACKBONE = 9, SEL_WATER = 10, SEL_METAL = 11, SEL_LIGAND = 12
};

bool sel(int k) { return Gvars.select[static_cast<size_t>(k)] != 0; }

bool whole_residue_wanted(long k, const struct_mol& mol) {
  return sel(SEL_ALL) || (sel(SEL_NT) && is_nt(k, mol)) || (sel(SEL_DNA) && is_DNA_nt(k, mol)) ||
         (sel(SEL_RNA) && is_RNA_nt(k, mol)) || (sel(SEL_PROTEIN) && is_aa(k, mol)) ||
         (sel(SEL_WATER) && is_water(k, mol)) || (sel(SEL_METAL) && is_metal(k, mol)) ||
         (sel(SEL_LIGAND) && is_ligand(k, mol));
}

bool nt_part_wanted(const atom& a) {
  if (sel(SEL_BASE_ONLY) && a.base) return true;
  if (sel(SEL_BASE) && (a.base || a.name == " C1'")) return true;
  if (sel(SEL_SUGAR) && a.sugar) return true;
  return sel(SEL_PHOSPHATE) && (a.name == " P  " || a.name == " OP1" || a.name == " OP2");
}

bool other_word_than_backbone() {
  for (int k = 0; k < 128; ++k)
    if (k != SEL_BACKBONE && Gvars.select[static_cast<size_t>(k)]) return true;
  return false;
}

}  // namespace

void select_components(struct_mol& mol) {
  // one vote at most per atom, so that a second selection still has to agree
  std::vector<char> picked(static_cast<size_t>(mol.num_atoms) + 1, 0);
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    const bool whole = whole_residue_wanted(k, mol);
    const bool nt = is_nt(k, mol);
    for (long i = r.first_atom; i <= r.last_atom; ++i)
      if (whole || (nt && nt_part_wanted(mol.atoms[i]))) picked[static_cast<size_t>(i)] = 1;
  }
  if (sel(SEL_BACKBONE)) {
    const bool alone = !other_word_than_backbone();
    for (long k = 1; k <= mol.num_residues; ++k) {
      if (!is_ntaa(k, mol)) continue;
      const residue& r = mol.residues[k];
      for (long i = r.first_atom; i <= r.last_atom; ++i) {
        const atom& a = mol.atoms[i];
        const bool bb = a.backbone || a.mainchain;
        char& p = picked[static_cast<size_t>(i)];
        p = alone ? bb : (p && bb);
      }
    }
  }
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (picked[static_cast<size_t>(i)]) mol.atoms[i].status += 1;
}

void select_chains(long n, std::vector<atom>& atoms) {
  std::vector<std::string> ids;
  std::string text = Gvars.select_chain, word;
  for (char c : text + " ") {
    if (c == ' ' || c == '\t' || std::string_view("|/;,.:").find(c) != std::string_view::npos) {
      if (!word.empty()) ids.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  for (const std::string& id : ids) {
    if (id.size() > 4) {
      runlog_msg("[i] skipping invalid chain: '%s' (> 4 chars)\n", id.c_str());
      continue;
    }
    const std::string want = id == "_" ? "" : id;
    bool found = false;
    for (long i = 1; i <= n; ++i) {
      if (trimmed(atoms[i].chain_id) != want) continue;
      atoms[i].status += 1;
      found = true;
    }
    if (!found) runlog_msg("[i] cannot find chain: '%s'\n", id.c_str());
  }
}

void write_selected_model(struct_mol& mol, const std::string& file) {
  if (mol.num_models <= 1 && Gvars.select_model == 1 &&
      std::find(mol.models.begin() + 1, mol.models.end(), 1L) == mol.models.end()) {
    runlog_msg("[i] %s has no model#1; select the whole file.\n", mol.file_name.c_str());
  } else if (mol.num_models != 1 || mol.models[1] != Gvars.select_model) {
    const std::string name = mol.file_name;
    free_struct_mol(mol);
    read_pdb_model(name, mol, Gvars.select_model);
  }
  if (opts_with_switch_set(Gvars.select)) {
    set_all_atoms_bad_status(mol);
    select_components(mol);
  }
  handle_global_selections(mol);
  write_struct_mol(mol, file);
}

}  // namespace vask
