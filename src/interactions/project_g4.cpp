// Survey analyses of G-quadruplexes: G4 stem and helix steps, G-tetrad
// counts and G..G..G pairs without tetrads.
#include "interactions/project.hpp"
#include "support/log.hpp"

namespace vask {

namespace {

// The G-tetrad and G4 helix finders have not landed: say so.
void g4_not_available(const char* what) {
  runlog_msg("[i] %s: the G-quadruplex analyses are not available yet\n", what);
}

}  // namespace

void extract_G4stem_features(const project_settings&) { g4_not_available("G4 stems"); }
void extract_G4helix_xstem_features(const project_settings&) { g4_not_available("G4 helices"); }
void do_G4s(const project_settings&) { g4_not_available("G-tetrads"); }
void check_G4_pairs(const project_settings&) { g4_not_available("G..G..G pairs"); }

}  // namespace vask
