// The one-shot tasks of the main command.
#include "schematics/one_shot_tasks.hpp"

#include <cctype>
#include <string>
#include <unordered_map>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/plane.hpp"
#include "pairing/prepare.hpp"
#include "pairing/torsion.hpp"
#include "schematics/alchemy_schematic.hpp"
#include "schematics/block_schematic.hpp"
#include "schematics/cartoon_block.hpp"
#include "schematics/hbond_output.hpp"
#include "schematics/raster3d.hpp"
#include "schematics/residue_frame.hpp"
#include "schematics/task_selection.hpp"
#include "schematics/view_pmi.hpp"
#include "structure/atom.hpp"
#include "structure/chain.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/selection.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/frame_file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

enum class own_selection { none, chain, fragment, atom_name, record_kind };

// Selections: with --select words as well, both selections must agree.
void selection_task(struct_mol& mol, const std::string& output, own_selection kind) {
  set_all_atoms_bad_status(mol);
  const bool components = opts_with_switch_set(Gvars.select);
  if (components) select_components(mol);
  switch (kind) {
    case own_selection::chain: select_chains(mol.num_atoms, mol.atoms); break;
    case own_selection::fragment: select_fragments(mol); break;
    case own_selection::atom_name: extract_atoms(mol); break;
    case own_selection::record_kind:
      VASK_ASSERT(Gvars.select_xyz >= 1 && Gvars.select_xyz <= 3);
      for (long i = 1; i <= mol.num_atoms; ++i) {
        atom& a = mol.atoms[i];
        const bool wanted = a.hetatm ? (Gvars.select_xyz & 2) != 0 : (Gvars.select_xyz & 1) != 0;
        if (wanted) a.status += 1;
      }
      break;
    case own_selection::none: break;
  }
  if (components && kind != own_selection::none)
    for (long i = 1; i <= mol.num_atoms; ++i)
      if (mol.atoms[i].status < 2) mol.atoms[i].status = 0;
  handle_global_selections(mol);
  write_struct_mol(mol, output);
}

void set_residue_number(long k, long number, char icode, struct_mol& mol) {
  residue& r = mol.residues[k];
  r.res_seq = number;
  r.icode = icode;
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    mol.atoms[i].res_seq = number;
    mol.atoms[i].icode = icode;
  }
}

// A short structure (n < 0, fewer than 27 nucleotides) keeps -n as every
// nucleotide's number and tells them apart by insertion codes A, B, ...;
// otherwise each chain is numbered from n.
void renumber_residues(struct_mol& mol, const std::string& output) {
  const long n = Gvars.renum_residue;
  if (n < 0 && mol.num_nts < 27) {
    for (long k = 1; k <= mol.num_nts; ++k)
      set_residue_number(mol.nt_residue[k], -n, static_cast<char>('A' + k - 1), mol);
  } else {
    // every residue of a chain, its waters and ions too, in residue order
    std::unordered_map<std::string, long> next;
    for (long k = 1; k <= mol.num_residues; ++k) {
      auto it = next.try_emplace(mol.residues[k].key, n).first;
      set_residue_number(k, it->second++, ' ', mol);
    }
  }
  if (Gvars.renum_atom != 0) renumber_atom(mol);
  write_struct_mol(mol, output);
}

void write_bonds_file(const struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  FILE* fp = sf.get();
  std::fprintf(fp, "# covalent-bonds in '%s' identified by VASK\n", get_basename(mol.file_name).c_str());
  std::fprintf(fp, "%ld\n", mol.num_bonds);
  for (long k = 1; k <= mol.num_bonds; ++k) {
    const bond& b = mol.bonds[k];
    const atom& a1 = mol.atoms[b.atom1];
    const atom& a2 = mol.atoms[b.atom2];
    std::fprintf(fp, "%5ld %5ld #%-5ld %8.3f %s %s %s\n", a1.serial, a2.serial, k, b.distance,
                 get_atom_pair(a1, a2).c_str(), a1.idstr.c_str(), a2.idstr.c_str());
  }
  sf.close();
}

// One line of a residue's linked or contacting residues.
void write_residue_set_line(long k, const connect& set, const struct_mol& mol, FILE* fp) {
  for (long m = 1; m <= set.count; ++m) std::fprintf(fp, "%4ld ", set[m]);
  std::fprintf(fp, " # %ld [%ld] %s -- [", k, set.count, mol.residues[k].idstr.c_str());
  for (long m = 1; m <= set.count; ++m)
    std::fprintf(fp, "%s%s", m > 1 ? "+" : "", mol.residues[set[m]].idstr.c_str());
  std::fprintf(fp, "]\n");
}

void write_linkage_file(const struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].linked.count > 0) write_residue_set_line(k, mol.residues[k].linked, mol, sf.get());
  sf.close();
}

void write_cx_file(const struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    if (a.exposure == DBL_MAX) continue;
    std::fprintf(sf.get(), "%5ld %6.2f  %s\n", a.serial, a.exposure, a.idstr.c_str());
  }
  sf.close();
}

void write_top_view(struct_mol& mol, const std::string& output) {
  std::vector<long> nts = nts_in_chain_order(mol);
  const long n = static_cast<long>(nts.size()) - 1;
  if (n < 1) {
    runlog_msg("No nucleotides found in %s to set top view\n", mol.file_name.c_str());
    free_pdb_exit(mol);
  }
  frame f;
  get_nt_set_frame(mol, n, nts, f);
  write_mol_by_frame(&f, 0, mol, output);
}

// The rotation, position or matrix view: frame file, then the structure in that frame.
void write_view_frame(struct_mol& mol, frame f, const std::string& output) {
  if (f.residue == 1) ave_pdb_xyz(mol, f.org);  // rotation about the structure's centre
  write_frame_file0(f);
  write_mol_by_frame(&f, 0, mol, output);
}

void write_residue_numbers(const struct_mol& mol, const std::vector<long>& list, const char* what,
                           const std::string& file) {
  scoped_file sf(output_file(file));
  const long n = static_cast<long>(list.size()) - 1;
  std::fprintf(sf.get(), "%5ld  # number of %s in '%s'\n", n, what, mol.file_name.c_str());
  for (long k = 1; k <= n; ++k) std::fprintf(sf.get(), "%5ld  # %s\n", k, mol.residues[list[k]].idstr.c_str());
  sf.close();
}

std::vector<long> aas_in_chain_order(const struct_mol& mol) {
  std::vector<long> out(1, 0);
  std::vector<char> seen(static_cast<size_t>(mol.num_residues) + 1, 0);
  for (long c = 1; c <= mol.num_chains; ++c)
    for (long t = 1; t <= mol.chains[c].num_residues; ++t) {
      const long k = mol.chains[c].residues[t];
      if (is_aa(k, mol) && !seen[static_cast<size_t>(k)]) {
        seen[static_cast<size_t>(k)] = 1;
        out.push_back(k);
      }
    }
  for (long k = 1; k <= mol.num_residues; ++k)
    if (is_aa(k, mol) && !seen[static_cast<size_t>(k)]) out.push_back(k);
  return out;
}

void write_info_lists(const struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  FILE* fp = sf.get();
  const long bits = Gvars.info_list;
  if (bits & 1) {
    std::fprintf(fp, "\n# List of atoms\n");
    print_pdb_atoms(fp, mol);
  }
  if (bits & 2) {
    std::fprintf(fp, "\n# List of residues\n");
    print_pdb_residues(fp, mol, 1);
  }
  if (bits & 4) {
    std::fprintf(fp, "\n# List of chains\n");
    print_pdb_chains(fp, mol);
  }
  if (bits & 8) {
    std::fprintf(fp, "\n# List of frames\n");
    print_pdb_frames(fp, mol);
  }
  sf.close();
}

// Nucleotides and amino acids under their upper-case one-letter names, as ATOM records.
void write_simple_pdb(struct_mol& mol, const std::string& output) {
  // names as the program keeps them, not as read: the raw names are set to them
  for (long i = 1; i <= mol.num_atoms; ++i) {
    mol.atoms[i].raw_name = mol.atoms[i].name;
    mol.atoms[i].raw_res_name = mol.atoms[i].res_name;
  }
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_ntaa(k, mol)) continue;
    residue& r = mol.residues[k];
    // a modified nucleotide goes under its standard parent's letter
    const char code = is_nt(k, mol) && r.std_name.size() == 3 && r.std_name[0] == '_' ? r.std_name[2] : r.letter;
    const std::string name = std::string("  ") + static_cast<char>(std::toupper(static_cast<unsigned char>(code)));
    r.name = name;
    for (long i = r.first_atom; i <= r.last_atom; ++i) {
      mol.atoms[i].res_name = name;
      mol.atoms[i].raw_res_name = name;
      mol.atoms[i].hetatm = 0;
    }
  }
  write_struct_mol(mol, output);
}

[[noreturn]] void done(struct_mol& mol) { free_pdb_exit(mol); }

}  // namespace

void write_contact_file(const struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (is_water(k, mol)) continue;
    connect set;
    const connect& all = mol.residues[k].contacts;
    for (long m = 1; m <= all.count; ++m)
      if (!is_water(all[m], mol)) set.append(all[m]);
    if (set.count > 0) write_residue_set_line(k, set, mol, sf.get());
  }
  sf.close();
}

void check_op1_op2(struct_mol& mol, const std::string& file) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    const long p = find_atom_in_residue(" P  ", k, mol);
    const long o1 = find_atom_in_residue(" OP1", k, mol);
    const long o2 = find_atom_in_residue(" OP2", k, mol);
    const long o5 = find_atom_in_residue(" O5'", k, mol);
    if (p == -1 || o1 == -1 || o2 == -1 || o5 == -1) continue;
    if (!atoms_a_b_covalent_bond(p, o1, mol) || !atoms_a_b_covalent_bond(p, o2, mol) ||
        !atoms_a_b_covalent_bond(p, o5, mol))
      continue;
    const xyz& P = mol.atoms[p].xyz;
    const xyz& A = mol.atoms[o1].xyz;
    const xyz& B = mol.atoms[o2].xyz;
    const xyz& C = mol.atoms[o5].xyz;
    xyz a{}, b{}, c{};
    for (int d = 1; d <= 3; ++d) {
      a[d] = A[d] - B[d];
      b[d] = B[d] - C[d];
      c[d] = P[d] - (A[d] + B[d] + C[d]) / 3.0;
    }
    if (sign_control(a, b, c) >= 0) continue;
    runlog_msg("\tOP1/OP2 labeling of %s does not conform to convention\n", mol.residues[k].idstr.c_str());
    std::swap(mol.atoms[o1].name, mol.atoms[o2].name);
    std::swap(mol.atoms[o1].raw_name, mol.atoms[o2].raw_name);
  }
  write_struct_mol(mol, file);
}

void list_frames(struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  FILE* fp = sf.get();
  const long bits = Gvars.frame_list;
  if (bits & 1) {
    const std::vector<long> nts = nts_in_chain_order(mol);
    list_base_frames(mol, static_cast<long>(nts.size()) - 1, nts, fp);
  }
  if ((bits & 2) && fp != nullptr) {
    long n = 0;
    std::vector<pair> pairs = populate_base_pairs(mol, n);
    if (n > 0) tidyup_and_mark_pairs(n, pairs, mol);
    std::fprintf(fp, "# %ld pair frames\n", n);
    for (long k = 1; k <= n; ++k) {
      const pair& p = pairs[k];
      std::fprintf(fp, "%4ld %s %s %s\n", k, p.bp.c_str(), mol.residues[p.nt1].idstr.c_str(),
                   mol.residues[p.nt2].idstr.c_str());
      write_one_frame(fp, nullptr, p.frame);
    }
  }
  if (bits & 4) {
    const std::vector<long> aas = aas_in_chain_order(mol);
    list_sidechain_frames(mol, static_cast<long>(aas.size()) - 1, aas, fp);
  }
  sf.close();
}

namespace {

// One task: whether its option is set, and the task itself.
struct one_shot_task {
  bool (*wanted)();
  void (*run)(struct_mol& mol, const std::string& output);
};

using task_output = const std::string&;

// The task options in the order they are tested; the first one set wins.
const one_shot_task one_shot_tasks[] = {
    {[] { return !Gvars.list_chain.empty(); },
     [](struct_mol& mol, task_output out) { list_chains(Gvars.list_chain.c_str(), mol, out); }},
    {[] { return !Gvars.list_residue.empty(); },
     [](struct_mol& mol, task_output out) { list_residues(Gvars.list_residue.c_str(), mol, out.c_str()); }},
    {[] { return Gvars.order_residues != 0; }, [](struct_mol& mol, task_output out) { write_pdb_in_order(mol, out); }},
    {[] { return !Gvars.select_chain.empty(); },
     [](struct_mol& mol, task_output out) { selection_task(mol, out, own_selection::chain); }},
    {[] { return !Gvars.select_frag.empty(); },
     [](struct_mol& mol, task_output out) { selection_task(mol, out, own_selection::fragment); }},
    {[] { return !Gvars.select_atom.empty(); },
     [](struct_mol& mol, task_output out) { selection_task(mol, out, own_selection::atom_name); }},
    {[] { return Gvars.select_xyz != 0; },
     [](struct_mol& mol, task_output out) { selection_task(mol, out, own_selection::record_kind); }},
    {[] { return !primary_mol(); }, [](struct_mol& mol, task_output out) { write_selected_model(mol, out); }},
    {[] { return opts_with_switch_set(Gvars.select); },
     [](struct_mol& mol, task_output out) { selection_task(mol, out, own_selection::none); }},
    {[] { return Gvars.renum_residue != 0; }, [](struct_mol& mol, task_output out) { renumber_residues(mol, out); }},
    {[] { return Gvars.renum_atom != 0; },
     [](struct_mol& mol, task_output out) {
       renumber_atom(mol);
       write_struct_mol(mol, out);
     }},
    {[] { return Gvars.get_stack != 0; }, [](struct_mol& mol, task_output out) { write_stacks_list(mol, out); }},
    {[] { return Gvars.peptide_base != 0; },
     [](struct_mol& mol, task_output out) { write_peptide_base_stack_pair(mol, out); }},
    {[] { return Gvars.bonds_file != 0; }, [](struct_mol& mol, task_output out) { write_bonds_file(mol, out); }},
    {[] { return opts_with_switch_set(Gvars.alc_mol); },
     [](struct_mol& mol, task_output out) { write_pdb2alc_file(mol, out); }},
    {[] { return Gvars.linkage_file != 0; }, [](struct_mol& mol, task_output out) { write_linkage_file(mol, out); }},
    {[] { return Gvars.contacts_file != 0; }, [](struct_mol& mol, task_output out) { write_contact_file(mol, out); }},
    {[] { return Gvars.area_file != 0; },
     [](struct_mol& mol, task_output out) {
       get_area_per_pdb(mol);
       print_area(mol, out);
     }},
    {[] { return Gvars.cx_file != 0; }, [](struct_mol& mol, task_output out) { write_cx_file(mol, out); }},
    {[] { return Gvars.plane_file != 0; },
     [](struct_mol& mol, task_output out) { write_atom_in_plane(mol, out.c_str()); }},
    {[] { return Gvars.torsion_file != 0; },
     [](struct_mol& mol, task_output out) { print_nt_torsions(mol, out.c_str()); }},
    {[] { return Gvars.conn_file != 0; }, [](struct_mol& mol, task_output out) { write_pdb_connects(mol, out); }},
    {[] { return Gvars.topview_file != 0; }, [](struct_mol& mol, task_output out) { write_top_view(mol, out); }},
    {[] { return Gvars.get_hbond[6] != 0; }, [](struct_mol& mol, task_output out) { write_hbonds_jmol(mol, out); }},
    {[] { return Gvars.get_hbond[7] != 0; }, [](struct_mol& mol, task_output out) { write_hbonds_pymol(mol, out); }},
    {[] { return opts_with_switch_set(Gvars.get_hbond); },
     [](struct_mol& mol, task_output out) { write_hbonds_file(mol, out); }},
    {[] { return !Gvars.pair_list_out.empty(); },
     [](struct_mol& mol, task_output) { write_pair_file(mol, Gvars.pair_list_out); }},
    {[] { return Gvars.frame_list != 0; }, [](struct_mol& mol, task_output out) { list_frames(mol, out); }},
    {[] { return cartoon_opts_with_switch_set(Gvars.cartoon); },
     [](struct_mol& mol, task_output out) { cartoon_block_task(mol, out); }},
    {[] { return Gvars.frame_given != 0; }, [](struct_mol& mol, task_output out) { reset_coords_by_frame(mol, out); }},
    {[] { return Gvars.view != 0; }, [](struct_mol& mol, task_output out) { write_view_pmi_file(mol, out, Gvars.view); }},
    {[] { return Gvars.view_rot.rmsd > 0; },
     [](struct_mol& mol, task_output out) { write_view_frame(mol, Gvars.view_rot, out); }},
    {[] { return Gvars.view_pos.rmsd > 0; },
     [](struct_mol& mol, task_output out) { write_view_frame(mol, Gvars.view_pos, out); }},
    {[] { return Gvars.view_mat.rmsd > 0; },
     [](struct_mol& mol, task_output out) { write_view_frame(mol, Gvars.view_mat, out); }},
    {[] { return Gvars.view_align.rmsd > 0; },
     [](struct_mol& mol, task_output out) {
       write_frame_file0(Gvars.view_align);
       write_mol_by_align(Gvars.view_align, mol, out);
     }},
    {[] { return Gvars.r3d_frame != 0; }, [](struct_mol& mol, task_output out) { write_r3d_frames(mol, out); }},
    {[] { return opts_with_switch_set(Gvars.block_file); },
     [](struct_mol& mol, task_output out) { write_block_file(mol, out); }},
    {[] { return Gvars.atom_hbond_prop != 0; },
     [](struct_mol& mol, task_output out) { write_hbond_property(mol, out.c_str()); }},
    {[] { return Gvars.check_op != 0; }, [](struct_mol& mol, task_output out) { check_op1_op2(mol, out); }},
    {[] { return Gvars.info_nt != 0; },
     [](struct_mol& mol, task_output out) {
       write_residue_numbers(mol, nts_in_chain_order(mol), "nucleotides", out);
     }},
    {[] { return Gvars.info_aa != 0; },
     [](struct_mol& mol, task_output out) {
       write_residue_numbers(mol, aas_in_chain_order(mol), "amino acids", out);
     }},
    {[] { return Gvars.info_list != 0; }, [](struct_mol& mol, task_output out) { write_info_lists(mol, out); }},
    {[] { return Gvars.simple_pdb != 0; }, [](struct_mol& mol, task_output out) { write_simple_pdb(mol, out); }},
};

}  // namespace

void perform_single_task_exit(struct_mol& mol, const std::string& output) {
  for (const one_shot_task& task : one_shot_tasks) {
    if (!task.wanted()) continue;
    // a run that writes the pairs alone prepared only what pairs read
    complete_preparation(mol);
    task.run(mol, output);
    done(mol);
  }
}

}  // namespace vask
