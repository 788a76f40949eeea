// Settings record defaults and the constant tables: see settings.hpp.
#include "support/settings.hpp"

#include "support/file.hpp"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "support/log.hpp"
#include "support/timing.hpp"

namespace vask {

namespace {
gvars_rec settings;
gconsts_rec constants;
}  // namespace

const gvars_rec& Gvars = settings;
gvars_rec& mutable_gvars() { return settings; }
const gconsts_rec& Gconsts = constants;

bool opts_with_switch_set(const switch_set& s) {
  for (char c : s)
    if (c != 0) return true;
  return false;
}

bool cartoon_opts_with_switch_set(const switch_set& s) {
  for (size_t i = 3; i < s.size(); ++i)
    if (s[i] != 0) return true;
  return false;
}

bool with_block_face_or_edge() {
  return Gvars.block_file[BLK_FACE] || Gvars.block_file[BLK_EDGE];
}
bool r3d_fill_base() {
  return Gvars.block_file[BLK_FILL_UPPER] || Gvars.block_file[BLK_FILL_LOWER];
}
bool r3d_fill_sugar() { return Gvars.block_file[BLK_SUGAR]; }
bool r3d_hbond() { return Gvars.block_file[BLK_HBOND]; }
bool r3d_global_frame() {
  return Gvars.block_file[BLK_GLOBAL_FRAME] || Gvars.block_file[BLK_GLOBAL_FRAME_ONLY];
}
bool r3d_ref_frame() {
  const auto& bf = Gvars.block_file;
  return bf[BLK_FRAME_ORIGIN] || bf[BLK_FRAME_XY] || bf[BLK_FRAME_WHOLE];
}
bool r3d_items() { return r3d_fill_base() || r3d_fill_sugar() || r3d_hbond() || r3d_ref_frame(); }

bool chain_selection::selects(std::string_view chain_id) const {
  if (all) return true;
  std::string id(chain_id.substr(0, 4));
  id.resize(4, ' ');
  for (const auto& s : ids)
    if (s == id) return true;
  return false;
}

switch_set gvars_rec::make_loop_switches() {
  switch_set s{};
  s[4] = s[5] = s[6] = 1;  // summary, no repeated nucleotides, special loops
  return s;
}

switch_set gvars_rec::make_g4_switches() {
  switch_set s{};
  s[0] = 1;  // G-tetrads may sit inside a helix
  return s;
}

block_color_table default_block_colors() {
  block_color_table t{};  // slots 27..63 start at 0
  const rgb_t grey66{0.66, 0.66, 0.66}, side{0.36, 0.36, 0.36}, unset{-1, -1, -1};
  t[COLOR_OTHER] = grey66;
  t[COLOR_A] = {1, 0, 0};
  t[COLOR_C] = {1, 1, 0};
  t[COLOR_G] = {0, 1, 0};
  t[COLOR_T] = {0, 0, 1};
  t[COLOR_U] = {0, 1, 1};
  t[COLOR_P] = grey66;
  t[COLOR_GC] = {0, 1, 0};
  t[COLOR_AT] = {1, 0, 0};
  t[COLOR_GU] = {0, 1, 1};
  t[COLOR_GTETRAD] = {0, 1, 0};
  t[COLOR_EDGE] = {0.1, 0.1, 0.1};
  for (int i = COLOR_MINOR; i <= COLOR_LEFT; ++i) t[i] = side;
  t[COLOR_SYN] = {0, 0.5, 0.5};
  t[COLOR_PEPTIDE] = {0.9, 0.9, 0.9};
  t[COLOR_SIDECHAIN] = {0.5, 0, 0.5};
  t[COLOR_HBOND] = {1, 0, 1};
  t[COLOR_FILL_UPPER] = unset;
  t[COLOR_FILL_LOWER] = unset;
  t[COLOR_FRAME] = unset;
  t[COLOR_C2ENDO] = {0.3, 0.3, 0.3};
  t[COLOR_C3ENDO] = {0.8, 0.8, 0.8};
  return t;
}

namespace {
std::string lower_base_name(const char* path) {
  std::string s = path != nullptr ? path : "";
  size_t slash = s.find_last_of('/');
  if (slash != std::string::npos) s.erase(0, slash + 1);
  size_t dot = s.find_last_of('.');
  if (dot != std::string::npos && dot > 0) s.erase(dot);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

void set_globals(const char* program_path) {
  settings = gvars_rec{};  // every default, as declared
  forget_made_files();  // a new run lists only the files it makes
  forget_data_file_reads();
  settings.start_clock = static_cast<long>(std::clock());
  settings.start_timestamp = get_timestamp();
  settings.program_path = program_path != nullptr ? program_path : "";
  settings.program_name = lower_base_name(program_path);
  settings.help_file = settings.program_name.substr(0, 256) + ".txt";
  VERBOSITY = 0;
  RUNLOG = stderr;
  PRGLOG = nullptr;
  set_Gconsts();
}

void set_Gconsts() {
  constants = gconsts_rec{};
  constants.ring_atoms = {"", " C4 ", " N3 ", " C2 ", " N1 ", " C6 ",
                        " C5 ", " N7 ", " C8 ", " N9 "};
  constants.aa_names = {"",    "ALA", "VAL", "PHE", "PRO", "MET", "ILE", "LEU", "ASP", "GLU", "LYS",
                      "ARG", "SER", "THR", "TYR", "HIS", "CYS", "ASN", "GLN", "TRP", "GLY"};
  constants.base_atoms = {"",     " N1 ", " C2 ", " N3 ", " C4 ", " C5 ", " C6 ", " N7 ", " C8 ",
                        " N9 ", " N6 ", " O2 ", " O4 ", " C7 ", " N2 ", " O6 ", " N4 "};
  constants.bb_atoms = {"",     " P  ", " OP1", " OP2", " O5'", " C5'", " C4'",
                      " O4'", " C3'", " O3'", " C2'", " O2'", " C1'"};
  constants.num_aa = 20;
  constants.num_base_atoms = 16;
  constants.num_bb_atoms = 12;
  constants.version = std::string("belqo-vask v") + VASK_VERSION;
  constants.banner = "belqo-vask: dissects the nucleic acids of 3D structures (PDB/mmCIF)\n"
                   "version " VASK_VERSION "\n";
}

}  // namespace vask
