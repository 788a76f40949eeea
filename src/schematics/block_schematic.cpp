// Block schematics of a structure as Raster3D scenes.
#include "schematics/block_schematic.hpp"

#include <array>
#include <string>
#include <vector>

#include "motifs/gtetrad.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/torsion.hpp"
#include "schematics/alchemy_schematic.hpp"
#include "schematics/block_template.hpp"
#include "schematics/raster3d.hpp"
#include "structure/chain.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// The six faces of a box as corner numbers (counter-clockwise seen from
// outside) with the frame axis of their normal: 1 x, 2 y, 3 z, sign.
struct box_face {
  std::array<long, 4> corners;
  int axis, sign;
};
constexpr box_face kFaces[6] = {
    {{1, 4, 3, 2}, 1, -1},  // minimum x: minor-groove edge
    {{5, 6, 7, 8}, 1, 1},   // maximum x: major-groove edge
    {{1, 5, 8, 4}, 2, 1},   // maximum y
    {{2, 3, 7, 6}, 2, -1},  // minimum y
    {{1, 2, 6, 5}, 3, 1},   // top
    {{3, 4, 8, 7}, 3, -1},  // bottom
};

constexpr double kSugarStickRadius = 0.01;
constexpr double kC2endoSphere = 0.2;
constexpr double kC3endoSphere = 0.3;

int face_color(int face, int c, int side) {
  const auto& bf = Gvars.block_file;
  auto side_face = [&bf, c]() { return bf[BLK_LEFT] ? COLOR_LEFT : bf[BLK_MAJOR] ? COLOR_MAJOR : c; };
  switch (face) {
    case 1: return bf[BLK_MINOR] ? COLOR_MINOR : c;
    case 2: return bf[BLK_MAJOR] ? COLOR_MAJOR : c;
    case 3: return side_face();
    case 4:
      if (side != 0) return side_face();
      return bf[BLK_RIGHT] ? COLOR_RIGHT : c;
    case 5: return bf[BLK_UPPER] ? COLOR_UPPER : c;
    default: return bf[BLK_LOWER] ? COLOR_LOWER : c;
  }
}

xyz face_normal(const frame& f, const box_face& face) {
  const xyz& axis = face.axis == 1 ? f.x_axis : face.axis == 2 ? f.y_axis : f.z_axis;
  xyz n;
  scalar_times_xyz(axis, face.sign, n);
  return n;
}

void write_normals(const xyz& n, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "7\n%.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f\n", n[1], n[2], n[3], n[1], n[2],
               n[3], n[1], n[2], n[3]);
}

// The base-ring atoms of a nucleotide in fan order (six-ring, then N7 C8 N9
// of a purine), 1-based; empty when an atom is missing.
std::vector<long> base_ring_atoms(long i, const struct_mol& mol) {
  const long n = is_R(i, mol) ? 9 : 6;
  std::vector<long> ring(1, 0);
  for (long k = 1; k <= n; ++k) {
    const long a = find_atom_in_residue(BASE_RING_ATOMS[k], i, mol);
    if (a == -1) return {};
    ring.push_back(a);
  }
  return ring;
}

void fill_base_rings(const struct_mol& mol, FILE* fp) {
  const auto& bf = Gvars.block_file;
  const xyz view{0, 0, 0, 1};  // looking down global z
  constexpr long kFan[7][3] = {{1, 2, 3}, {1, 3, 4}, {1, 4, 5}, {1, 5, 6}, {1, 9, 8}, {1, 8, 7}, {1, 7, 6}};
  for (long k = 1; k < static_cast<long>(mol.nt_order.size()); ++k) {
    const long i = mol.nt_order[k];
    const frame* f = base_frame(i, mol);
    const std::vector<long> ring = base_ring_atoms(i, mol);
    if (f == nullptr || ring.empty()) continue;
    const residue& r = mol.residues[i];
    std::fprintf(fp, "# filled base ring: %s [%ld]\n", r.idstr.c_str(), r.res_seq);
    const double d = dot_xyz(f->z_axis, view);
    const bool up = bf[BLK_FILL_UPPER] && d > 0, down = bf[BLK_FILL_LOWER] && d < 0;
    if (!up && !down) continue;
    const int slot = up ? COLOR_FILL_UPPER : COLOR_FILL_LOWER;
    const rgb_t& c = block_color(slot)[0] >= 0 && block_color(slot)[1] >= 0 && block_color(slot)[2] >= 0
                         ? block_color(slot)
                         : block_color(r.color_index);
    const long num_triangles = ring.size() == 10 ? 7 : 4;
    for (long t = 0; t < num_triangles; ++t) {
      const long a = kFan[t][0], b = up ? kFan[t][1] : kFan[t][2], e = up ? kFan[t][2] : kFan[t][1];
      write_ring_triangle(ring, a, b, e, c, mol, fp);
      if (bf[BLK_NORMAL]) write_normals(f->z_axis, fp);
    }
  }
}

void mark_sugar_puckers(const struct_mol& mol, FILE* fp) {
  for (long k = 1; k < static_cast<long>(mol.nt_order.size()); ++k) {
    const long i = mol.nt_order[k];
    const residue& r = mol.residues[i];
    std::fprintf(fp, "# sugar pucker: %s [%ld]\n", r.idstr.c_str(), r.res_seq);
    const nt_info& nt = mol.nt_infos[i];
    bool complete = true;
    for (long p = 1; p <= 5; ++p) complete = complete && nt.ring[p] != -1;
    if (!complete) continue;
    std::vector<long> ring(nt.ring.begin(), nt.ring.end());
    auto at = [&mol, &ring](long p) -> const xyz& { return mol.atoms[ring[p]].xyz; };
    if (nt.puckering.find("C2") != std::string::npos) {
      const rgb_t& c = block_color(COLOR_C2ENDO);
      write_ring_triangle(ring, 1, 3, 4, c, mol, fp);
      write_ring_triangle(ring, 1, 4, 5, c, mol, fp);
      write_r3d_cylinder(5, at(1), at(3), kSugarStickRadius, c, fp);
      write_r3d_sphere(at(2), kC2endoSphere, c, fp);
    } else if (nt.puckering.find("C3") != std::string::npos) {
      const rgb_t& c = block_color(COLOR_C3ENDO);
      write_ring_triangle(ring, 1, 2, 4, c, mol, fp);
      write_ring_triangle(ring, 1, 4, 5, c, mol, fp);
      write_r3d_cylinder(5, at(2), at(4), kSugarStickRadius, c, fp);
      write_r3d_sphere(at(3), kC3endoSphere, c, fp);
    }
  }
}

bool asks_for_g4_blocks() {
  const auto& bf = Gvars.block_file;
  return bf[BLK_GTETRAD] || bf[BLK_G4_SIDE] || bf[BLK_G4_FULL_SIDE];
}

void draw_box_and_frame(const block_box& b, int slot, int side, const struct_alchemy& model, FILE* fp) {
  if (with_block_face_or_edge()) draw_blocks(b.offset, slot, model, b.f, side, fp);
  if (!Gvars.block_file[BLK_GLOBAL_FRAME_ONLY]) write_ref_frame(slot, b.f, fp);
}

// A model built of G-tetrads alone: four chains without a backbone, four
// guanines per tetrad and nothing else, every tetrad flat.
constexpr double kIdealTetradPlanarity = 0.001;
bool idealized_g4_model(const struct_mol& mol, long num_tetrads, const std::vector<gtetrad>& tetrads) {
  if (num_tetrads < 1 || mol.num_chains != 4 || mol.num_residues != 4 * num_tetrads || mol.has_backbone)
    return false;
  for (long t = 1; t <= num_tetrads; ++t)
    if (tetrads[static_cast<size_t>(t)].planarity > kIdealTetradPlanarity) return false;
  return true;
}

// The C1' atoms of the four chains in residue order, joined along each chain
// by CONECT records, so that a viewer draws the strands such a model lacks.
// The atoms are looked up by name: a residue without C1' leaves no trace.
bool write_g4_backbone_trace(const struct_mol& mol, long num_tetrads) {
  std::vector<std::vector<long>> strands;
  for (long c = 1; c <= 4; ++c) {
    const chain& ch = mol.chains[static_cast<size_t>(c)];
    std::vector<long>& atoms = strands.emplace_back();
    for (long k = 1; k <= ch.num_residues; ++k) {
      const long a = find_atom_in_residue(" C1'", ch.residues[static_cast<size_t>(k)], mol);
      if (a == -1) {
        runlog_msg("[i] no C1' atom in %s: no backbone trace of the G4 model\n",
                   mol.residues[ch.residues[static_cast<size_t>(k)]].idstr.c_str());
        return false;
      }
      atoms.push_back(a);
    }
  }
  scoped_file out(create_file(g4_trace_file_name()));
  FILE* fp = out.get();
  const std::string remark =
      sformat("REMARK  %s: an idealized G4 model, with %ld layers", mol.base_name.c_str(), num_tetrads);
  std::fprintf(fp, "%-80s\n", remark.c_str());
  long serial = 0;
  for (const auto& atoms : strands)
    for (long a : atoms) {
      atom c1 = mol.atoms[static_cast<size_t>(a)];
      c1.serial = ++serial;
      write_atom_record_pdb(fp, c1, mol);
    }
  long first = 1;  // serial of the chain's first atom
  for (const auto& atoms : strands) {
    const long last = first + static_cast<long>(atoms.size()) - 1;
    for (long k = first; k <= last && first < last; ++k) {  // a lone atom has no neighbour
      std::vector<long> neighbours;
      if (k > first) neighbours.push_back(k - 1);
      if (k < last) neighbours.push_back(k + 1);
      write_conect_record(fp, k, neighbours);
    }
    first = last + 1;
  }
  out.close();
  return true;
}

// Peptide boxes (positive values: frame numbers), then planar side chains.
void write_amino_acid_blocks(struct_mol& mol, FILE* fp) {
  const auto& bf = Gvars.block_file;
  if (!(bf[BLK_PEPTIDE] || bf[BLK_SIDECHAIN]) || number_of_amino_frames(mol) == 0) return;
  struct_alchemy model;
  std::vector<block_box> boxes;
  std::vector<bool> peptide;
  auto place = [&](const struct_alchemy& t, long k, bool is_peptide) {
    const frame& f = mol.frames[k];
    const long offset = fillout_alc_per_block(t, &f, is_peptide ? k : -k, model);
    boxes.push_back({offset, t.num_atoms, f.residue, -1, 0, f});
    peptide.push_back(is_peptide);
  };
  if (bf[BLK_PEPTIDE]) {
    struct_alchemy t;
    read_peptide_block(t);
    for (long k = 1; k <= mol.num_frames; ++k)
      if (mol.frames[k].type == FRAME_BACKBONE) place(t, k, true);
  }
  if (bf[BLK_SIDECHAIN]) {
    for (long k = 1; k <= mol.num_frames; ++k) {
      if (mol.frames[k].type != FRAME_AROMATIC) continue;
      struct_alchemy t;
      read_sidechain_block(mol.residues[mol.frames[k].residue].std_name, t);
      place(t, k, false);
    }
  }
  std::fprintf(fp, "# peptide/side-chain planar blocks: %ld\n", static_cast<long>(boxes.size()));
  for (size_t b = 0; b < boxes.size(); ++b) {
    const residue& r = mol.residues[boxes[b].residue];
    std::fprintf(fp, "# %s %s [%ld]\n", peptide[b] ? "peptide" : "side chain", r.idstr.c_str(), r.res_seq);
    const int slot = bf[BLK_GREY] ? COLOR_OTHER : peptide[b] ? COLOR_PEPTIDE : COLOR_SIDECHAIN;
    if (with_block_face_or_edge()) draw_blocks(boxes[b].offset, slot, model, boxes[b].f, 0, fp);
  }
}

void write_hbond_lines(const struct_mol& mol, FILE* fp) {
  if (!Gvars.block_file[BLK_HBOND] || mol.num_hbonds == 0) return;
  std::fprintf(fp, "# %ld H-bonds\n", mol.num_hbonds);
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    const bond& h = mol.hbonds[k];
    const atom &a = mol.atoms[h.atom1], &b = mol.atoms[h.atom2];
    const std::string elements = trimmed(a.element) + ":" + trimmed(b.element);
    std::fprintf(fp, "#%-5ld %5ld %5ld %c %8.3f %s %s %s\n", k, a.serial, b.serial, h.type,
                 h.distance, elements.c_str(), a.idstr.c_str(), b.idstr.c_str());
    write_one_hbond_r3d(a.xyz, b.xyz, fp);
  }
}

}  // namespace

void draw_blocks(long offset, int slot, const struct_alchemy& model, const frame& f, int side,
                 FILE* fp) {
  const auto& bf = Gvars.block_file;
  VASK_ASSERT(offset + BLOCK_CORNERS <= model.num_atoms);
  const bool normals = side != -1 || bf[BLK_NORMAL];
  std::array<std::array<int, BLOCK_CORNERS + 1>, BLOCK_CORNERS + 1> edge{};  // colour slot + 1; 0 none
  for (int k = 1; k <= 6; ++k) {
    const box_face& face = kFaces[k - 1];
    const int c = face_color(k, slot, side);
    const auto& v = face.corners;
    if (bf[BLK_FACE]) {
      const xyz n = face_normal(f, face);
      for (const auto& t : {std::array<long, 3>{v[0], v[1], v[2]}, std::array<long, 3>{v[0], v[2], v[3]}}) {
        write_one_triangle(model.atoms, offset, t[0], t[1], t[2], block_color(c), fp);
        if (normals) write_normals(n, fp);
      }
    }
    if (bf[BLK_EDGE]) {
      const int ec = bf[BLK_EDGE_COLOR] ? COLOR_EDGE : c;
      for (size_t e = 0; e < 4; ++e) {
        long a = v[e], b = v[(e + 1) % 4];
        if (a > b) std::swap(a, b);
        int& cell = edge[static_cast<size_t>(a)][static_cast<size_t>(b)];
        if (cell == 0 || ec != slot) cell = ec + 1;
      }
    }
  }
  if (!bf[BLK_EDGE]) return;
  for (long i = 1; i <= BLOCK_CORNERS; ++i)
    for (long j = i + 1; j <= BLOCK_CORNERS; ++j) {
      const int cell = edge[static_cast<size_t>(i)][static_cast<size_t>(j)];
      if (cell == 0) continue;
      write_r3d_cylinder(3, model.atoms[offset + i].xyz, model.atoms[offset + j].xyz, Gvars.block_edge,
                         block_color(cell - 1), fp);
    }
}

std::string g4_trace_file_name() { return sformat("%.*s-G4modelBBLkg.pdb", 256, Gvars.prefix.c_str()); }

bool write_nucleic_acid_blocks(struct_mol& mol, FILE* fp) {
  const auto& bf = Gvars.block_file;
  if (fp != nullptr && r3d_fill_base()) fill_base_rings(mol, fp);
  if (fp != nullptr && bf[BLK_SUGAR]) mark_sugar_puckers(mol, fp);
  if (bf[BLK_NO_BASE] || number_of_base_frames(mol) == 0) return false;
  bool g4_trace = false;
  const bool side_g4 = bf[BLK_G4_SIDE] || bf[BLK_G4_FULL_SIDE];
  struct_alchemy model;
  std::vector<block_box> boxes;
  std::vector<char> drawn(static_cast<size_t>(mol.num_residues) + 1, 0);
  long n = 0;
  std::vector<pair> pairs;
  if (bf[BLK_PAIR] || bf[BLK_CANONICAL] || asks_for_g4_blocks()) find_pairs(mol, n, pairs, 0);
  if (asks_for_g4_blocks()) {
    long num_tetrads = 0;
    std::vector<gtetrad> tetrads;
    find_Gtetrads(mol, n, pairs, num_tetrads, tetrads);
    if (!side_g4) {
      get_Gtetrad_blocks(mol, num_tetrads, tetrads, model, drawn, &boxes);
    } else {
      if (idealized_g4_model(mol, num_tetrads, tetrads)) g4_trace = write_g4_backbone_trace(mol, num_tetrads);
      struct_alchemy slab;
      read_g4_side_block(bf[BLK_G4_FULL_SIDE] != 0, slab);
      for (long t = 1; t <= num_tetrads; ++t)
        for (long m = 1; m <= 4; ++m) {
          const long g = tetrads[static_cast<size_t>(t)].nts[m];
          const frame* f = base_frame(g, mol);
          if (f == nullptr) continue;
          const long offset = fillout_alc_per_block(slab, f, static_cast<double>(mol.residues[g].res_seq), model);
          boxes.push_back({offset, slab.num_atoms, g, -1, 0, *f});
          drawn[static_cast<size_t>(g)] = 1;
        }
    }
  }
  if (bf[BLK_PAIR] || bf[BLK_CANONICAL]) get_pair_blocks(bf[BLK_CANONICAL], mol, n, pairs, model, drawn, &boxes);
  append_base_blocks(mol, drawn, model, &boxes);
  close_alc_filling(model);
  if (fp == nullptr) return g4_trace;
  std::fprintf(fp, "# base blocks: %ld\n", static_cast<long>(boxes.size()));
  for (const block_box& b : boxes) {
    const residue& r = mol.residues[b.residue];
    int slot = r.color_index, side = 0;
    if (b.partner == -1 && r.flag[rf::g_tetrad] && drawn[static_cast<size_t>(b.residue)]) {
      std::fprintf(fp, "# G4-block: %s [%ld]\n", r.idstr.c_str(), r.res_seq);
      slot = COLOR_GTETRAD;
      side = side_g4 ? -1 : 1;
    } else if (b.partner != -1) {
      std::fprintf(fp, "# %s pair: %s [%ld] -- %s\n", b.wc ? "WC" : "wobble", r.idstr.c_str(), r.res_seq,
                   mol.residues[b.partner].idstr.c_str());
      side = 1;
      if (bf[BLK_PAIR_COLOR]) {
        const bool gc = std::string_view("cCgG").find(r.letter) != std::string_view::npos;
        slot = !b.wc ? COLOR_GU : gc ? COLOR_GC : COLOR_AT;
      }
    } else {
      std::fprintf(fp, "# %s [%ld]\n", r.idstr.c_str(), r.res_seq);
      if (bf[BLK_SYN] && glyco_syn(b.residue, mol)) slot = COLOR_SYN;
    }
    if (bf[BLK_GREY]) slot = COLOR_OTHER;
    draw_box_and_frame(b, slot, side, model, fp);
  }
  return g4_trace;
}

bool write_block_file(struct_mol& mol, const std::string& file) {
  scoped_file out(output_file(file));
  FILE* fp = out.get();
  write_r3d_header(mol, fp);
  if (r3d_global_frame()) {
    std::fprintf(fp, "# global reference frame\n");
    frame g;
    set_identity_frame(g);
    write_ref_frame(COLOR_OTHER, g, fp);
  }
  const bool g4_trace = write_nucleic_acid_blocks(mol, fp);
  write_amino_acid_blocks(mol, fp);
  write_hbond_lines(mol, fp);
  out.close();
  return g4_trace;
}

}  // namespace vask
