// G4 helices and stems: tetrads stacked into helices by their centres, the
// strands aligned layer to layer, helices cut into backbone-joined stems, the
// strands' directions, glycosidic texts and step codes, isolated tetrads,
// metals and the helix/stem cross-reference. Loops are in g4loop.cpp, steps
// and coaxial stacks in g4step.cpp.
#include "motifs/g4plex.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "pairing/torsion.hpp"
#include "secondary/helix.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long NO_PATH_COST = 8192;  // a layer position not joined along the backbone
constexpr long LONG_PATH = 256;      // steps measured at most

long g4_bulge_steps() { return Gvars.g4_bulge + 1; }

bool inner_has_mark(const std::vector<long>& path, int slot, const struct_mol& mol) {
  for (long k = 2; k < path[0]; ++k)
    if (mol.residues[path[static_cast<size_t>(k)]].flag[slot]) return true;
  return false;
}

long layer_nt(const gtetrad& t, long s) { return t.nts[s]; }

void set_layer_nt(gtetrad& t, long s, long v) { t.nts.members[static_cast<size_t>(s)] = v; }

long direct(long a, long b, const struct_mol& mol) { return both_nts(a, b, mol) && nts_dist1(a, b, mol); }

// Cost of joining A to B position by position; c1 = number of direct links.
long layers_cost(const gtetrad& A, const gtetrad& B, const struct_mol& mol, long& c1) {
  c1 = 0;
  long cost = 0;
  std::vector<long> path;
  for (long p = 1; p <= 4; ++p) {
    const long a = layer_nt(A, p), b = layer_nt(B, p);
    if (direct(a, b, mol)) {
      ++c1;
      cost += 1;
      continue;
    }
    if (!both_nts(a, b, mol) || !nts_i2j_dist(a, b, g4_bulge_steps(), mol, &path) ||
        inner_has_mark(path, rf::g_tetrad, mol)) {
      cost += NO_PATH_COST;
      continue;
    }
    const long d = nts_i2j_dist(a, b, LONG_PATH, mol, nullptr);
    cost += d ? d : LONG_PATH;
  }
  return cost;
}

gtetrad rotated(const gtetrad& B) {
  gtetrad C = B;
  set_layer_nt(C, 1, layer_nt(B, 4));
  for (long s = 2; s <= 4; ++s) set_layer_nt(C, s, layer_nt(B, s - 1));
  return C;
}

bool four_chains(const gtetrad& t, const struct_mol& mol) {
  for (long a = 1; a <= 4; ++a)
    for (long b = a + 1; b <= 4; ++b)
      if (with_same_model_chain(t.nts[a], t.nts[b], mol)) return false;
  return true;
}

double stack_score(long a, long b, const struct_mol& mol) {
  double s = get_outer_overlap_area_byResNum(a, b, mol);
  if (direct(a, b, mol)) s += static_cast<double>(mol.num_nts);
  return s;
}

// Layer k + 1 turned so that its guanines stack on the same strands as those of layer k.
void align_by_stacking(const gtetrad& A, gtetrad& B, const struct_mol& mol) {
  double score[5][5] = {};
  for (long a = 1; a <= 4; ++a)
    for (long b = 1; b <= 4; ++b) score[a][b] = stack_score(layer_nt(A, a), layer_nt(B, b), mol);
  long wi = 0, wj = 0;
  double best = -1.0;
  for (long a = 1; a <= 4; ++a)
    for (long b = 1; b <= 4; ++b) {
      bool mutual = true;  // the best of its row and of its column
      for (long m = 1; m <= 4; ++m) mutual = mutual && score[a][m] <= score[a][b] && score[m][b] <= score[a][b];
      if (mutual && score[a][b] > best) {
        best = score[a][b];
        wi = a;
        wj = b;
      }
    }
  if (!wi) return;
  prglog_msg(" Stacked Gs: %s vs %s: %.2f\n", mol.residues[layer_nt(A, wi)].idstr.c_str(),
             mol.residues[layer_nt(B, wj)].idstr.c_str(), best);
  gtetrad forward = B, backward = B;
  double sf = 0, sb = 0;
  for (long t = 0; t < 4; ++t) {
    const long p = (wi - 1 + t) % 4 + 1;
    set_layer_nt(forward, p, layer_nt(B, (wj - 1 + t) % 4 + 1));
    set_layer_nt(backward, p, layer_nt(B, (wj - 1 - t + 8) % 4 + 1));
  }
  for (long p = 1; p <= 4; ++p) {
    sf += stack_score(layer_nt(A, p), layer_nt(forward, p), mol);
    sb += stack_score(layer_nt(A, p), layer_nt(backward, p), mol);
  }
  B = sf > sb ? forward : backward;
}

}  // namespace

long nt1_nt2_connected_no_G4(long i, long j, const struct_mol& mol) {
  if (!both_nts(i, j, mol)) return 0;
  std::vector<long> path;
  if (!nts_i2j_dist(i, j, g4_bulge_steps(), mol, &path)) return 0;
  return !inner_has_mark(path, rf::g_tetrad, mol);
}

long connected_layers(const gtetrad& A, gtetrad& B, const struct_mol& mol) {
  long c1 = 0, c2 = 0;
  const long cost1 = layers_cost(A, B, mol, c1);
  if (c1 > 2) return 1;
  gtetrad C = rotated(B);
  const long cost2 = layers_cost(A, C, mol, c2);
  if (c2 > 2) {
    B = C;
    return 1;
  }
  if (c1 > 0) {
    if (c2 > 0 && c1 == c2) {
      if (cost2 < cost1) B = C;
      return 1;
    }
    if (cost1 < LONG_PATH) return 1;
  }
  if (c2 > 0 && cost2 < LONG_PATH) {
    B = C;
    return 1;
  }
  double area = 0;
  for (long p = 1; p <= 4; ++p) {
    if (!nt1_nt2_connected_no_G4(layer_nt(A, p), layer_nt(B, p), mol)) return 0;
    area += get_outer_overlap_area_byResNum(layer_nt(A, p), layer_nt(B, p), mol);
  }
  return area >= 3.0;
}

void check_G4helix_strands(struct_mol& mol, g4plex& plex) {
  for (long k = 1; k < plex.num_layers; ++k) {
    const gtetrad& A = plex.layers[static_cast<size_t>(k)];
    gtetrad& B = plex.layers[static_cast<size_t>(k + 1)];
    if (four_chains(A, mol) && four_chains(B, mol)) continue;
    if (connected_layers(A, B, mol)) continue;
    align_by_stacking(A, B, mol);
  }
}

void reverse_Gtetrads_array(long n, std::vector<gtetrad>& layers) {
  std::reverse(layers.begin() + 1, layers.begin() + 1 + n);
}

void xcheck_orientation_glyco_bond(const gtetrad& t, const struct_mol& mol) {
  const bool wc = t.direction == "WC-->Major", major = t.direction == "Major-->WC";
  if ((wc && t.glyco[0] != '-') || (major && t.glyco[0] != 's')) {
    const std::string ids = get_connect_abbr_full_ids(t.nts, mol);
    logit(sformat("[i] orientation and syn/anti for G-tetrad: %s\n", ids.c_str()).c_str());
  }
}

void assemble_nts_per_G4plex(g4plex& plex) {
  std::vector<long> core, all;
  for (long s = 1; s <= 4; ++s) {
    const g4strand& st = plex.strands[static_cast<size_t>(s)];
    for (long k = 1; k <= st.nts.count; ++k) core.push_back(st.nts[k]);
    for (long k = 1; k <= st.bulge_nts.count; ++k) all.push_back(st.bulge_nts[k]);
  }
  for (long l = 1; l <= plex.num_loops; ++l) {
    const connect& nts = plex.loops[static_cast<size_t>(l)].nts;
    for (long k = 2; k < nts.count; ++k) all.push_back(nts[k]);
  }
  all.insert(all.end(), core.begin(), core.end());
  for (auto* v : {&core, &all}) {
    std::sort(v->begin(), v->end());
    v->erase(std::unique(v->begin(), v->end()), v->end());
  }
  plex.core_nts.assign(1, 0);
  plex.core_nts.insert(plex.core_nts.end(), core.begin(), core.end());
  plex.all_nts.assign(1, 0);
  plex.all_nts.insert(plex.all_nts.end(), all.begin(), all.end());
}

void process_one_G4plex(struct_mol& mol, g4plex& plex) {
  const long L = plex.num_layers;
  for (long k = 1; k <= L; ++k) derive_one_Gtetrad_parameters(plex.layers[static_cast<size_t>(k)], mol);
  derive_parameters_per_G4plex(mol, plex);
  if (L > 1) {
    double sum = 0;
    for (long k = 1; k < L; ++k) sum += plex.steps[static_cast<size_t>(k)].pars[6];
    plex.ave_twist = sum / static_cast<double>(L - 1);
  }
  const long g1 = plex.layers[1].nts[1];
  plex.single_chain = 1;
  for (long s = 1; s <= 4; ++s) {
    g4strand& st = plex.strands[static_cast<size_t>(s)];
    st = g4strand{};
    st.index = s;
    long dna = 0, rna = 0;
    for (long k = 1; k <= L; ++k) {
      const gtetrad& t = plex.layers[static_cast<size_t>(k)];
      const long g = t.nts[s];
      add_one_item_to_connect_simple(g, st.nts, "collect G4 strand", mol.warned.connects);
      st.glyco += t.glyco[static_cast<size_t>(s - 1)];
      st.sugar += t.sugar[static_cast<size_t>(s - 1)];
      count_dna_rna(g, mol, dna, rna);
      if (!with_same_model_chain(g1, g, mol)) plex.single_chain = 0;
    }
    st.na_type = assign_na_type(dna, rna);
  }
}

void set_G4stem_directions(struct_mol& mol, g4plex& stem) {
  long nu = 0;
  for (long s = 1; s <= 4; ++s) {
    g4strand& st = stem.strands[static_cast<size_t>(s)];
    long sum = 0;
    for (long k = 1; k < st.nts.count; ++k) {
      const long a = st.nts[k], b = st.nts[k + 1];
      if (!direct(a, b, mol)) continue;
      sum += is_nts_connected(a, b, mol) ? 1 : -1;
    }
    if (sum == 0) sum = st.nts[1] < st.nts[st.nts.count] ? 1 : -1;
    st.direction = sum > 0 ? 1 : -1;
    stem.directions[static_cast<size_t>(s - 1)] = sum > 0 ? 'U' : 'D';
    if (sum > 0) ++nu;
  }
  const long nd = 4 - nu;
  stem.all_parallel = (nu - nd == 4 || nu - nd == -4) ? 1 : 0;
  stem.orientation = nu == 2 ? "anti-parallel" : (nu == 1 || nu == 3) ? "hybrid-(mixed)" : "parallel";
}

void set_G4stem_glyco_codes(g4plex& stem) {
  const long L = stem.num_layers;
  for (long s = 1; s <= 4; ++s) stem.strands[static_cast<size_t>(s)].step_glyco.assign(static_cast<size_t>(L), "");
  static constexpr const char* kCodes[4] = {"--", "s-", "-s", "ss"};
  for (long k = 1; k < L; ++k) {
    bool seen[4] = {false, false, false, false};
    for (long s = 1; s <= 4; ++s) {
      g4strand& st = stem.strands[static_cast<size_t>(s)];
      const char a = st.glyco[static_cast<size_t>(k - 1)], b = st.glyco[static_cast<size_t>(k)];
      std::string code = st.direction > 0 ? std::string{a, b} : std::string{b, a};
      st.step_glyco[static_cast<size_t>(k)] = code;
      for (int c = 0; c < 4; ++c)
        if (code == kCodes[c]) seen[c] = true;
    }
    // fixed order AA, AS, SA, SS, joined by "+"
    static constexpr const char* kNames[4] = {"AA", "SA", "AS", "SS"};
    static constexpr int kOrder[4] = {0, 2, 1, 3};  // "--", "-s", "s-", "ss"
    std::string sum;
    for (int c : kOrder)
      if (seen[c]) sum += (sum.empty() ? "" : "+") + std::string(kNames[c]);
    stem.steps[static_cast<size_t>(k)].glyco_sum = sum.empty() ? ".." : sum;
  }
}

namespace {

// Helices by iterations over the layers not yet used.
void build_G4helices(struct_mol& mol, g4_results& r) {
  const long n0 = r.num_tetrads;
  std::vector<xyz> org(static_cast<size_t>(n0 + 1)), zax(static_cast<size_t>(n0 + 1));
  for (long k = 1; k <= n0; ++k) {
    VASK_ASSERT(r.tetrads[static_cast<size_t>(k)].nts.count == 4);
    frame f;
    get_cnts_frame(mol, r.tetrads[static_cast<size_t>(k)].nts, f);
    org[static_cast<size_t>(k)] = f.org;
    zax[static_cast<size_t>(k)] = f.z_axis;
  }
  std::vector<long> cur(1);
  for (long k = 1; k <= n0; ++k) cur.push_back(k);
  std::vector<std::vector<long>> found;
  for (long iter = 1;; ++iter) {
    const long n = static_cast<long>(cur.size()) - 1;
    prglog_msg("\n\t#iter=%ld\tlist of %ld G4-layers\n", iter, n);
    std::vector<long> used(static_cast<size_t>(n + 1), 0);
    std::vector<connect> lkg(static_cast<size_t>(n + 1));
    if (n != 1) prglog_msg("\nOrdering %ld G4-layers\n", n);
    for (long i = 1; i <= n; ++i) {
      const xyz& oi = org[static_cast<size_t>(cur[i])];
      std::vector<std::pair<double, long>> near;
      for (long j = 1; j <= n; ++j) {
        const xyz& oj = org[static_cast<size_t>(cur[j])];
        if (std::fabs(oi[1] - oj[1]) >= G4_LAYER_DIST || std::fabs(oi[2] - oj[2]) >= G4_LAYER_DIST ||
            std::fabs(oi[3] - oj[3]) >= G4_LAYER_DIST)
          continue;
        near.emplace_back(j == i ? 0.0 : dist_xyz(oi, oj), j);
      }
      std::stable_sort(near.begin(), near.end(), [i](const auto& a, const auto& b) {
        if (a.second == i || b.second == i) return a.second == i && b.second != i;
        return a.first < b.first;
      });
      if (near.size() < 2 || near[1].first > G4_LAYER_DIST) continue;
      const long n1 = near[1].second;
      if (n != 2 && near.size() > 2 && near[2].first <= G4_LAYER_DIST) {
        const long n2 = near[2].second;
        xyz d1, d2;
        diff_xyz(org[static_cast<size_t>(cur[n1])], oi, d1);
        diff_xyz(org[static_cast<size_t>(cur[n2])], oi, d2);
        const xyz& z = zax[static_cast<size_t>(cur[i])];
        const double side = dot_xyz(z, d1) * dot_xyz(z, d2);
        prglog_msg("\t\t%ld: %ld/%ld angle: %.2f\n", i, n1, n2, angle_xyz(d1, d2));
        if (side >= 0) {
          prglog_msg("\t\t[i] -- %ld as end layer with %ld\n", i, n1);
          set_lkg_end(lkg[static_cast<size_t>(i)], n1);
        } else {
          set_lkg_middle(lkg[static_cast<size_t>(i)], n1, n2);
        }
      } else {
        set_lkg_end(lkg[static_cast<size_t>(i)], n1);
      }
    }
    tidyup_linkage(n, lkg);
    for (;;) {
      long start = 0;
      for (long i = 1; i <= n && !start; ++i)
        if (!used[static_cast<size_t>(i)] && lkg[static_cast<size_t>(i)].count == 1) start = i;
      if (!start) break;
      prglog_msg("\n\t------ extract %ld", start);
      std::vector<long> path;
      const long len = extract_one_lkg(lkg, start, path);
      if (len < 2) break;
      std::vector<long> helix_layers;
      for (long m = 1; m <= len; ++m) helix_layers.push_back(cur[static_cast<size_t>(path[m])]);
      found.push_back(helix_layers);
      mask_linkage(len, path, used, n, lkg);
      tidyup_linkage(n, lkg);
      bool all_used = true;
      for (long i = 1; i <= n; ++i) all_used = all_used && used[static_cast<size_t>(i)];
      if (all_used) break;
    }
    if (done_with_collections(n, used)) break;
    std::vector<long> rest(1);
    for (long i = 1; i <= n; ++i)
      if (!used[static_cast<size_t>(i)]) rest.push_back(cur[static_cast<size_t>(i)]);
    cur.swap(rest);
  }
  r.num_helices = static_cast<long>(found.size());
  r.helices.assign(static_cast<size_t>(r.num_helices + 1), g4plex{});
  if (r.num_helices) total_counts("G4-helices", r.num_helices);
  for (long h = 1; h <= r.num_helices; ++h) {
    g4plex& plex = r.helices[static_cast<size_t>(h)];
    plex.index = h;
    for (long t : found[static_cast<size_t>(h - 1)]) plex.layers.push_back(r.tetrads[static_cast<size_t>(t)]);
    plex.num_layers = static_cast<long>(plex.layers.size()) - 1;
    if (Gvars.g4_list.empty()) check_G4helix_strands(mol, plex);
  }
}

bool layers_continue(const gtetrad& A, const gtetrad& B, const struct_mol& mol) {
  long ndirect = 0;
  for (long s = 1; s <= 4; ++s) {
    if (!nt1_nt2_connected_no_G4(A.nts[s], B.nts[s], mol)) return false;
    if (direct(A.nts[s], B.nts[s], mol)) ++ndirect;
  }
  return ndirect > 0;
}

long min_member(const connect& c) {
  long m = c[1];
  for (long k = 2; k <= c.count; ++k) m = std::min(m, c[k]);
  return m;
}

void verify_G1_on_strand1_syn_anti(struct_mol& mol, long n, std::vector<g4plex>& stems) {
  for (long t = 1; t <= n; ++t) {
    g4plex& stem = stems[static_cast<size_t>(t)];
    const long a = stem.layers[1].nts[1], b = stem.layers[2].nts[1];
    if (!direct(a, b, mol)) continue;
    const frame* fa = base_frame(a, mol);
    const frame* fb = base_frame(b, mol);
    if (fa == nullptr || fb == nullptr) continue;
    xyz v;
    diff_xyz(fb->org, fa->org, v);
    const bool opposite = opposite_direction(v, fa->z_axis);
    const bool syn = glyco_syn_G4(a, mol), anti = glyco_anti_G4(a, mol);
    // The base z axis of an anti guanine points to its 3' neighbour, that of a
    // syn one away from it: a stem whose G1 runs that way is in order.
    if ((syn && !opposite) || (anti && opposite)) continue;
    const nt_info& info = mol.nt_infos[a];
    logit(sformat("[i] G1=%s G2=%s opposite=%ld syn=%ld anti=%ld glyco=%s chi=%.1f\n",
                  mol.residues[a].idstr.c_str(), mol.residues[stem.layers[1].nts[2]].idstr.c_str(),
                  static_cast<long>(opposite), static_cast<long>(syn), static_cast<long>(anti),
                  info.glyco_bond.c_str(), info.chi)
              .c_str());
    for (long k = 1; k <= stem.num_layers; ++k) {
      connect& c = stem.layers[static_cast<size_t>(k)].nts;
      std::swap(c.members[2], c.members[4]);
    }
  }
}

void build_G4stems(struct_mol& mol, g4_results& r) {
  runlog_msg("\n Extracting stems ...\n");
  std::vector<g4plex> stems(1);
  for (long h = 1; h <= r.num_helices; ++h) {
    const g4plex& plex = r.helices[static_cast<size_t>(h)];
    runlog_msg("\t%4ld layers=%ld\n", h, plex.num_layers);
    long n0 = 1;
    for (long k = 1; k <= plex.num_layers; ++k) {
      if (k < plex.num_layers &&
          layers_continue(plex.layers[static_cast<size_t>(k)], plex.layers[static_cast<size_t>(k + 1)], mol))
        continue;
      if (k > n0) {
        runlog_msg("\t n0=%ld to k=%ld\n", n0, k);
        g4plex stem;
        for (long m = n0; m <= k; ++m) stem.layers.push_back(plex.layers[static_cast<size_t>(m)]);
        stem.num_layers = k - n0 + 1;
        stems.push_back(std::move(stem));
      }
      n0 = k + 1;
    }
  }
  r.num_stems = static_cast<long>(stems.size()) - 1;
  total_counts("G4-stems", r.num_stems);
  for (long t = 1; t <= r.num_stems; ++t) {
    g4plex& stem = stems[static_cast<size_t>(t)];
    if (min_member(stem.layers[1].nts) > min_member(stem.layers[static_cast<size_t>(stem.num_layers)].nts))
      reverse_Gtetrads_array(stem.num_layers, stem.layers);
    connect& first = stem.layers[1].nts;
    sort_one_connect(first);
    std::array<long, 5> v{0, first[1], first[2], first[3], first[4]};
    if (order_Gtetrad(v, mol))
      for (long m = 1; m <= 4; ++m) first.members[static_cast<size_t>(m)] = v[static_cast<size_t>(m)];
    check_G4helix_strands(mol, stem);
    stem.index = t;
  }
  verify_G1_on_strand1_syn_anti(mol, r.num_stems, stems);
  for (long t = 1; t <= r.num_stems; ++t) process_one_G4plex(mol, stems[static_cast<size_t>(t)]);
  r.stems.swap(stems);
}

void mark_plex_layers(struct_mol& mol, const g4plex& plex, long value, int slot) {
  for (long k = 1; k <= plex.num_layers; ++k) mark_nts_per_collect(mol, plex.layers[static_cast<size_t>(k)].nts, value, slot);
}

void bind_metals(const struct_mol& mol, g4plex& plex) {
  plex.metals.assign(1, 0);
  if (!Gvars.g4[9] || mol.num_metals == 0) return;
  for (long m = 1; m <= mol.num_metals; ++m) {
    const long a = mol.metals[static_cast<size_t>(m)];
    const long res = mol.atoms[static_cast<size_t>(a)].residue;
    const connect& lk = mol.residues[static_cast<size_t>(res)].metals;  // the residues it coordinates
    long n = 0;
    for (long k = 1; k <= lk.count; ++k)
      if (std::binary_search(plex.core_nts.begin() + 1, plex.core_nts.end(), lk[k])) ++n;
    if (n > 3) plex.metals.push_back(a);
  }
}

}  // namespace

void find_G4plexes(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, g4_results& r) {
  r = g4_results{};
  if (!Gvars.g4_list.empty())
    read_G4_list(mol, r.num_tetrads, r.tetrads);
  else
    find_Gtetrads(mol, num_pairs, pairs, r.num_tetrads, r.tetrads);
  if (r.num_tetrads == 0 || Gvars.web_skmatic) return;
  if (r.num_tetrads > 1) {
    build_G4helices(mol, r);
    for (long h = 1; h <= r.num_helices; ++h) process_one_G4plex(mol, r.helices[static_cast<size_t>(h)]);
    if (r.num_helices > 0 && mol.has_backbone) build_G4stems(mol, r);
  }
  // isolated tetrads: those whose G1 lies in no helix layer
  std::vector<char> in_helix(static_cast<size_t>(mol.num_residues + 1), 0);
  for (long h = 1; h <= r.num_helices; ++h)
    for (long k = 1; k <= r.helices[static_cast<size_t>(h)].num_layers; ++k)
      for (long m = 1; m <= 4; ++m)
        in_helix[static_cast<size_t>(r.helices[static_cast<size_t>(h)].layers[static_cast<size_t>(k)].nts[m])] = 1;
  for (long k = 1; k <= r.num_tetrads; ++k) {
    const gtetrad& t = r.tetrads[static_cast<size_t>(k)];
    if (in_helix[static_cast<size_t>(t.nts[1])]) continue;
    r.isolated.push_back(t);
    ++r.num_isolated;
    derive_one_Gtetrad_parameters(r.isolated.back(), mol);
    mark_nts_per_collect(mol, t.nts, r.num_isolated, rf::g4_isolated);
  }
  for (long h = 1; h <= r.num_helices; ++h) mark_plex_layers(mol, r.helices[static_cast<size_t>(h)], h, rf::g4_helix);
  for (long t = 1; t <= r.num_stems; ++t) mark_plex_layers(mol, r.stems[static_cast<size_t>(t)], t, rf::g4_stem);
  for (long t = 1; t <= r.num_stems; ++t) {
    g4plex& stem = r.stems[static_cast<size_t>(t)];
    set_G4stem_directions(mol, stem);
    G4stem_strands_bulges(mol, stem);
    G4stem_strands_loops(mol, stem);
    for (long k = 1; k <= stem.num_layers; ++k) xcheck_orientation_glyco_bond(stem.layers[static_cast<size_t>(k)], mol);
    set_G4stem_glyco_codes(stem);
  }
  for (auto* list : {&r.helices, &r.stems})
    for (size_t h = 1; h < list->size(); ++h) {
      assemble_nts_per_G4plex((*list)[h]);
      bind_metals(mol, (*list)[h]);
    }
  cross_reference_G4helices_stems(mol, r);
  extract_G4extraLoops(mol, r);
}

}  // namespace vask
