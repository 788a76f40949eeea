// Raster3D scene records and the frame scene of a structure.
#include "schematics/raster3d.hpp"

#include <algorithm>
#include <cmath>

#include "motifs/g4plex.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// The automatic scale: the smaller of the x and y extents plus this margin.
constexpr double kScaleMargin = 5.6889;
constexpr double kArrowAngle = 165.0;   // degrees of each stroke from the axis
constexpr double kArrowLength = 0.3;    // Angstrom
constexpr double kRaisedFrame = 10.0;   // Angstrom along global z
constexpr double kHbondRadius = 0.036;  // Angstrom
constexpr double kHbondDashes = 5.0;    // dash-and-gap segments per Angstrom

constexpr const char* kHeaderLines[] = {
    "960  960          tiles in x, y",
    "0    0            pixels (x, y) per tile",
    "4                 anti-aliasing",
    "1.0 1.0 1.0       white background",
    "F                 no shade",
    "25                phong power",
    "1.00              secondary light contribution",
    "0.90              ambient light contribution",
    "0.05              specular reflection component",
    "4.0               eye position",
    "1.0 1.0 1.0       main light source position",
    "1.0 0.0 0.0 0.0   input co-ordinate and radius transformation",
    "0.0 1.0 0.0 0.0   no transformation given here",
    "0.0 0.0 1.0 0.0",
    "0.0 0.0 0.0 1.0   keep as is",
    "3                 mixed object types",
    "*                 free format for triangle",
    "*                 free format for sphere",
    "*                 free format for cylinder",
};
static_assert(std::size(kHeaderLines) == 19, "header lines 2 to 20");
constexpr size_t kScaleLine = 14;  // index of header line 16 above

bool color_is_set(const rgb_t& c) { return c[0] >= 0 && c[1] >= 0 && c[2] >= 0; }

void print_color(const rgb_t& c, FILE* fp) { std::fprintf(fp, " %.3f %.3f %.3f\n", c[0], c[1], c[2]); }

void draw_axis(const xyz& o, const xyz& axis, const xyz* arrow_about, const rgb_t& c, FILE* fp) {
  xyz tip;
  move_xyz(o, axis, Gvars.axis_len, tip);
  write_r3d_cylinder(3, o, tip, Gvars.axis_rad, c, fp);
  if (arrow_about != nullptr) draw_one_arrow_head(tip, axis, *arrow_about, c, fp);
}

}  // namespace

const rgb_t& block_color(int slot) { return Gvars.block_colors[static_cast<size_t>(slot)]; }

void write_r3d_header(const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  xyz max, min, mean;
  get_extremeXYZ_pdb(mol, max, min, mean);
  write_r3d_header(max, min, mean, fp);
}

void write_r3d_header(const xyz& max, const xyz& min, const xyz& mean, FILE* fp) {
  if (fp == nullptr) return;
  double s = Gvars.scale_factor;
  if (s != 0.0 && std::fabs(max[1]) <= 1e36) {
    const double dd = std::min(max[1] - min[1], max[2] - min[2]);
    if (s < 0) s = kScaleMargin + dd;
    prglog_msg("scale_factor=%.2f (dd=%.2f)\n", s, dd);
  }
  std::fprintf(fp, "%s -- Raster3D block schematic\n", Gconsts.version.c_str());
  for (size_t k = 0; k < std::size(kHeaderLines); ++k) {
    if (k == kScaleLine && s > 0)  // centre the structure and scale it to the picture
      std::fprintf(fp, "%.2f %.2f %.2f %.2f    re-set/scaled\n", 0.0 - mean[1], 0.0 - mean[2],
                   0.0 - mean[3], s);
    else
      std::fprintf(fp, "%s\n", kHeaderLines[k]);
  }
  if (Gvars.block_file[BLK_TRANSPARENT]) {
    std::fprintf(fp, "# Material description for colored transparent surface.\n");
    std::fprintf(fp, "# The -1.0 values mean that specular highlights get the base color\n");
    std::fprintf(fp, "# of the object. Taken from Raster3D distributed 'transparent.r3d'\n");
    std::fprintf(fp, "8\n");
    std::fprintf(fp, " 17.  0.6       -1.0 -1.0 -1.0     %.2f   0 0 0 0\n", Gvars.transparency);
  }
}

void write_r3d_triangle(const xyz& p1, const xyz& p2, const xyz& p3, const rgb_t& c, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "1\n");
  for (const xyz* p : {&p1, &p2, &p3}) std::fprintf(fp, "%.3f %.3f %.3f ", (*p)[1], (*p)[2], (*p)[3]);
  std::fprintf(fp, "%.3f %.3f %.3f\n", c[0], c[1], c[2]);
}

void write_one_triangle(const std::vector<alcAtom>& atoms, long offset, long a, long b, long c,
                        const rgb_t& color, FILE* fp) {
  write_r3d_triangle(atoms[offset + a].xyz, atoms[offset + b].xyz, atoms[offset + c].xyz, color, fp);
}

void write_ring_triangle(const std::vector<long>& ring, long a, long b, long c, const rgb_t& color,
                         const struct_mol& mol, FILE* fp) {
  write_r3d_triangle(mol.atoms[ring[a]].xyz, mol.atoms[ring[b]].xyz, mol.atoms[ring[c]].xyz, color, fp);
}

void write_r3d_sphere(const xyz& p, double radius, const rgb_t& c, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "2\n%.3f %.3f %.3f %.3f", p[1], p[2], p[3], radius);
  print_color(c, fp);
}

void write_r3d_cylinder(int type, const xyz& a, const xyz& b, double radius, const rgb_t& c,
                        FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "%d\n%.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f", type, a[1], a[2], a[3], radius,
               b[1], b[2], b[3], radius);
  print_color(c, fp);
}

void draw_one_arrow_head(const xyz& tip, const xyz& d, const xyz& n, const rgb_t& c, FILE* fp) {
  for (double angle : {kArrowAngle, -kArrowAngle}) {
    xyz axis = n, u, end;
    get_vector(d, axis, angle, u);
    move_xyz(tip, u, kArrowLength, end);
    write_r3d_cylinder(3, tip, end, Gvars.axis_rad, c, fp);
  }
}

void write_ref_frame(int k, const frame& f0, FILE* fp) {
  const auto& bf = Gvars.block_file;
  const bool origin = bf[BLK_FRAME_ORIGIN], xy = bf[BLK_FRAME_XY], z = bf[BLK_FRAME_WHOLE];
  if (fp == nullptr || (!origin && !xy && !z && !r3d_global_frame())) return;
  frame f = f0;
  if (bf[BLK_TOP]) f.org[3] += kRaisedFrame;
  const rgb_t& c = color_is_set(block_color(COLOR_FRAME)) ? block_color(COLOR_FRAME) : block_color(k);
  const bool arrow = bf[BLK_ARROW], special = bf[BLK_SPECIAL_ARROW];
  if (xy) {
    draw_axis(f.org, f.x_axis, arrow && !special ? &f.z_axis : nullptr, c, fp);
    draw_axis(f.org, f.y_axis, arrow ? (special ? &f.x_axis : &f.z_axis) : nullptr, c, fp);
  }
  if (z) draw_axis(f.org, f.z_axis, arrow ? (special ? &f.x_axis : &f.y_axis) : nullptr, c, fp);
  if (origin) write_r3d_sphere(f.org, Gvars.origin_rad, c, fp);
}

void write_one_hbond_r3d(const xyz& a, const xyz& b, FILE* fp) {
  xyz d, u;
  diff_xyz(a, b, d);
  const double len = length_xyz(d);
  u = d;
  norm_xyz(u);
  long n = round_long(kHbondDashes * len);
  if (n % 2 == 0) ++n;  // an odd count: the line starts and ends with a dash
  const rgb_t& c = block_color(COLOR_HBOND);
  if (n <= 1) {
    write_r3d_cylinder(5, a, b, kHbondRadius, c, fp);
    return;
  }
  const double step = len / static_cast<double>(n);
  for (long i = 0; i < n; i += 2) {
    xyz p, q;
    move_xyz(a, u, static_cast<double>(i) * step, p);
    move_xyz(a, u, static_cast<double>(i + 1) * step, q);
    write_r3d_cylinder(5, p, q, kHbondRadius, c, fp);
  }
}

void write_hbond_r3d_scene(const xyz& a, const xyz& b, FILE* fp) {
  xyz max{}, min{}, mean{};
  for (int c = 1; c <= 3; ++c) {
    max[c] = std::max(a[c], b[c]);
    min[c] = std::min(a[c], b[c]);
    mean[c] = (a[c] + b[c]) / 2;
  }
  write_r3d_header(max, min, mean, fp);
  write_one_hbond_r3d(a, b, fp);
}

namespace {

// G-tetrad frames (bit 4) and the middle frames of the steps of G4 helices
// (bit 8) and stems (bit 16), from a fresh search of pairs and quadruplexes.
void write_r3d_G4_related_frames(struct_mol& mol, long bits, bool grey, FILE* fp) {
  long n = 0;
  std::vector<pair> pairs;
  find_pairs(mol, n, pairs, 0);
  g4_results r;
  find_G4plexes(mol, n, pairs, r);
  const int color = grey ? COLOR_OTHER : COLOR_GTETRAD;
  if (bits & 4)
    for (long t = 1; t <= r.num_tetrads; ++t) {
      const gtetrad& g = r.tetrads[static_cast<size_t>(t)];
      std::fprintf(fp, "# G4 layer#%ld frame: nts=4 %s\n", t, get_connect_abbr_full_ids(g.nts, mol).c_str());
      write_ref_frame(color, g.f, fp);
    }
  auto steps = [&](const char* kind, long count, const std::vector<g4plex>& list) {
    for (long h = 1; h <= count; ++h) {
      const g4plex& p = list[static_cast<size_t>(h)];
      std::fprintf(fp, "# G4 %s#%ld middle frames: [num=%ld]\n", kind, h, p.num_layers - 1);
      for (long i = 1; i < p.num_layers; ++i) {
        std::fprintf(fp, "#   step#%ld frame: [%s] vs [%s]\n", i,
                     get_connect_abbr_full_ids(p.layers[static_cast<size_t>(i)].nts, mol).c_str(),
                     get_connect_abbr_full_ids(p.layers[static_cast<size_t>(i + 1)].nts, mol).c_str());
        write_ref_frame(color, p.steps[static_cast<size_t>(i)].mid, fp);
      }
    }
  };
  if (bits & 8) steps("helix", r.num_helices, r.helices);
  if (bits & 16) steps("stem", r.num_stems, r.stems);
}

}  // namespace

void write_r3d_frames(struct_mol& mol, const std::string& file) {
  scoped_file out(output_file(file));
  FILE* fp = out.get();
  write_r3d_header(mol, fp);
  const long bits = Gvars.r3d_frame;
  const bool grey = Gvars.block_file[BLK_GREY];
  if (bits & 1) {
    for (long k = 1; k < static_cast<long>(mol.nt_order.size()); ++k) {
      const long i = mol.nt_order[k];
      const frame* f = base_frame(i, mol);
      if (f == nullptr) continue;
      std::fprintf(fp, "# base frame [%s]\n", mol.residues[i].idstr.c_str());
      write_ref_frame(grey ? COLOR_OTHER : mol.residues[i].color_index, *f, fp);
    }
  }
  if (bits & 2) {
    long n = 0;
    std::vector<pair> pairs = populate_base_pairs(mol, n);
    tidyup_and_mark_pairs(n, pairs, mol);
    for (long k = 1; k <= n; ++k) {
      const pair& p = pairs[k];
      if (!is_best_pair(p)) continue;
      std::fprintf(fp, "# pair frame %s [%s vs %s]\n", p.bp.c_str(), mol.residues[p.nt1].idstr.c_str(),
                   mol.residues[p.nt2].idstr.c_str());
      write_ref_frame(grey ? COLOR_OTHER : COLOR_EDGE, p.frame, fp);
    }
  }
  if (bits & (4 | 8 | 16)) write_r3d_G4_related_frames(mol, bits, grey, fp);
  if (bits & 32) {
    std::fprintf(fp, "# global reference frame\n");
    frame g;
    set_identity_frame(g);
    write_ref_frame(COLOR_OTHER, g, fp);
  }
  out.close();
}

}  // namespace vask
