// G4 stem bulges, the loops joining the ends of a stem's strands with their
// types, the loop descriptor and topology name, and the loops outside the
// stems (V-shaped, lateral and diagonal).
#include <algorithm>
#include <cstdlib>

#include "motifs/g4plex.hpp"
#include "motifs/network.hpp"
#include "structure/residue.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long LOOP_MAX_STEPS = 98;    // backbone steps searched between two strand ends
constexpr long EXTRA_MAX_STEPS = 128;  // the same for loops outside the stems

bool path_inner_marked(const std::vector<long>& path, int slot, const struct_mol& mol) {
  for (long k = 2; k < path[0]; ++k)
    if (mol.residues[static_cast<size_t>(path[static_cast<size_t>(k)])].flag[slot]) return true;
  return false;
}

connect path_to_connect(const std::vector<long>& path) {
  connect c;
  for (long k = 1; k <= path[0]; ++k) c.append(path[static_cast<size_t>(k)]);
  return c;
}

// A backbone path (lower index first) of nucleotides a and b within max steps.
bool backbone_path(long a, long b, long max, const struct_mol& mol, std::vector<long>& path) {
  if (!is_nt(a, mol) || !is_nt(b, mol)) return false;
  if (a > b) std::swap(a, b);
  return nts_i2j_dist(a, b, max, mol, &path) > 0;
}

bool linked_or_vdw(long a, long b, const struct_mol& mol) {
  return residues_in_linkage(a, b, mol) || residues_in_vdwCnt(a, b, mol);
}

char lateral_groove_letter(const struct_mol& mol, const g4plex& stem, long a, long b, char sign) {
  const long ref = sign == '-' ? a : b;
  long W = 0, N = 0, M = 0, O = 0;
  for (long k = 1; k <= stem.num_layers; ++k) {
    const char c = stem.layers[static_cast<size_t>(k)].groove[static_cast<size_t>(ref - 1)];
    if (c == 'w') ++W;
    else if (c == 'n') ++N;
    else if (c == '-') ++M;
    else ++O;
  }
  (void)mol;
  if (M > 0) prglog_msg("[w] lateral loop: groove width [stem#%ld, strands(%ld/%ld)]\n", stem.index, a, b);
  const long L = stem.num_layers;
  if (W + O == L || W > N + M) return 'w';
  if (N + O == L || W + M < N) return 'n';
  if (O + M == L || W + N < M) return 'm';
  return 'x';
}

}  // namespace

void G4stem_strands_bulges(struct_mol& mol, g4plex& stem) {
  stem.num_bulged = 0;
  std::vector<long> path;
  for (long s = 1; s <= 4; ++s) {
    g4strand& st = stem.strands[static_cast<size_t>(s)];
    for (long k = 1; k < st.nts.count; ++k) {
      const long a = st.nts[k], b = st.nts[k + 1];
      if (is_nt(a, mol) && is_nt(b, mol) && nts_dist1(a, b, mol)) continue;
      ++st.num_bulges;
      if (!is_nt(a, mol) || !is_nt(b, mol) || !nts_i2j_dist(a, b, Gvars.g4_bulge + 1, mol, &path)) continue;
      for (long m = 2; m < path[0]; ++m)
        add_one_item_to_connect_simple(path[static_cast<size_t>(m)], st.bulge_nts, "collect bulge nts", mol.warned.connects);
    }
    if (st.num_bulges) ++stem.num_bulged;
  }
}

void G4stem_strands_loops(struct_mol& mol, g4plex& stem) {
  stem.loops.assign(1, g4loop{});
  const long L = stem.num_layers;
  auto end_nt = [&stem, L](long s, long e) {
    const connect& c = stem.strands[static_cast<size_t>(s)].nts;
    return e == 0 ? c[1] : c[L];
  };
  auto is_5p = [&stem](long s, long e) {
    const long dir = stem.strands[static_cast<size_t>(s)].direction;
    return (e == 0 && dir > 0) || (e == 1 && dir < 0);
  };
  std::vector<long> path;
  for (long i = 1; i <= 4; ++i)
    for (long j = i + 1; j <= 4; ++j) {
      bool done = false;
      const long d = j - i;
      for (long combo = 0; combo < 4 && !done; ++combo) {
        const long ei = combo / 2, ej = combo % 2;
        if (is_5p(i, ei) == is_5p(j, ej)) continue;
        const long gi = end_nt(i, ei), gj = end_nt(j, ej);
        if (!is_nt(gi, mol) || !is_nt(gj, mol)) continue;
        if (!nts_i2j_dist(gi, gj, LOOP_MAX_STEPS, mol, &path) || path_inner_marked(path, rf::g4_stem, mol)) continue;
        const long si = ei == 0 ? gi : -gi, sj = ej == 0 ? gj : -gj;
        if (path[0] == 2) {
          const std::string line =
              sformat("[%s] %ld:%s (stnd#%ld) directly linked to %ld:%s (stnd#%ld)\n", mol.base_name.c_str(), si,
                      mol.residues[static_cast<size_t>(gi)].idstr.c_str(), i, sj,
                      mol.residues[static_cast<size_t>(gj)].idstr.c_str(), j);
          prglog_msg("%s", line.c_str());
          if (Gvars.experimental) runlog_msg("%s", line.c_str());
        }
        g4loop lp;
        lp.nts = path_to_connect(path);
        if (is_nts_connected(gi, path[2], mol)) {
          lp.from = i, lp.to = j, lp.from_end = si, lp.to_end = sj;
        } else {
          lp.from = j, lp.to = i, lp.from_end = sj, lp.to_end = si;
          std::reverse(lp.nts.members.begin() + 1, lp.nts.members.begin() + 1 + lp.nts.count);
        }
        const bool one_face = ei == ej;
        lp.type = (d == 1 || d == 3) ? (one_face ? 1 : 3) : (one_face ? 2 : 4);
        stem.loops.push_back(std::move(lp));
        done = true;
      }
      if (done || stem.directions[static_cast<size_t>(i - 1)] != 'D' ||
          stem.directions[static_cast<size_t>(j - 1)] != 'D')
        continue;
      // a loop across a chain break, between the guanines of the last layer
      const long gi = end_nt(i, 1), gj = end_nt(j, 1);
      if (!with_same_model_chain(gi, gj, mol) || gi >= gj || gj - gi > 8) continue;
      bool ok = true;
      for (long x = gi + 1; x < gj && ok; ++x) ok = !mol.residues[static_cast<size_t>(x)].flag[rf::g4_stem];
      for (long x = gi; x < gj && ok; ++x) ok = linked_or_vdw(x, x + 1, mol);
      if (!ok) continue;
      g4loop lp;
      for (long x = gi; x <= gj; ++x) lp.nts.append(x);
      lp.from = i, lp.to = j, lp.from_end = gi, lp.to_end = gj;
      lp.type = d == 2 ? 2 : 1;
      stem.loops.push_back(std::move(lp));
    }
  stem.num_loops = static_cast<long>(stem.loops.size()) - 1;
  std::stable_sort(stem.loops.begin() + 1, stem.loops.end(),
                   [](const g4loop& a, const g4loop& b) { return cntOrder_compare(a.nts, b.nts) < 0; });
  set_G4stem_topology(mol, stem);
}

void set_G4stem_topology(const struct_mol& mol, g4plex& stem) {
  std::string codes;
  const bool named = stem.num_loops > 0 && stem.single_chain;
  if (named) {
    for (long l = 1; l <= stem.num_loops; ++l) {
      const g4loop& lp = stem.loops[static_cast<size_t>(l)];
      const long a = lp.from, b = lp.to, d = std::labs(a - b);
      const char sign = d == 1 ? (a > b ? '+' : '-') : d == 3 ? (a > b ? '-' : '+') : ':';
      std::string code;
      switch (lp.type) {
        case 3: code = std::string{sign, 'P'}; break;
        case 2: code = "D"; break;
        case 4: code = "X"; break;
        case 1: code = std::string{sign, 'L', lateral_groove_letter(mol, stem, a, b, sign)}; break;
        default: code = "."; break;
      }
      if (codes.size() + code.size() <= 31) codes += code;
    }
    stem.descriptor = sformat("%ld(%s)", stem.num_layers, codes.c_str());
  }
  long u = 0;
  for (char c : stem.directions) u += c == 'U';
  auto in = [&codes](const char* text) { return std::string(text).find(codes) != std::string::npos; };
  std::string name;
  if (named) {
    if (u == 1) name = in("+Ln+P+P") ? "hybrid-1R" : "UD3";
    if (u == 2) name = in("+Ln+Lw+Ln; -Lw-Ln-Lw") ? "chair" : in("-LwD+Ln; +LnD-Lw") ? "basket" : "";
    if (u == 3)
      name = in("-P-Lw-Ln") ? "hybrid-1" : in("-Lw-Ln-P") ? "hybrid-2" : in("-P-P-Lw") ? "hybrid-2R"
           : in("-PD+Lw") ? "U3D" : "";
    if (u == 4) name = "parallel";
  } else if (u == 4) {
    name = "parallel";
  }
  stem.topology = name + sformat("(%ld+%ld)", u, 4 - u);
}

namespace {

// The strand (1..4) of residue x in the helix, 0 when on none.
long strand_of(const g4plex& h, long x) {
  for (long k = 1; k <= h.num_layers; ++k)
    for (long s = 1; s <= 4; ++s)
      if (h.layers[static_cast<size_t>(k)].nts[s] == x) return s;
  return 0;
}

bool direct_nts(long a, long b, const struct_mol& mol) { return is_nt(a, mol) && is_nt(b, mol) && nts_dist1(a, b, mol); }

void add_extra_loop(std::vector<g4loop>& list, g4loop lp) {
  if (static_cast<long>(list.size()) - 1 >= G4_MAX_EXTRA_LOOPS) return;  // collecting stops at the limit
  list.push_back(std::move(lp));
}

void collect_Vloops(const struct_mol& mol, const g4plex& h, const gtetrad& A, const gtetrad& B,
                    std::vector<g4loop>& list) {
  if (mol.residues[static_cast<size_t>(A.nts[1])].flag[rf::g4_stem]) return;
  long ndirect = 0;
  for (long s = 1; s <= 4; ++s) ndirect += direct_nts(A.nts[s], B.nts[s], mol);
  if (ndirect < 2) return;
  std::vector<long> path;
  for (long q = 1; q <= 4; ++q) {
    const long r = q % 4 + 1;
    const bool dq = direct_nts(A.nts[q], B.nts[q], mol), dr = direct_nts(A.nts[r], B.nts[r], mol);
    if (dq == dr) continue;
    const long other = dq ? r : q;
    if (nt1_nt2_connected_no_G4(A.nts[other], B.nts[other], mol)) continue;
    if (!backbone_path(A.nts[q], A.nts[r], EXTRA_MAX_STEPS, mol, path) || path[0] < 3) continue;
    const long sq = strand_of(h, A.nts[q]), sr = strand_of(h, A.nts[r]);
    bool ok = true, in_B = false, on_q = false, on_r = false;
    long none = 0;
    for (long k = 2; k < path[0] && ok; ++k) {
      const long x = path[static_cast<size_t>(k)];
      const long s = strand_of(h, x);
      if (s == 0) {
        ++none;
        continue;
      }
      if (s != sq && s != sr) ok = false;
      if (s == sq) on_q = true;
      if (s == sr) on_r = true;
      if (B.nts.has(x)) in_B = true;
    }
    if (!ok || !in_B || on_q == on_r) continue;
    g4loop lp;
    lp.nts = path_to_connect(path);
    lp.type = 5;
    lp.reversed = on_q ? 1 : 0;
    lp.helix = h.index;
    if (none) prglog_msg("V-loop with %ld nts not on G4 strands\n", none);
    add_extra_loop(list, std::move(lp));
  }
}

void extra_loops_per_layer(const gtetrad& t, long helix, const struct_mol& mol, std::vector<g4loop>& list) {
  static constexpr long kPairs[6][3] = {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}, {1, 3, 2}, {2, 4, 2}};
  std::vector<long> path;
  for (const auto& p : kPairs) {
    if (!backbone_path(t.nts[p[0]], t.nts[p[1]], EXTRA_MAX_STEPS, mol, path)) continue;
    if (path_inner_marked(path, rf::g4_helix, mol)) continue;
    g4loop lp;
    lp.nts = path_to_connect(path);
    lp.type = p[2];
    lp.helix = helix;
    add_extra_loop(list, std::move(lp));
  }
}

}  // namespace

void extract_G4extraLoops(struct_mol& mol, g4_results& r) {
  prglog_msg("\n......Extracting extra G4 non-stem loops\n");
  std::vector<g4loop> list(1);
  for (long h = 1; h <= r.num_helices; ++h) {
    const g4plex& hx = r.helices[static_cast<size_t>(h)];
    for (long l = 1; l < hx.num_layers; ++l) {
      const gtetrad& A = hx.layers[static_cast<size_t>(l)];
      const gtetrad& B = hx.layers[static_cast<size_t>(l + 1)];
      collect_Vloops(mol, hx, A, B, list);
      prglog_msg("    reversed layers\n");
      collect_Vloops(mol, hx, B, A, list);
    }
  }
  for (long h = 1; h <= r.num_helices; ++h) {
    const g4plex& hx = r.helices[static_cast<size_t>(h)];
    for (long l = 1; l <= hx.num_layers; ++l) {
      const gtetrad& t = hx.layers[static_cast<size_t>(l)];
      if (!mol.residues[static_cast<size_t>(t.nts[1])].flag[rf::g4_stem]) extra_loops_per_layer(t, h, mol, list);
    }
  }
  for (long k = 1; k <= r.num_isolated; ++k) extra_loops_per_layer(r.isolated[static_cast<size_t>(k)], -k, mol, list);
  // a loop holding another one is dropped in favour of the shorter one
  for (bool changed = true; changed;) {
    changed = false;
    for (size_t a = 1; a < list.size() && !changed; ++a)
      for (size_t b = 1; b < list.size() && !changed; ++b)
        if (a != b && is_cnt1_contained_in_cnt2(list[b].nts, list[a].nts)) {
          list.erase(list.begin() + static_cast<long>(a));
          changed = true;
        }
  }
  std::stable_sort(list.begin() + 1, list.end(),
                   [](const g4loop& a, const g4loop& b) { return cntOrder_compare(a.nts, b.nts) < 0; });
  r.num_extra_loops = static_cast<long>(list.size()) - 1;
  prglog_msg("total extra G4 non-stem loops: %ld\n", r.num_extra_loops);
  r.extra_loops.swap(list);
}

}  // namespace vask
