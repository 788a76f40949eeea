// Reference frames and the base-frame fit (see frame.hpp).
#include "pairing/frame.hpp"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <string_view>

#include "structure/pdb_reader.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/quaternion.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// ---------------------------------------------------------------------------
// Ideal bases, each in its own standard reference frame (the community
// standard of 2001 for base-pair geometry); the lower-case (modified) variants
// are the same atoms. Pseudouridine is the uracil ring turned so that C5 carries the
// glycosidic bond.
struct template_atom {
  const char* name;  // 4-character PDB atom name
  double x, y, z;
};

constexpr template_atom base_A[] = {
    {" C1'", -2.479, 5.346, 0.000}, {" N9 ", -1.291, 4.498, 0.000}, {" C8 ", 0.024, 4.897, 0.000},
    {" N7 ", 0.877, 3.902, 0.000},  {" C5 ", 0.071, 2.771, 0.000},  {" C6 ", 0.369, 1.398, 0.000},
    {" N6 ", 1.611, 0.909, 0.000},  {" N1 ", -0.668, 0.532, 0.000}, {" C2 ", -1.912, 1.023, 0.000},
    {" N3 ", -2.320, 2.290, 0.000}, {" C4 ", -1.267, 3.124, 0.000}};
constexpr template_atom base_C[] = {
    {" C1'", -2.477, 5.402, 0.000}, {" N1 ", -1.285, 4.542, 0.000}, {" C2 ", -1.472, 3.158, 0.000},
    {" O2 ", -2.628, 2.709, 0.001}, {" N3 ", -0.391, 2.344, 0.000}, {" C4 ", 0.837, 2.868, 0.000},
    {" N4 ", 1.875, 2.027, 0.001},  {" C5 ", 1.056, 4.275, 0.000},  {" C6 ", -0.023, 5.068, 0.000}};
constexpr template_atom base_G[] = {
    {" C1'", -2.477, 5.399, 0.000}, {" N9 ", -1.289, 4.551, 0.000},  {" C8 ", 0.023, 4.962, 0.000},
    {" N7 ", 0.870, 3.969, 0.000},  {" C5 ", 0.071, 2.833, 0.000},   {" C6 ", 0.424, 1.460, 0.000},
    {" O6 ", 1.554, 0.955, 0.000},  {" N1 ", -0.700, 0.641, 0.000},  {" C2 ", -1.999, 1.087, 0.000},
    {" N2 ", -2.949, 0.139, -0.001}, {" N3 ", -2.342, 2.364, 0.001}, {" C4 ", -1.265, 3.177, 0.000}};
constexpr template_atom base_T[] = {
    {" C1'", -2.481, 5.354, 0.000}, {" N1 ", -1.284, 4.500, 0.000}, {" C2 ", -1.462, 3.135, 0.000},
    {" O2 ", -2.562, 2.608, 0.000}, {" N3 ", -0.298, 2.407, 0.000}, {" C4 ", 0.994, 2.897, 0.000},
    {" O4 ", 1.944, 2.119, 0.000},  {" C5 ", 1.106, 4.338, 0.000},  {" C7 ", 2.466, 4.961, 0.001},
    {" C6 ", -0.024, 5.057, 0.000}};
constexpr template_atom base_U[] = {
    {" C1'", -2.481, 5.354, 0.000}, {" N1 ", -1.284, 4.500, 0.000}, {" C2 ", -1.462, 3.131, 0.000},
    {" O2 ", -2.563, 2.608, 0.000}, {" N3 ", -0.302, 2.397, 0.000}, {" C4 ", 0.989, 2.884, 0.000},
    {" O4 ", 1.935, 2.094, -0.001}, {" C5 ", 1.089, 4.311, 0.000},  {" C6 ", -0.024, 5.053, 0.000}};
constexpr template_atom base_P[] = {
    {" C1'", -2.506, 5.371, 0.000}, {" N1 ", 1.087, 4.295, 0.000},  {" C2 ", 1.037, 2.915, 0.000},
    {" O2 ", 2.036, 2.217, 0.000},  {" N3 ", -0.229, 2.383, 0.000}, {" C4 ", -1.422, 3.076, 0.000},
    {" O4 ", -2.485, 2.453, 0.000}, {" C5 ", -1.284, 4.500, 0.000}, {" C6 ", -0.064, 5.048, 0.000}};
static_assert(std::size(base_A) == 11 && std::size(base_C) == 9 && std::size(base_G) == 12);
static_assert(std::size(base_T) == 10 && std::size(base_U) == 9 && std::size(base_P) == 9);

// Other groups, each in its own standard frame: the phosphate (its O3' from
// the preceding nucleotide), the sugar on C1', C4', O4', the peptide unit
// spanning the bond to the next amino acid, the amino-acid side chain on N,
// CA, C, CB, and the planar ends of nine side chains.
constexpr template_atom group_po4[] = {
    {" P  ", 0.000, 0.000, 0.000},   {" OP1", 0.741, -1.290, 0.000}, {" OP2", 0.746, 1.300, 0.000},
    {" O3'", -1.008, -0.091, 1.234}, {" O5'", -0.987, -0.021, -1.241}};
constexpr template_atom group_sug[] = {
    {" C1'", 0.822, 1.158, -0.000}, {" C4'", 0.843, -1.188, 0.000}, {" O4'", 0.000, 0.000, 0.000}};
constexpr template_atom group_pep[] = {
    {" CA ", -1.398, -1.283, 0.000}, {" C  ", 0.000, -0.660, 0.000}, {" O  ", 1.017, -1.371, 0.000},
    {" N  ", 0.000, 0.660, 0.000},   {" CA ", 1.232, 1.461, 0.000}};
constexpr template_atom group_scn[] = {
    {" N  ", -0.498, 1.364, 0.000}, {" CA ", 0.000, 0.000, 0.000}, {" C  ", -0.517, -0.772, 1.200},
    {" CB ", 1.537, 0.000, 0.000}};
constexpr template_atom group_arg[] = {
    {" CD ", 1.202, -2.140, 0.000}, {" NE ", 0.000, -1.323, 0.000}, {" CZ ", 0.000, 0.000, 0.000},
    {" NH1", 1.188, 0.631, 0.000},  {" NH2", -1.146, 0.659, 0.000}};
constexpr template_atom group_asn[] = {
    {" CB ", 0.000, -1.509, 0.000}, {" CG ", 0.000, 0.000, 0.000}, {" OD1", 1.069, 0.600, 0.000},
    {" ND2", -1.181, 0.610, 0.000}};
constexpr template_atom group_asp[] = {
    {" CB ", 0.000, -1.507, 0.000}, {" CG ", 0.000, 0.000, 0.000}, {" OD1", 1.120, 0.578, 0.000},
    {" OD2", -1.097, 0.621, 0.000}};
constexpr template_atom group_gln[] = {
    {" CG ", 0.000, -1.513, 0.000}, {" CD ", 0.000, 0.000, 0.000}, {" OE1", 1.040, 0.649, 0.000},
    {" NE2", -1.183, 0.622, 0.000}};
constexpr template_atom group_glu[] = {
    {" CG ", 0.000, -1.517, 0.000}, {" CD ", 0.000, 0.000, 0.000}, {" OE1", 1.109, 0.560, 0.000},
    {" OE2", -1.102, 0.603, 0.000}};
constexpr template_atom group_his[] = {
    {" CB ", 0.000, -1.473, 0.000}, {" CG ", 0.000, 0.000, 0.000},  {" ND1", 1.039, 0.870, 0.000},
    {" CD2", -1.125, 0.778, 0.000}, {" CE1", 0.598, 2.139, 0.000},  {" NE2", -0.741, 2.116, 0.000}};
constexpr template_atom group_phe[] = {
    {" CB ", -0.009, -2.935, 0.000}, {" CG ", 0.000, -1.417, 0.000}, {" CD1", 1.169, -0.694, 0.000},
    {" CD2", -1.181, -0.713, 0.000}, {" CE1", 1.183, 0.683, 0.000},  {" CE2", -1.150, 0.663, 0.000},
    {" CZ ", 0.000, 1.417, 0.000}};
constexpr template_atom group_tyr[] = {
    {" CB ", -0.025, -2.905, 0.000}, {" CG ", 0.000, -1.394, 0.000}, {" CD1", 1.189, -0.676, 0.000},
    {" CD2", -1.192, -0.675, 0.000}, {" CE1", 1.197, 0.711, 0.000},  {" CE2", -1.202, 0.709, 0.000},
    {" CZ ", 0.000, 1.394, 0.000},   {" OH ", -0.016, 2.776, 0.000}};
constexpr template_atom group_trp[] = {
    {" CB ", 1.924, -2.517, 0.000},  {" CG ", 1.369, -1.129, 0.000},  {" CD1", 2.133, 0.018, 0.000},
    {" CD2", 0.000, -0.701, 0.000},  {" NE1", 1.305, 1.128, 0.000},   {" CE2", 0.000, 0.701, 0.000},
    {" CE3", -1.205, -1.404, 0.000}, {" CZ2", -1.195, 1.415, 0.000},  {" CZ3", -2.395, -0.700, 0.000},
    {" CH2", -2.370, 0.701, 0.000}};

struct builtin_template {
  const char* key;       // matched as a substring of the template file name
  const char* res_name;  // residue name of its ATOM lines
  const template_atom* atoms;
  long count;
};

template <size_t N>
constexpr builtin_template make_template(const char* key, const char* res_name,
                                         const template_atom (&atoms)[N]) {
  return {key, res_name, atoms, static_cast<long>(N)};
}

// In the order the file name is matched against them.
constexpr builtin_template builtin_templates[] = {
    make_template("frame.__a", "  A", base_A), make_template("frame.__c", "  C", base_C),
    make_template("frame.__g", "  G", base_G), make_template("frame.__p", "PSU", base_P),
    make_template("frame.__t", "  T", base_T), make_template("frame.__u", "  U", base_U),
    make_template("frame___A", "  A", base_A), make_template("frame___C", "  C", base_C),
    make_template("frame___G", "  G", base_G), make_template("frame___P", "PSU", base_P),
    make_template("frame___T", "  T", base_T), make_template("frame___U", "  U", base_U),
    make_template("frame_po4", "PO4", group_po4), make_template("frame_sug", "SUG", group_sug),
    make_template("frame_pep", "TRS", group_pep), make_template("frame_scn", "SCN", group_scn),
    make_template("frame_arg", "ARG", group_arg), make_template("frame_asn", "ASN", group_asn),
    make_template("frame_asp", "ASP", group_asp), make_template("frame_gln", "GLN", group_gln),
    make_template("frame_glu", "GLU", group_glu), make_template("frame_his", "HIS", group_his),
    make_template("frame_phe", "PHE", group_phe), make_template("frame_tyr", "TYR", group_tyr),
    make_template("frame_trp", "TRP", group_trp),
};
static_assert(std::size(builtin_templates) == 25,
              "six bases, standard and modified, and thirteen other groups");

inline constexpr const char* standard_frames_dir = "data/standard_frames";

// Base ring atoms in fitting order: the six-membered ring, then N7, C8, N9.
constexpr const char* ring_atoms[] = {" C4 ", " N3 ", " C2 ", " N1 ", " C6 ",
                                      " C5 ", " N7 ", " C8 ", " N9 "};
constexpr long num_pyrimidine_ring = 6, num_purine_ring = 9;

// ---------------------------------------------------------------------------
// Fixed-column fields of an ATOM line

struct column {
  size_t first, width;  // 1-based first column
};
constexpr column col_serial{7, 5}, col_name{13, 4}, col_altloc{17, 1}, col_res_name{18, 3},
    col_chain{22, 1}, col_res_seq{23, 4}, col_icode{27, 1}, col_x{31, 8}, col_y{39, 8},
    col_z{47, 8}, col_occupancy{55, 6}, col_bfactor{61, 6}, col_seg_id{73, 4},
    col_element{77, 2}, col_charge{79, 2};

// The raw slice; shorter (or empty) when the line ends inside it.
std::string_view raw_field(std::string_view line, column c) {
  if (c.first > line.size()) return {};
  return line.substr(c.first - 1, c.width);
}

std::string_view trimmed_view(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

template <class T>
T number_field(std::string_view line, column c, T empty_value) {
  std::string_view s = trimmed_view(raw_field(line, c));
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  T v = empty_value;
  if (s.empty() || std::from_chars(s.data(), s.data() + s.size(), v).ec != std::errc()) {
    return empty_value;
  }
  return v;
}

// A fixed-width text field padded with blanks to its width.
std::string text_field(std::string_view line, column c) {
  std::string s(raw_field(line, c));
  s.resize(c.width, ' ');
  return s;
}

// First atom of that name among atoms[first..last], or -1.
long first_atom_named(const std::vector<atom>& atoms, long first, long last, const char* name) {
  for (long k = first; k <= last; ++k)
    if (atoms[k].name == name) return k;
  return -1;
}

// Ring-atom pairs of a template and a residue in ring-list order; find(name)
// gives the residue's atom of that name (-1 when absent), at(b) its position.
template <class Find, class At>
long pair_ring_atoms(const std::vector<atom>& tmpl, long nt, bool purine, Find find, At at,
                     std::vector<xyz>& tmpl_xyz, std::vector<xyz>& res_xyz) {
  long num_ring = purine ? num_purine_ring : num_pyrimidine_ring;
  tmpl_xyz.assign(static_cast<size_t>(num_ring + 1), xyz{});
  res_xyz.assign(static_cast<size_t>(num_ring + 1), xyz{});
  long n = 0;
  for (long k = 0; k < num_ring; ++k) {
    long a = first_atom_named(tmpl, 1, nt, ring_atoms[k]);
    long b = find(ring_atoms[k]);
    if (a == -1 || b == -1) continue;
    ++n;
    tmpl_xyz[n] = tmpl[a].xyz;
    res_xyz[n] = at(b);
  }
  return n;
}

void write_frame_row(FILE* fp, const xyz& v, const char* comment) {
  fprintf(fp, "%16.6f %16.6f %16.6f\t%s\n", v[1], v[2], v[3], comment);
}

}  // namespace

// ---------------------------------------------------------------------------
// Record life cycle and conversions

std::vector<frame> allocate_frames_array(long n) {
  VASK_ASSERT(n >= 0);
  std::vector<frame> frames(static_cast<size_t>(n + 1));
  for (long k = 1; k <= n; ++k) init_one_frame(frames[k]);
  return frames;
}

void init_one_frame(frame& f) {
  f = frame{};
  f.x_axis = f.y_axis = f.z_axis = xyz{};
}

void free_frames(std::vector<frame>& frames) { std::vector<frame>().swap(frames); }

void frame_to_rotmat(const frame& f, rotmat& R) { xyz_to_rotmat(f.x_axis, f.y_axis, f.z_axis, R); }

void xyz_to_rotmat(const xyz& x, const xyz& y, const xyz& z, rotmat& R) { axes_to_rotmat(x, y, z, R); }

void rotmat_to_frame(const rotmat& R, frame& f) { rotmat_to_axes(R, f.x_axis, f.y_axis, f.z_axis); }

void fillout_frame_from_oxyz(const xyz& o, const xyz& x, const xyz& y, const xyz& z, frame& f) {
  f.org = o;
  f.x_axis = x;
  f.y_axis = y;
  f.z_axis = z;
}

void fillout_frame_from_oR(const xyz& o, const rotmat& R, frame& f) {
  f.org = o;
  rotmat_to_frame(R, f);
  qtn_from_rotmat(R, f.qtn);
}

void fillout_oR_from_frame(const frame& f, xyz& o, rotmat& R) {
  o = f.org;
  frame_to_rotmat(f, R);
}

const char* get_frame_type(int code) {
  switch (code) {
    case FRAME_BASE: return "base";
    case FRAME_PHOSPHATE: return "phosphate";
    case FRAME_SUGAR: return "sugar";
    case FRAME_BACKBONE: return "backbone";
    case FRAME_SIDECHAIN: return "sidechain";
    case FRAME_AROMATIC: return "aromatic";
    case FRAME_BESTPAIR: return "bestpair";
    case FRAME_GTETRAD: return "Gtetrad";
    default: return "undefined";
  }
}

void derive_frame_x_y0(frame& f) {
  cross_norm_xyz(f.y_axis, f.z_axis, f.x_axis);
  cross_norm_xyz(f.z_axis, f.x_axis, f.y_axis);
}

void derive_frame_x0_y(frame& f) {
  cross_norm_xyz(f.z_axis, f.x_axis, f.y_axis);
  cross_norm_xyz(f.y_axis, f.z_axis, f.x_axis);
}

void define_frame_by_3positions(const xyz& p1, const xyz& p2, const xyz& p3, frame& f) {
  f.org = p1;
  diff_norm_xyz(p1, p2, f.x_axis);
  diff_xyz(p1, p3, f.y_axis);
  orth_xyz(f.y_axis, f.x_axis);
  cross_xyz(f.x_axis, f.y_axis, f.z_axis);
}

void verify_frame(frame& f) {
  constexpr double tolerance = 0.001;
  rotmat R;
  frame_to_rotmat(f, R);
  if (std::fabs(det_3x3(R) - 1) < tolerance && std::fabs(dot_xyz(f.x_axis, f.y_axis)) < tolerance &&
      std::fabs(dot_xyz(f.x_axis, f.z_axis)) < tolerance &&
      std::fabs(dot_xyz(f.y_axis, f.z_axis)) < tolerance)
    return;
  runlog_msg("[w] input frame NOT orthonormal within 0.001: corrected\n");
  norm_xyz(f.x_axis);
  orth_xyz(f.y_axis, f.x_axis);
  cross_xyz(f.x_axis, f.y_axis, f.z_axis);
}

// ---------------------------------------------------------------------------
// Text forms

void write_one_frame(FILE* fp, const char* title, const frame& f) {
  rotmat R;
  frame_to_rotmat(f, R);
  write_one_rotmat(fp, title, f.org, R);
}

void write_one_rotmat(FILE* fp, const char* title, const xyz& o, const rotmat& R) {
  if (fp == nullptr) return;
  if (title != nullptr) fprintf(fp, "%s\n", title);
  const char* comments[] = {"", "# x-axis", "# y-axis", "# z-axis"};
  write_frame_row(fp, o, "# origin");
  for (long k = 1; k <= 3; ++k) write_frame_row(fp, xyz{0, R[1][k], R[2][k], R[3][k]}, comments[k]);
}

std::string set_frame_name(const std::string& std_name, bool nt) {
  bool modified = nt && std_name.size() >= 3 && std::islower(static_cast<unsigned char>(std_name[2]));
  return (modified ? "frame." : "frame_") + std_name + ".pdb";
}

// ---------------------------------------------------------------------------
// Ideal base templates

void populate_one_atom(const char* line, atom& a) {
  init_one_atom(a);
  std::string_view s(line);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
  a.hetatm = s.substr(0, 6) == "HETATM";
  a.serial = number_field<long>(s, col_serial, 0);
  a.name = text_field(s, col_name);
  std::string_view alt = raw_field(s, col_altloc);
  a.altloc = alt.empty() ? ' ' : alt[0];
  a.res_name = text_field(s, col_res_name);
  std::string_view chain = raw_field(s, col_chain);
  a.chain_id = chain.empty() ? " " : std::string(chain);
  a.res_seq = number_field<long>(s, col_res_seq, 0);
  std::string_view icode = raw_field(s, col_icode);
  a.icode = icode.empty() ? ' ' : icode[0];
  a.xyz[1] = number_field<double>(s, col_x, DBL_MAX);
  a.xyz[2] = number_field<double>(s, col_y, DBL_MAX);
  a.xyz[3] = number_field<double>(s, col_z, DBL_MAX);
  a.occupancy = number_field<double>(s, col_occupancy, 1.0);
  a.bfactor = number_field<double>(s, col_bfactor, 0.0);
  if (!trimmed_view(raw_field(s, col_seg_id)).empty()) a.seg_id = text_field(s, col_seg_id);
  if (!trimmed_view(raw_field(s, col_element)).empty()) a.element = text_field(s, col_element);
  if (!trimmed_view(raw_field(s, col_charge)).empty()) a.charge = text_field(s, col_charge);
  a.raw_name = a.name;
  a.raw_res_name = a.res_name;
}

long populate_one_frame(const std::string& file_name, std::vector<atom>& atoms) {
  const builtin_template* t = nullptr;
  for (const auto& b : builtin_templates) {
    if (file_name.find(b.key) != std::string::npos) {
      t = &b;
      break;
    }
  }
  VASK_ASSERT(t != nullptr);
  // Each template is read through the atom-line reader once, as its file
  // would be, and copied from then on: every residue of every structure
  // asks for one.
  thread_local std::vector<atom> parsed[std::size(builtin_templates)];
  std::vector<atom>& cached = parsed[t - builtin_templates];
  if (cached.empty()) {
    cached.resize(static_cast<size_t>(t->count + 1));
    for (long k = 1; k <= t->count; ++k) {
      const template_atom& ta = t->atoms[k - 1];
      // cols 1-6 ATOM | 7-11 serial | 13-16 name | 18-20 residue | 22 chain | 23-26 number
      //      31-38, 39-46, 47-54 x, y, z (8.3) | 55-60 occupancy | 61-66 B-factor
      char line[96];
      snprintf(line, sizeof line, "ATOM  %5ld %4.4s %3.3s A   1    %8.3f%8.3f%8.3f  1.00  0.00", k,
               ta.name, t->res_name, ta.x, ta.y, ta.z);
      populate_one_atom(line, cached[k]);
    }
  }
  if (static_cast<long>(atoms.size()) < t->count + 1) atoms.resize(static_cast<size_t>(t->count + 1));
  std::copy(cached.begin() + 1, cached.end(), atoms.begin() + 1);
  return t->count;
}

long read_pdb_in_frame(struct_mol& holder) {
  long n = 0;
  for (const std::string& line : get_filelines(holder.file_name)) {
    if (!is_atom_hetatm_record(line.c_str(), static_cast<long>(line.size()))) continue;
    if (static_cast<long>(holder.atoms.size()) < n + 2) holder.atoms.resize(static_cast<size_t>(n + 2));
    populate_one_atom(line.c_str(), holder.atoms[++n]);
  }
  return n;
}

long read_frame_atom_records(const std::string& file_name, struct_mol& holder) {
  if (Gvars.stand_alone) {
    holder.file_name = file_name;
    holder.num_atoms = populate_one_frame(file_name, holder.atoms);
  } else {
    holder.file_name = get_sysfile(standard_frames_dir, file_name);
    holder.num_atoms = read_pdb_in_frame(holder);
  }
  return holder.num_atoms;
}

std::string check_std_name(const std::string& std_name) {
  if (std_name.size() >= 3 && std_name[2] == static_cast<char>(Gvars.abasic)) return "__u";
  return std_name;
}

double fit_base_frame(long n, const std::vector<xyz>& tmpl, const std::vector<xyz>& res, frame& f) {
  if (n < 3) return -1.0;
  xyz origin{};
  rotmat R{};
  double rmsd = ls_fitting(tmpl, res, n, nullptr, &origin, &R);
  f.type = FRAME_BASE;
  f.rmsd = rmsd;
  // copy x, y, z only, so the unused slot 0 of the frame's origin stays 0
  fillout_frame_from_oR(xyz{0, origin[1], origin[2], origin[3]}, R, f);
  return rmsd;
}

long match_ring_atoms(const std::vector<atom>& tmpl, long nt, const std::vector<atom>& res,
                      long first, long last, bool purine, std::vector<xyz>& tmpl_xyz,
                      std::vector<xyz>& res_xyz) {
  return pair_ring_atoms(
      tmpl, nt, purine, [&](const char* name) { return first_atom_named(res, first, last, name); },
      [&](long b) { return res[b].xyz; }, tmpl_xyz, res_xyz);
}

// ---------------------------------------------------------------------------
// Frames of a structure

const frame* base_frame(long i, const struct_mol& mol) {
  if (!is_nt(i, mol)) return nullptr;
  long k = mol.residues[i].frames[FRAME_BASE];
  return k >= 1 && k < static_cast<long>(mol.frames.size()) ? &mol.frames[k] : nullptr;
}

long number_of_base_frames(const struct_mol& mol) {
  VASK_ASSERT(mol.stage.frames);
  long count = 0;
  for (long k = 1; k <= mol.num_nts && k < static_cast<long>(mol.nt_order.size()); ++k)
    count += base_frame(mol.nt_order[k], mol) != nullptr;
  return count;
}

long number_of_amino_frames(const struct_mol& mol) {
  VASK_ASSERT(mol.stage.frames);
  long count = 0;
  for (long k = 1; k <= mol.num_frames; ++k)
    count += mol.frames[k].type == FRAME_BACKBONE || mol.frames[k].type == FRAME_AROMATIC;
  return count;
}

void derive_frame_by_first_pdb_atoms(const struct_mol& mol, frame& f) {
  if (mol.num_atoms < 3) return;
  const xyz &a1 = mol.atoms[1].xyz, &a2 = mol.atoms[2].xyz;
  xyz d12{};
  diff_xyz(a1, a2, d12);
  for (long k = 3; k <= mol.num_atoms; ++k) {
    xyz d1k{}, u = d12;
    diff_xyz(a1, mol.atoms[k].xyz, d1k);
    double angle = angle_xyz(u, d1k);
    if (angle >= 5 && angle <= 175) {
      define_frame_by_3positions(a1, a2, mol.atoms[k].xyz, f);
      return;
    }
  }
  runlog_msg("[w] too few non-linear atoms to define orientation\n");
}

void print_pdb_frames(FILE* fp, const struct_mol& mol) {
  if (fp == nullptr) return;
  for (long k = 1; k <= mol.num_frames; ++k) {
    const frame& f = mol.frames[k];
    if (f.residue == -1) continue;
    const std::string title =
        sformat("%4ld %-12s\t%ld\t%-10g\t[%s]", k, get_frame_type(f.type), f.residue, f.rmsd,
                mol.residues[f.residue].idstr.c_str());
    write_one_frame(fp, title.c_str(), f);
  }
}

void list_base_frames(const struct_mol& mol, long n, const std::vector<long>& nts, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "# %ld base frames\n", n);
  for (long k = 1; k <= n; ++k) {
    const residue& r = mol.residues[nts[k]];
    const std::string label = sformat("%4ld %c %s", k, r.letter, r.idstr.c_str());
    const frame* f = base_frame(nts[k], mol);
    if (f != nullptr) write_one_frame(fp, label.c_str(), *f);
  }
}

void list_sidechain_frames(const struct_mol& mol, long n, const std::vector<long>& aas, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "# %ld sidechain frames\n", n);
  for (long k = 1; k <= n; ++k) {
    const residue& r = mol.residues[aas[k]];
    const long idx = r.frames[FRAME_SIDECHAIN];
    if (idx <= 0) continue;
    const std::string label = sformat("%4ld %c %s", k, r.letter, r.idstr.c_str());
    write_one_frame(fp, label.c_str(), mol.frames[idx]);
  }
}

void print_quenby_frames(const std::string& file_name, const struct_mol& mol, long n,
                         const std::vector<frame>& frames) {
  FILE* fp = output_file(file_name);
  fprintf(fp, "# Reference frames based on Quenby's definition\n");
  for (long i = 1; i <= n; ++i) {
    const frame& f = frames[i];
    fprintf(fp, "%4ld\t%s\t%ld\t%s\n", i, mol.residues[f.residue].idstr.c_str(), f.residue,
            f.type == FRAME_QUENBY_AA ? "quenby-aa" : "quenby-nt");
    write_one_frame(fp, nullptr, f);
  }
  close_file(fp);
}

void get_nt_base_frames(struct_mol& mol) {
  // Templates by file name: a structure has few kinds of base, each read once.
  std::map<std::string, struct_mol> templates;  // only file name and atoms are used
  std::vector<xyz> tmpl_xyz, res_xyz;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol) || no_base_frame(i, mol)) continue;
    const std::string file = set_frame_name(check_std_name(mol.residues[i].std_name), true);
    auto [it, added] = templates.try_emplace(file);
    struct_mol& holder = it->second;
    if (added) read_frame_atom_records(file, holder);
    long nt = holder.num_atoms;
    long n = pair_ring_atoms(
        holder.atoms, nt, is_R(i, mol),
        [&](const char* ring_name) { return find_atom_in_residue(ring_name, i, mol); },
        [&](long b) { return mol.atoms[b].xyz; }, tmpl_xyz, res_xyz);
    frame f;
    init_one_frame(f);
    if (fit_base_frame(n, tmpl_xyz, res_xyz, f) < 0) continue;
    f.residue = i;
    mol.frames.push_back(f);
    long index = static_cast<long>(mol.frames.size()) - 1;
    mol.residues[i].frames[FRAME_BASE] = index;
    for (long a = mol.residues[i].first_atom; a <= mol.residues[i].last_atom; ++a)
      if (mol.atoms[a].base) mol.atoms[a].frame_index = index;
  }
}

// ---------------------------------------------------------------------------
// Phosphate, sugar, peptide and side-chain frames

namespace {

constexpr const char* po4_names[] = {" P  ", " OP1", " OP2", " O3'", " O5'"};
constexpr const char* sug_names[] = {" C1'", " C4'", " O4'"};
constexpr const char* pep_names[] = {" CA ", " C  ", " O  ", " N  ", " CA "};
constexpr const char* scn_names[] = {" N  ", " CA ", " C  ", " CB "};

// Atoms of the planar end of nine side chains, by standard name.
struct planar_sidechain {
  const char* std_name;
  std::vector<const char*> atoms;
};
const planar_sidechain planar_sidechains[] = {
    {"arg", {" CD ", " NE ", " CZ ", " NH1", " NH2"}},
    {"phe", {" CB ", " CG ", " CD1", " CD2", " CE1", " CE2", " CZ "}},
    {"tyr", {" CB ", " CG ", " CD1", " CD2", " CE1", " CE2", " CZ ", " OH "}},
    {"trp", {" CB ", " CG ", " CD1", " CD2", " NE1", " CE2", " CE3", " CZ2", " CZ3", " CH2"}},
    {"his", {" CB ", " CG ", " ND1", " CD2", " CE1", " NE2"}},
    {"asn", {" CB ", " CG ", " OD1", " ND2"}},
    {"asp", {" CB ", " CG ", " OD1", " OD2"}},
    {"gln", {" CG ", " CD ", " OE1", " NE2"}},
    {"glu", {" CG ", " CD ", " OE1", " OE2"}},
};

constexpr double ARG_SWAP_RMSD = 0.5;  // Angstrom: an arginine fit this bad has NH1/NH2 swapped
constexpr long MAX_ARG_SWAP_REPORTS = 9;

// How a fitted group marks its atoms.
enum group_marks : unsigned { MARK_NONE = 0, MARK_FRAME = 1, MARK_PEPTIDE = 2, MARK_PLANAR = 4 };

// The template of a group, checked against its atom-name list (user files may be wrong).
template <size_t N>
void read_group_template(const char* file_name, const char* const (&names)[N], struct_mol& holder) {
  long count = read_frame_atom_records(file_name, holder);
  if (count != static_cast<long>(N))
    fatal("wrong frame PDB file: <%s> [%ld vs %ld]\n", holder.file_name.c_str(), count,
          static_cast<long>(N));
  for (size_t k = 0; k < N; ++k)
    if (holder.atoms[k + 1].name != names[k])
      fatal("wrong frame PDB file: <%s> [atom <%s> not in proper order]\n",
            holder.file_name.c_str(), names[k]);
}

// Least-squares frame of the group of residue i from its paired points;
// appended to the structure with the residue's reference and the atom marks.
void append_group_frame(int type, long i, const std::vector<xyz>& tmpl, const std::vector<xyz>& res,
                        const std::vector<long>& atoms, long n, unsigned marks, struct_mol& mol) {
  frame f;
  init_one_frame(f);
  if (fit_base_frame(n, tmpl, res, f) < 0) return;  // fewer than 3 atoms
  f.type = type;
  f.residue = i;
  mol.frames.push_back(f);
  long index = static_cast<long>(mol.frames.size()) - 1;
  mol.residues[i].frames[type] = index;
  for (long k = 1; k <= n; ++k) {
    atom& a = mol.atoms[atoms[k]];
    if (marks & MARK_FRAME) a.frame_index = index;
    if (marks & MARK_PEPTIDE) a.peptide_plane = 1;
    if (marks & MARK_PLANAR) a.in_plane = 1;
  }
}

// Fits one group kind over the residues that select() accepts; group(i, k)
// gives the residue's atom for template atom k (-1 when absent).
template <size_t N, class Select, class Group>
void get_group_frames(int type, const char* file_name, const char* const (&names)[N], unsigned marks,
                      struct_mol& mol, Select&& select, Group&& group) {
  struct_mol holder;
  read_group_template(file_name, names, holder);
  std::vector<xyz> tmpl(N + 1), res(N + 1);
  std::vector<long> atoms(N + 1, -1);
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!select(i)) continue;
    long n = 0;
    for (long k = 1; k <= static_cast<long>(N); ++k) {
      long a = group(i, k);
      if (a == -1) continue;
      ++n;
      tmpl[n] = holder.atoms[k].xyz;
      res[n] = mol.atoms[a].xyz;
      atoms[n] = a;
    }
    append_group_frame(type, i, tmpl, res, atoms, n, marks, mol);
  }
}

}  // namespace

void get_nt_PO4_frames(struct_mol& mol) {
  get_group_frames(FRAME_PHOSPHATE, "frame_po4.pdb", po4_names, MARK_FRAME, mol,
                   [&](long i) { return is_nt(i, mol); },
                   [&](long i, long k) { return mol.nt_infos[i].po4[k]; });
}

void get_nt_sugar_frames(struct_mol& mol) {
  get_group_frames(FRAME_SUGAR, "frame_sug.pdb", sug_names, MARK_NONE, mol,
                   [&](long i) { return is_nt(i, mol); }, [&](long i, long k) {
                     const nt_info& n = mol.nt_infos[i];
                     return k == 1 ? n.C1p : k == 2 ? n.C4p : n.O4p;
                   });
}

void get_aa_peptide_frames(struct_mol& mol) {
  get_group_frames(FRAME_BACKBONE, "frame_pep.pdb", pep_names, MARK_FRAME | MARK_PEPTIDE | MARK_PLANAR,
                   mol,
                   [&](long i) {
                     const auto& p = mol.aa_infos[i].peptide;
                     return is_aa(i, mol) && p[4] != -1 && p[5] != -1;
                   },
                   [&](long i, long k) { return mol.aa_infos[i].peptide[k]; });
}

void get_aa_sidechain_frames(struct_mol& mol) {
  get_group_frames(FRAME_SIDECHAIN, "frame_scn.pdb", scn_names, MARK_NONE, mol,
                   [&](long i) { return is_aa(i, mol); }, [&](long i, long k) {
                     const aa_info& a = mol.aa_infos[i];
                     return k == 1 ? a.N : k == 2 ? a.CA : k == 3 ? a.C : a.CB;
                   });
}

void get_planar_aasc_frame(const std::vector<const char*>& names, long i, struct_mol& mol) {
  const residue& r = mol.residues[i];
  struct_mol holder;
  long nt = read_frame_atom_records(set_frame_name(r.std_name, false), holder);
  std::vector<xyz> tmpl(1), res(1);
  std::vector<long> atoms(1, -1);
  for (const char* name : names) {
    if (name == nullptr || *name == '\0') break;
    long t = find_atom_in_range(name, 1, nt, holder.atoms, holder.file_name);
    long a = find_atom_in_residue(name, i, mol);
    if (t == -1 || a == -1) continue;
    tmpl.push_back(holder.atoms[t].xyz);
    res.push_back(mol.atoms[a].xyz);
    atoms.push_back(a);
  }
  long n = static_cast<long>(atoms.size()) - 1;
  if (n < 3) return;
  if (r.std_name == "arg" && lsfit_rmsd(tmpl, res, n) > ARG_SWAP_RMSD &&
      ++mol.warned.arg_swap <= MAX_ARG_SWAP_REPORTS) {
    // NH1 and NH2 named the other way round: fit them swapped.
    runlog_msg("[w] arginine [%s] -- NH1/NH2 naming swapped\n", r.idstr.c_str());
    if (n == 5) std::swap(res[4], res[5]);
  }
  append_group_frame(FRAME_AROMATIC, i, tmpl, res, atoms, n, MARK_FRAME | MARK_PLANAR, mol);
}

void populate_frames(struct_mol& mol) {
  // The array grows as frames are made, so no capacity has to be guessed.
  mol.frames = allocate_frames_array(0);
  get_nt_base_frames(mol);
  get_nt_PO4_frames(mol);
  get_nt_sugar_frames(mol);
  get_aa_peptide_frames(mol);
  get_aa_sidechain_frames(mol);
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_aa(i, mol)) continue;
    for (const auto& p : planar_sidechains)
      if (mol.residues[i].std_name == p.std_name) get_planar_aasc_frame(p.atoms, i, mol);
  }
  mol.num_frames = static_cast<long>(mol.frames.size()) - 1;
  for (long k = 1; k <= mol.num_frames; ++k) {
    int t = mol.frames[k].type;
    mol.frames[k].planar = t == FRAME_BASE || t == FRAME_BACKBONE || t == FRAME_AROMATIC;
  }
  mol.stage.frames = 1;
}

// ---------------------------------------------------------------------------
// Distances and orientation of two frames

namespace {

// d = o(f2) - o(f1) and the mean z axis of the two frames.
void origin_step_and_mean_z(const frame& f1, const frame& f2, xyz& d, xyz& zm) {
  diff_xyz(f1.org, f2.org, d);
  get_ave_z_axis(f1.z_axis, f2.z_axis, zm);
}

// The base frames of two residues, or false when either has none.
bool two_base_frames(long i, long j, const struct_mol& mol, const frame*& f1, const frame*& f2) {
  f1 = base_frame(i, mol);
  f2 = base_frame(j, mol);
  return f1 != nullptr && f2 != nullptr;
}

}  // namespace

double get_point_vdist_to_frame(const xyz& p, const frame& f) {
  return std::fabs(get_point_vdist0_to_frame(p, f));
}

double get_point_vdist0_to_frame(const xyz& p, const frame& f) {
  xyz d;
  diff_xyz(f.org, p, d);
  return dot_xyz(d, f.z_axis);
}

double get_vdist_by_frame(const frame& f1, const frame& f2) {
  xyz d, zm;
  origin_step_and_mean_z(f1, f2, d, zm);
  return std::fabs(dot_xyz(d, zm));
}

double get_hdist_by_frame(const frame& f1, const frame& f2) {
  xyz d, zm;
  origin_step_and_mean_z(f1, f2, d, zm);
  return orth_xyz_length(d, zm);
}

void get_vdist_dist_by_frame(const frame& f1, const frame& f2, double& dv, double& dist) {
  xyz d, zm;
  origin_step_and_mean_z(f1, f2, d, zm);
  dv = std::fabs(dot_xyz(d, zm));
  dist = length_xyz(d);
}

double get_vdist_min_by_frame(const frame& f1, const frame& f2) {
  xyz d;
  diff_xyz(f1.org, f2.org, d);
  return std::min(std::fabs(dot_xyz(d, f1.z_axis)), std::fabs(dot_xyz(d, f2.z_axis)));
}

double get_vdist_by_residue(long i, long j, const struct_mol& mol) {
  const frame *f1, *f2;
  return two_base_frames(i, j, mol, f1, f2) ? get_vdist_by_frame(*f1, *f2) : -1.0;
}

double get_vdist_min_by_residue(long i, long j, const struct_mol& mol) {
  const frame *f1, *f2;
  return two_base_frames(i, j, mol, f1, f2) ? get_vdist_min_by_frame(*f1, *f2) : -1.0;
}

void get_vdist_dist_by_residue(long i, long j, const struct_mol& mol, double& dv, double& dist) {
  const frame *f1, *f2;
  if (two_base_frames(i, j, mol, f1, f2)) {
    get_vdist_dist_by_frame(*f1, *f2, dv, dist);
  } else {
    dv = dist = -1.0;
  }
}

void get_dv_dh_point2_axis(const xyz& p, const xyz& q, const xyz& axis, double& dv, double& dh) {
  xyz v;
  diff_xyz(p, q, v);
  dv = std::fabs(dot_xyz(v, axis));
  dh = orth_xyz_length(v, axis);
}

long frame2_on_positiveZ_side(const frame& f1, const frame& f2) {
  xyz d;
  diff_xyz(f1.org, f2.org, d);
  return same_direction(f1.z_axis, d);
}

long two_frames_in_similar_orient(const frame& f1, const frame& f2) {
  return same_direction(f1.x_axis, f2.x_axis) && same_direction(f1.y_axis, f2.y_axis) &&
         same_direction(f1.z_axis, f2.z_axis);
}

std::string get_stack_faces(const frame& f1, const frame& f2) {
  xyz d, back;
  diff_xyz(f1.org, f2.org, d);
  copy_negate_xyz(d, back);
  bool p1 = same_direction(f1.z_axis, d), p2 = same_direction(f2.z_axis, back);
  if (p1 && !p2) return "pm(>>,forward)";
  if (!p1 && p2) return "mp(<<,backward)";
  if (p1 && p2) return "pp(><,inward)";
  return "mm(<>,outward)";
}

void get_nt_set_frame(const struct_mol& mol, long n, const std::vector<long>& list, frame& f) {
  VASK_ASSERT(n >= 1);
  set_identity_frame(f);
  f.qtn.fill(DBL_MAX);  // no residue, unset RMSD and quaternion
  if (n == 1) {
    if (const frame* b = base_frame(list[1], mol)) f = *b;
    return;
  }
  if (n == 2) {
    const frame *f1, *f2;
    if (!two_base_frames(list[1], list[2], mol, f1, f2)) return;
    get_middle_bp_frame(*f1, *f2, f);
    double len = length_xyz(f.x_axis);
    if (len < 1e-6) {  // the two x axes cancel: fall back on the first one
      runlog_msg("\tx-axis %g\n", len);
      f.x_axis = f1->x_axis;
      cross_norm_xyz(f.z_axis, f.x_axis, f.y_axis);
      cross_norm_xyz(f.y_axis, f.z_axis, f.x_axis);
    }
    return;
  }
  const frame* ref = nullptr;
  for (long k = 1; k <= n && ref == nullptr; ++k) ref = base_frame(list[k], mol);
  if (ref == nullptr) return;
  xyz org{}, x{}, z{};
  long count = 0;
  for (long k = 1; k <= n; ++k) {
    const frame* b = base_frame(list[k], mol);
    if (b == nullptr) continue;
    ++count;
    sum_xyz(org, b->org, org);
    if (same_direction(b->x_axis, ref->x_axis)) sum_xyz(x, b->x_axis, x);
    else diff_xyz(b->x_axis, x, x);  // x - b.x
    if (same_direction(b->z_axis, ref->z_axis)) sum_xyz(z, b->z_axis, z);
    else diff_xyz(b->z_axis, z, z);
  }
  norm_xyz(z);
  f.z_axis = z;
  cross_norm_xyz(z, x, f.y_axis);
  cross_norm_xyz(f.y_axis, z, f.x_axis);
  scalar_times_xyz(org, 1.0 / static_cast<double>(count), f.org);
}

void get_cnts_frame(const struct_mol& mol, const connect& set, frame& f) {
  std::vector<long> list(static_cast<size_t>(set.count) + 1, 0);
  for (long k = 1; k <= set.count; ++k) list[k] = set[k];
  get_nt_set_frame(mol, set.count, list, f);
}

}  // namespace vask
