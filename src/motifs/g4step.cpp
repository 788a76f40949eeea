// G4 steps (how two consecutive tetrad layers stack: overlap areas per strand
// and per ring, step parameters of the tetrad frames, plane angle, backbone
// links and polarity) and the coaxial stacks of stems within one G4 helix.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "motifs/g4plex.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "pairing/splay.hpp"
#include "structure/residue.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double RING_AREA_MIN = 0.36;  // Angstrom^2: a smaller ring overlap gives no ring code

// Ring atoms of a guanine: the five-membered and the six-membered ring.
constexpr const char* kRing5[] = {" N9 ", " C8 ", " N7 ", " C5 ", " C4 "};
constexpr const char* kRing6[] = {" N1 ", " C2 ", " N3 ", " C4 ", " C5 ", " C6 "};

template <size_t N>
std::vector<long> ring_atoms(long r, const char* const (&names)[N], const struct_mol& mol) {
  std::vector<long> list(1, 0);
  for (const char* nm : names) {
    const long a = find_atom_in_residue(nm, r, mol);
    if (a < 1) return {0};
    list.push_back(a);
  }
  return list;
}

double ring_overlap(const frame* f1, const std::vector<long>& a, const frame* f2, const std::vector<long>& b,
                    const struct_mol& mol) {
  if (a.size() < 4 || b.size() < 4) return 0.0;
  return do_projection_get_oarea(f1, static_cast<long>(a.size()) - 1, a.data(), f2,
                                 static_cast<long>(b.size()) - 1, b.data(), mol);
}

void layer_normal(const gtetrad& t, const struct_mol& mol, xyz& n) {
  const frame* f1 = base_frame(t.nts[1], mol);
  const frame* f2 = base_frame(t.nts[2], mol);
  const frame* f3 = base_frame(t.nts[3], mol);
  n = {0, 0, 0, 0};
  if (f1 == nullptr || f2 == nullptr || f3 == nullptr) return;
  xyz a, b;
  diff_xyz(f2->org, f1->org, a);  // G1 - G2
  diff_xyz(f3->org, f2->org, b);  // G2 - G3
  cross_xyz(a, b, n);
}

void derive_one_step(const gtetrad& A0, const gtetrad& B0, const gtetrad& fA, const gtetrad& fB,
                     struct_mol& mol, g4step& st) {
  gtetrad A = A0, B = B0;
  if (Gvars.g4_list.empty()) {
    std::array<long, 5> v{0, A.nts[1], A.nts[2], A.nts[3], A.nts[4]};
    if (order_Gtetrad_wc2Major(v, mol))
      for (long m = 1; m <= 4; ++m) A.nts.members[static_cast<size_t>(m)] = v[static_cast<size_t>(m)];
    std::array<long, 5> w{0, B.nts[1], B.nts[2], B.nts[3], B.nts[4]};
    if (order_Gtetrad_wc2Major(w, mol))
      for (long m = 1; m <= 4; ++m) B.nts.members[static_cast<size_t>(m)] = w[static_cast<size_t>(m)];
  }
  xyz na, nb;
  layer_normal(A, mol, na);
  layer_normal(B, mol, nb);
  st = g4step{};
  st.polarity = opposite_direction(na, nb) ? "opposite" : "same";
  std::set<long> codes;
  double strand_sum = 0;
  for (long s = 1; s <= 4; ++s) {
    const long g = A0.nts[s], h = B0.nts[s];
    if (nt1_nt2_connected_no_G4(g, h, mol)) ++st.num_lkgs;
    st.strand_areas[static_cast<size_t>(s)] = get_outer_overlap_area_byResNum(g, h, mol);
    strand_sum += st.strand_areas[static_cast<size_t>(s)];
    auto& ring = st.ring_areas[static_cast<size_t>(s)];
    const frame* bg = base_frame(g, mol);
    const frame* bh = base_frame(h, mol);
    if (bg != nullptr && bh != nullptr) {
      const frame* f1 = Gvars.g4[16] ? &fA.f : bg;
      const frame* f2 = Gvars.g4[16] ? &fB.f : bh;
      const auto g5 = ring_atoms(g, kRing5, mol), g6 = ring_atoms(g, kRing6, mol);
      const auto h5 = ring_atoms(h, kRing5, mol), h6 = ring_atoms(h, kRing6, mol);
      const double a55 = ring_overlap(f1, g5, f2, h5, mol), a66 = ring_overlap(f1, g6, f2, h6, mol);
      const double a56 = ring_overlap(f1, g5, f2, h6, mol) + ring_overlap(f1, g6, f2, h5, mol);
      long code = 0;
      if (a55 >= a66 + a56 && a55 >= RING_AREA_MIN) code = 5;
      else if (a66 >= a55 + a56 && a66 >= RING_AREA_MIN) code = 6;
      else if (a56 >= a55 + a66 && a56 >= RING_AREA_MIN) code = 11;
      ring = {a55, a66, a56, static_cast<double>(code)};
      if (code) codes.insert(code);
    }
    for (long t = 1; t <= 4; ++t) st.area_sum += get_outer_overlap_area_byResNum(g, B0.nts[t], mol);
  }
  st.cross_area = st.area_sum - strand_sum;
  for (long c : codes) st.ring_codes += sformat("%2.2ld", c);
  if (st.ring_codes.empty()) st.ring_codes = "--";
  frame f1 = fA.f, f2 = fB.f;
  st.faces = get_stack_faces(f1, f2);
  check_frames_direction(f1, f2);
  get_step_pars_by_frames0(f1, f2, st.pars, &st.mid);
  xyz z1 = fA.f.z_axis, z2 = fB.f.z_axis;
  st.plane_angle = angle_xyz(z1, z2);
}

}  // namespace

void derive_parameters_per_G4plex(struct_mol& mol, g4plex& plex) {
  const long L = plex.num_layers;
  plex.steps.assign(static_cast<size_t>(std::max(L, 1L)), g4step{});
  for (long k = 1; k < L; ++k) {
    const gtetrad& A = plex.layers[static_cast<size_t>(k)];
    const gtetrad& B = plex.layers[static_cast<size_t>(k + 1)];
    derive_one_step(A, B, A, B, mol, plex.steps[static_cast<size_t>(k)]);
  }
}

std::string get_interface_typeStr(long code) {
  static constexpr const char* kInterfaces[6] = {".....", "5'/5'", "5'/3'", "3'/5'", "3'/3'", "mixed"};
  const long c = std::labs(code) - 60;
  std::string name = c >= 0 && c <= 5 ? kInterfaces[c] : kInterfaces[0];
  if (code < 0) name += "-SEPARATED";
  return name;
}

long get_G4stem_idx(const gtetrad& t, const struct_mol& mol) {
  return mol.residues[static_cast<size_t>(t.nts[1])].flag[rf::g4_stem];
}

void cross_reference_G4helices_stems(struct_mol& mol, g4_results& r) {
  std::vector<long> owner(static_cast<size_t>(r.num_stems + 1), 0);
  r.num_costacks = 0;
  for (long h = 1; h <= r.num_helices; ++h) {
    g4plex& hx = r.helices[static_cast<size_t>(h)];
    hx.stems.clear();
    hx.coax_codes.assign(1, 0);
    std::vector<long> stem_of(static_cast<size_t>(hx.num_layers + 1), 0);
    for (long k = 1; k <= hx.num_layers; ++k) stem_of[static_cast<size_t>(k)] = get_G4stem_idx(hx.layers[static_cast<size_t>(k)], mol);
    for (long k = 1; k <= hx.num_layers; ++k) {
      const long t = stem_of[static_cast<size_t>(k)];
      const long next = k < hx.num_layers ? stem_of[static_cast<size_t>(k + 1)] : 0;
      if (k < hx.num_layers && t && next && t != next)
        mol.residues[static_cast<size_t>(hx.layers[static_cast<size_t>(k)].nts[1])].flag[rf::g4_boundary] = 1;
      if (t == 0 || (k < hx.num_layers && t == next)) continue;
      g4plex& stem = r.stems[static_cast<size_t>(t)];
      if (owner[static_cast<size_t>(t)] && owner[static_cast<size_t>(t)] != h) ++r.num_misassigned;
      owner[static_cast<size_t>(t)] = h;
      stem.stems.clear();
      stem.stems.append(h);
      // a stem runs against the helix when its first layer comes after its second
      auto helix_pos = [&](long layer) {
        const long g1 = stem.layers[static_cast<size_t>(layer)].nts[1];
        for (long m = 1; m <= hx.num_layers; ++m)
          if (hx.layers[static_cast<size_t>(m)].nts.has(g1)) return m;
        return 0L;
      };
      const long p1 = helix_pos(1), p2 = helix_pos(2);
      hx.stems.append(p1 > p2 ? -t : t);
    }
    if (hx.stems.count <= 1) continue;
    ++r.num_costacks;
    auto pos = [&](long signed_stem, bool first_layer) {
      const g4plex& stem = r.stems[static_cast<size_t>(std::labs(signed_stem))];
      const long layer = first_layer ? 1 : stem.num_layers;
      const long g1 = stem.layers[static_cast<size_t>(layer)].nts[1];
      for (long m = 1; m <= hx.num_layers; ++m)
        if (hx.layers[static_cast<size_t>(m)].nts.has(g1)) return m;
      return 0L;
    };
    for (long m = 1; m < hx.stems.count; ++m) {
      const long a = hx.stems[m], b = hx.stems[m + 1];
      const long end_a = pos(a, a < 0), start_b = pos(b, b > 0);
      const g4plex& sa = r.stems[static_cast<size_t>(std::labs(a))];
      const g4plex& sb = r.stems[static_cast<size_t>(std::labs(b))];
      long code = 65;
      if (sa.all_parallel && sb.all_parallel) {
        if (a < 0) code = b > 0 ? 61 : 62;
        else code = b > 0 ? 63 : 64;
      }
      if (std::labs(start_b - end_a) > 1) code = -code;
      hx.coax_codes.push_back(code);
    }
  }
  if (r.num_misassigned) logit(sformat("[w]  with %ld G4 helix/stem mis-assignments\n", r.num_misassigned).c_str());
}

}  // namespace vask
