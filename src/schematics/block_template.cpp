// Block templates: built-in boxes, data-folder and user template files, the
// placement of a template through a frame, and the "refCoords" JSON object.
#include "schematics/block_template.hpp"

#include <array>
#include <cctype>
#include <iterator>
#include <string_view>

#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/pattern_matcher.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

enum class block_kind { r, y, m, bp, g4 };

struct box_extent {
  double xmin, xmax, ymin, ymax;
};

// Base, pair and tetrad boxes (Angstrom, in the frame of the base, pair or
// tetrad), each as regular and slim; z = +-0.25 for all of them.
struct kind_row {
  block_kind kind;
  const char* file_word;  // in "rect_block_%s%s.alc"
  box_extent regular, slim;
};
constexpr kind_row kKinds[] = {
    {block_kind::r, "r", {-2.25, 2.25, 0.5, 5.0}, {-2.25, 1.25, -1.0, 5.0}},
    {block_kind::y, "y", {-2.25, 2.25, 2.0, 5.0}, {-2.25, 1.25, 1.0, 5.0}},
    {block_kind::m, "m", {-2.25, 2.25, 0.0, 5.0}, {-2.25, 1.25, 0.0, 5.0}},
    {block_kind::bp, "bp", {-2.25, 2.25, -5.0, 5.0}, {-2.25, 1.25, -5.0, 5.0}},
    {block_kind::g4, "g4", {-5.8, 5.8, -5.8, 5.8}, {-4.8, 4.8, -4.8, 4.8}},
};
constexpr double kBaseHalfThickness = 0.25;

// Planar side-chain boxes in the side-chain frame (Angstrom; z = +-0.15).
struct aa_row {
  const char* name;
  box_extent box;
};
constexpr aa_row kSideChains[] = {
    {"arg", {-1.2, 1.2, -2.2, 0.7}}, {"asn", {-1.2, 1.2, -1.6, 0.7}},
    {"asp", {-1.2, 1.2, -1.6, 0.7}}, {"gln", {-1.2, 1.2, -1.6, 0.7}},
    {"glu", {-1.2, 1.2, -1.6, 0.7}}, {"his", {-1.2, 1.2, -1.5, 2.2}},
    {"phe", {-1.2, 1.2, -3.0, 1.5}}, {"trp", {-2.4, 2.2, -1.5, 1.5}},
    {"tyr", {-1.2, 1.2, -3.0, 2.8}},
};
static_assert(std::size(kSideChains) == 9, "the nine residues with planar side chains");
constexpr double kAaHalfThickness = 0.15;

// The peptide unit: a slanted quadrilateral in the peptide frame.
constexpr double kPeptideCorners[4][2] = {
    {-1.3976, -1.2832}, {1.0167, -1.3708}, {1.2319, 1.4615}, {-0.8398, 1.2027}};
constexpr double kPeptideHalfThickness = 0.3;

// The twelve bonds of every box: the two end faces, then the four long edges.
constexpr long kBoxBonds[12][2] = {{1, 2}, {2, 3}, {3, 4}, {4, 1},  {5, 6},  {6, 7},
                                   {7, 8}, {5, 8}, {9, 5}, {10, 6}, {11, 7}, {12, 8}};

// Twelve atoms, twelve bonds: corners c[0..3] of the face at atoms 1-4 (z
// given per corner), the same corners at atoms 5-8 taken from c2, and atoms
// 9-12 repeating 1-4.
void make_box(const std::array<xyz, 4>& face1, const std::array<xyz, 4>& face2, struct_alchemy& m) {
  init_struct_alchemy(m);
  m.num_atoms = m.num_bonds = 12;
  allocate_alcAtomsBonds(m);
  for (long k = 1; k <= 4; ++k) {
    m.atoms[k] = {"N", face1[static_cast<size_t>(k - 1)], 0.0};
    m.atoms[k + 4] = {"C", face2[static_cast<size_t>(k - 1)], 0.0};
    m.atoms[k + 8] = {"C", face1[static_cast<size_t>(k - 1)], 0.0};
  }
  for (long j = 1; j <= 12; ++j) m.bonds[j] = {kBoxBonds[j - 1][0], kBoxBonds[j - 1][1]};
}

// Base layout: each end face at constant x, corners (ymax,+h) (ymin,+h) (ymin,-h) (ymax,-h).
void make_base_box(const box_extent& b, double h, struct_alchemy& m) {
  auto face = [&b, h](double x) {
    return std::array<xyz, 4>{xyz{0, x, b.ymax, h}, xyz{0, x, b.ymin, h}, xyz{0, x, b.ymin, -h},
                              xyz{0, x, b.ymax, -h}};
  };
  make_box(face(b.xmin), face(b.xmax), m);
}

// Amino-acid layout: the top face (z = +h) then the bottom face (z = -h).
void make_flat_box(const double (&c)[4][2], double h, struct_alchemy& m) {
  std::array<xyz, 4> top, bottom;
  for (size_t k = 0; k < 4; ++k) {
    top[k] = xyz{0, c[k][0], c[k][1], h};
    bottom[k] = xyz{0, c[k][0], c[k][1], -h};
  }
  make_box(top, bottom, m);
}

block_kind kind_of_name(const std::string& name) {
  VASK_ASSERT(name.size() <= 2);
  const char* s = name.c_str();
  if (zor_ncmatch(s, "G4")) return block_kind::g4;
  if (zor_ncmatch(s, "BP")) return block_kind::bp;
  if (zor_ncmatch(s, "R")) return block_kind::r;
  if (zor_ncmatch(s, "Y")) return block_kind::y;
  fatal("unrecognized block name '%s'\n", name.c_str());
}

bool equal_size_blocks() { return Gvars.block_file[BLK_EQUAL] || Gvars.alc_mol[6]; }
bool slim_blocks() { return Gvars.block_file[BLK_SLIM] || Gvars.alc_mol[7]; }

const kind_row& row_of(block_kind k) {
  for (const kind_row& r : kKinds)
    if (r.kind == k) return r;
  VASK_ASSERT(false);
  return kKinds[0];
}

const std::string& user_block_file(block_kind k) {
  switch (k) {
    case block_kind::r: return Gvars.block_config[BCFG_PURINE];
    case block_kind::y: return Gvars.block_config[BCFG_PYRIMIDINE];
    case block_kind::m: return Gvars.block_config[BCFG_MEAN];
    case block_kind::bp: return Gvars.block_config[BCFG_PAIR];
    case block_kind::g4: return Gvars.block_config[BCFG_G4];
  }
  return Gvars.block_config[BCFG_ALL];
}

void json_one_block(FILE* fp, const char* name, const char* key, bool last) {
  struct_alchemy m;
  read_base_block(name, m);
  json_begin_array(fp, key);
  json_just_string(fp, sformat("%5ld ATOMS, %5ld BONDS", m.num_atoms, m.num_bonds));
  const long n = m.num_atoms + m.num_bonds;
  long written = 0;
  for (long i = 1; i <= m.num_atoms; ++i) {
    const alcAtom& a = m.atoms[i];
    std::string line = sformat("%5ld %-2.2s   %9.4f%9.4f%9.4f", i, a.type.c_str(), a.xyz[1],
                               a.xyz[2], a.xyz[3]);
    ++written < n ? json_just_string(fp, line) : json_just_string0(fp, line);
  }
  for (long j = 1; j <= m.num_bonds; ++j) {
    std::string line = sformat("%5ld %5ld %5ld", j, m.bonds[j].atom1, m.bonds[j].atom2);
    ++written < n ? json_just_string(fp, line) : json_just_string0(fp, line);
  }
  last ? json_end_array0(fp) : json_end_array(fp);
}

}  // namespace

void apply_block_depth(struct_alchemy& m, double depth) {
  if (depth == 0.0) return;
  for (long i = 1; i <= m.num_atoms; ++i) m.atoms[i].xyz[3] = m.atoms[i].xyz[3] < 0 ? -depth / 2 : depth / 2;
}

void read_base_block(const std::string& name, struct_alchemy& m) {
  block_kind kind = kind_of_name(name);
  init_struct_alchemy(m);
  if (equal_size_blocks() && (kind == block_kind::r || kind == block_kind::y)) kind = block_kind::m;
  const kind_row& row = row_of(kind);
  if (!Gvars.stand_alone) {
    const std::string file =
        sformat("rect_block_%s%s.alc", row.file_word, slim_blocks() ? "Slim" : "");
    read_alchemy(get_sysfile("data/standard_frames", file), m);
  } else if (!user_block_file(kind).empty()) {
    read_alchemy(user_block_file(kind), m);
  } else {
    make_base_box(slim_blocks() ? row.slim : row.regular, kBaseHalfThickness, m);
  }
  apply_block_depth(m, Gvars.block_depth);
}

long fillout_alc_per_block(const struct_alchemy& t, const frame* f, double v,
                           struct_alchemy& target) {
  reserve_alc_room(target, t.num_atoms, t.num_bonds);
  const long a = target.num_atoms_filled, b = target.num_bonds_filled;
  for (long k = 1; k <= t.num_atoms; ++k) {
    alcAtom& out = target.atoms[a + k];
    out.type = t.atoms[k].type;
    if (f != nullptr)
      frame_xyz(*f, t.atoms[k].xyz, out.xyz);
    else
      out.xyz = t.atoms[k].xyz;
    out.value = v;
  }
  for (long j = 1; j <= t.num_bonds; ++j)
    target.bonds[b + j] = {t.bonds[j].atom1 + a, t.bonds[j].atom2 + a};
  target.num_atoms_filled += t.num_atoms;
  target.num_bonds_filled += t.num_bonds;
  return a;
}

void read_g4_side_block(bool full, struct_alchemy& m) {
  // Slanted slabs from the C1' side of a guanine towards the tetrad centre,
  // in the guanine's base frame: the corners of the two end faces.
  static constexpr double kSide[2][2][2] = {{{-2.4752, 5.3960}, {-3.4615, -1.7361}},
                                            {{1.0909, 4.9029}, {0.1046, -2.2293}}};
  static constexpr double kFullSide[2][2][2] = {{{-2.4752, 5.3960}, {-3.5711, -2.5286}},
                                                {{1.0909, 4.9029}, {-0.0050, -3.0217}}};
  const auto& c = full ? kFullSide : kSide;
  const double h = kBaseHalfThickness;
  auto face = [&c, h](int f) {
    return std::array<xyz, 4>{xyz{0, c[f][0][0], c[f][0][1], h}, xyz{0, c[f][1][0], c[f][1][1], h},
                              xyz{0, c[f][1][0], c[f][1][1], -h}, xyz{0, c[f][0][0], c[f][0][1], -h}};
  };
  make_box(face(0), face(1), m);
  apply_block_depth(m, Gvars.block_depth);
}

void read_peptide_block(struct_alchemy& m) {
  make_flat_box(kPeptideCorners, kPeptideHalfThickness, m);
  apply_block_depth(m, Gvars.block_depth);
}

bool has_sidechain_block(const std::string& std_name) {
  for (const aa_row& r : kSideChains)
    if (std_name == r.name) return true;
  return false;
}

void read_sidechain_block(const std::string& std_name, struct_alchemy& m) {
  const aa_row* row = nullptr;
  for (const aa_row& r : kSideChains)
    if (std_name == r.name) row = &r;
  VASK_ASSERT(row != nullptr);
  const box_extent& b = row->box;
  const double corners[4][2] = {{b.xmin, b.ymin}, {b.xmax, b.ymin}, {b.xmax, b.ymax}, {b.xmin, b.ymax}};
  make_flat_box(corners, kAaHalfThickness, m);
  apply_block_depth(m, Gvars.block_depth);
}

void json_RY_WC_blocks(FILE* fp) {
  if (fp == nullptr) return;
  json_begin_object(fp, "refCoords");
  json_one_block(fp, "R", "purine", false);
  json_one_block(fp, "Y", "pyrimidine", false);
  json_one_block(fp, "BP", "wc_pair", true);
  json_end_object(fp);
}

}  // namespace vask
