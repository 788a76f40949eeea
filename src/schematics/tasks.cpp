// The task sub-command (utility tasks) and the one-shot tasks of the main command.
#include "schematics/tasks.hpp"

#include "driver/option.hpp"
#include "pairing/area.hpp"
#include "pairing/plane.hpp"
#include "structure/pdb.hpp"
#include "support/cii.hpp"
#include "support/utility.hpp"

namespace vask {

// The task options are tested in a fixed order; the first one set wins.
void perform_single_task_exit(struct_mol& mol, const std::string& output) {
  if (Gvars.get_stack) {
    write_stacks_list(mol, output);
    free_pdb_exit(mol);
  }
  if (Gvars.peptide_base) {
    write_peptide_base_stack_pair(mol, output);
    free_pdb_exit(mol);
  }
  if (Gvars.area_file) {
    get_area_per_pdb(mol);
    print_area(mol, output);
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
