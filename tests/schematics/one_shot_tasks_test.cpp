#include "pairing/prepare.hpp"
#include "schematics/one_shot_tasks.hpp"
#include "structure/struct_mol.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

namespace vask {

// A one-shot task that is not built yet is named on the run log, so the user
// is not left thinking the normal report is what was asked for.
TEST(perform_single_task_exit, UnbuiltTaskOptionIsReported) {
  set_globals("belqo-vask");
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  {
    test::log_capture log;
    perform_single_task_exit(mol, "stdout");  // no task option: returns quietly
    EXPECT_EQ(log.text(), "");
  }
  Gvars.get_hbond[0] = 1;
  Gvars.torsion_file = 1;
  test::log_capture log;
  perform_single_task_exit(mol, "stdout");
  EXPECT_NE(log.text().find("[w] the one-shot task of option --torsion-file is not available yet"),
            std::string::npos);
  EXPECT_NE(log.text().find("[w] the one-shot task of option --get-hbond is not available yet"),
            std::string::npos);
  set_globals("belqo-vask");
}

}  // namespace vask
