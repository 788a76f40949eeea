// The task sub-command (utility tasks) and the one-shot tasks of the main command.
#include "schematics/one_shot_tasks.hpp"

#include "pairing/area.hpp"
#include "pairing/plane.hpp"
#include "schematics/alchemy_schematic.hpp"
#include "schematics/block_schematic.hpp"
#include "schematics/cartoon_block.hpp"
#include "schematics/raster3d.hpp"
#include "schematics/residue_frame.hpp"
#include "schematics/view_pmi.hpp"
#include "structure/pdb_output.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"

namespace vask {

namespace {

// One-shot tasks whose producers are not built yet: the run says so on the run
// log instead of quietly giving the normal report in their place.
void warn_unbuilt_tasks() {
  const struct {
    bool set;
    const char* what;
  } unbuilt[] = {
      {!Gvars.list_chain.empty(), "--list-chain"},
      {!Gvars.list_residue.empty(), "--list-residue"},
      {!Gvars.select_chain.empty() || !Gvars.select_frag.empty() ||
           !Gvars.select_atom.empty() || Gvars.select_xyz != 0 ||
           opts_with_switch_set(Gvars.select),
       "--select"},
      {Gvars.renum_residue != 0 || Gvars.renum_atom != 0, "--renum"},
      {Gvars.bonds_file != 0, "--bonds-file"},
      {Gvars.linkage_file != 0, "--linkage-file"},
      {Gvars.contacts_file != 0, "--contacts-file"},
      {Gvars.cx_file != 0, "--cx-file"},
      {Gvars.plane_file != 0, "--plane-file"},
      {Gvars.torsion_file != 0, "--torsion-file"},
      {Gvars.topview_file != 0, "--top-view-file"},
      {opts_with_switch_set(Gvars.get_hbond), "--get-hbond"},
      {Gvars.frame_list != 0, "--frame-file"},
      {Gvars.view_rot.rmsd > 0 || Gvars.view_pos.rmsd > 0 || Gvars.view_mat.rmsd > 0 ||
           Gvars.view_align.rmsd > 0,
       "--view-rot/--view-pos/--view-mat/--view-align"},
  };
  for (const auto& u : unbuilt)
    if (u.set) runlog_msg("[w] the one-shot task of option %s is not available yet -- ignored\n", u.what);
}

}  // namespace

// The task options are tested in a fixed order; the first one set wins.
void perform_single_task_exit(struct_mol& mol, const std::string& output) {
  warn_unbuilt_tasks();
  if (Gvars.get_stack) {
    write_stacks_list(mol, output);
    free_pdb_exit(mol);
  }
  if (Gvars.peptide_base) {
    write_peptide_base_stack_pair(mol, output);
    free_pdb_exit(mol);
  }
  if (opts_with_switch_set(Gvars.alc_mol)) {
    write_pdb2alc_file(mol, output);
    free_pdb_exit(mol);
  }
  if (Gvars.area_file) {
    get_area_per_pdb(mol);
    print_area(mol, output);
    free_pdb_exit(mol);
  }
  if (Gvars.conn_file) {
    write_pdb_connects(mol, output);
    free_pdb_exit(mol);
  }
  if (cartoon_opts_with_switch_set(Gvars.cartoon)) {
    cartoon_block_task(mol, output);
    free_pdb_exit(mol);
  }
  if (Gvars.frame_given) {
    reset_coords_by_frame(mol, output);
    free_pdb_exit(mol);
  }
  if (Gvars.view != 0) {
    write_view_pmi_file(mol, output, Gvars.view);
    free_pdb_exit(mol);
  }
  if (Gvars.r3d_frame != 0) {
    write_r3d_frames(mol, output);
    free_pdb_exit(mol);
  }
  if (opts_with_switch_set(Gvars.block_file)) {
    write_block_file(mol, output);
    free_pdb_exit(mol);
  }
}

// Until the sub-command is built, a call says so and fails.
void run_utilities_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'task' sub-command is not available yet\n");
  end_run(1);
}

void module_tasks_help_exit(int status) {
  runlog_msg("[i] help for the 'task' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
