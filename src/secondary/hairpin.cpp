// Hairpin loops: candidates from the end pairs of every stem and from the
// isolated canonical pairs, the residue marks, the embedding hairpins and the
// report sections.
#include "secondary/hairpin.hpp"

#include <algorithm>

#include "pairing/frame.hpp"
#include "secondary/xref.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// Isolated canonical pairs close hairpins and count as partners.
bool with_icpairs() { return (Gvars.isolated & 2) != 0; }

long& mark(long k, int slot, struct_mol& mol) { return mol.residues[k].flag[static_cast<size_t>(slot)]; }

// The middle frame of the two base frames turned to the side view; a pair
// without both base frames keeps the identity frame.
frame get_side_frame_by_2nts(long a, long b, const struct_mol& mol) {
  frame side;
  const frame* fa = base_frame(a, mol);
  const frame* fb = base_frame(b, mol);
  if (fa == nullptr || fb == nullptr) return side;
  frame mid;
  get_middle_bp_frame(*fa, *fb, mid);
  side = mid;
  for (int k = 1; k <= 3; ++k) {
    side.x_axis[k] = -mid.y_axis[k];
    side.y_axis[k] = mid.z_axis[k];
    side.z_axis[k] = -mid.x_axis[k];
  }
  return side;
}

// One candidate pass over the closing pairs, in the fixed order: each stem's
// first then last pair, then the isolated pairs.
class hairpin_search {
 public:
  hairpin_search(struct_mol& mol, const helix_slots& helices, bool embed)
      : mol_(mol), helices_(helices), embed_(embed), stamp_(static_cast<size_t>(mol.num_residues) + 1, 0) {}

  std::vector<hairpin> run() {
    std::vector<long> path;
    for (long k = 1; k <= helices_.num_stems; ++k) {
      const helix& S = helices_.stems[k];
      for (long end : {1L, S.num_pairs}) {
        const pair& p = S.pairs[end];
        const long d = nts_i2j_dist(p.nt1, p.nt2, mol_.num_nts, mol_, &path);
        if (d == 0) continue;
        bool crosses = false;  // the path runs through its own stem
        for (long m = 2; m <= d && !crosses; ++m) crosses = get_stem_icpair_idx(path[m], mol_) == k;
        if (!crosses) verify(k, d, p.nt1, p.nt2, path);
      }
    }
    if (with_icpairs()) {
      for (long k = 1; k <= helices_.num_isolated_pairs; ++k) {
        const pair& p = helices_.isolated_pairs[k];
        const long d = nts_i2j_dist(p.nt1, p.nt2, mol_.num_nts, mol_, &path);
        if (d > 0) verify(-k, d, p.nt1, p.nt2, path);
      }
    }
    return std::move(found_);
  }

 private:
  // Accepts the candidate unless a pair lies wholly inside its loop; pairs
  // reaching out of the loop (pseudoknotted contacts) are allowed.
  void verify(long key, long d, long a, long b, const std::vector<long>& path) {
    hairpin h;
    populate_one_hairpin(mol_, key, d, a, b, path, h);
    if (d > 1) {
      ++tick_;
      for (long m = 2; m <= d; ++m) stamp_[h.nts[m]] = tick_;
      for (long m = 2; m <= d; ++m) {
        const long x = h.nts[m];
        const long partner = with_icpairs() ? get_cpair_nt(x, mol_) : get_stem_nt(x, mol_);
        if (partner <= 0 || stamp_[partner] != tick_) continue;
        const long e = mark(x, rf::embed_mark, mol_);
        if (embed_ && e != 0 && e == mark(partner, rf::embed_mark, mol_)) continue;
        return;
      }
    }
    found_.push_back(std::move(h));
  }

  struct_mol& mol_;
  const helix_slots& helices_;
  bool embed_;
  std::vector<long> stamp_;  // per residue: the tick of the candidate whose inner part holds it
  long tick_ = 0;
  std::vector<hairpin> found_;
};

void mark_residue_str_hairpin(long n, const std::vector<hairpin>& hairpins, struct_mol& mol) {
  for (long h = 1; h <= n; ++h) {
    const hairpin& H = hairpins[h];
    for (long m = 1; m <= H.num_nts; ++m) {
      const long k = H.nts[m];
      const long count = ++mark(k, rf::hairpin_count, mol);
      if (count > 1 && verbose2())
        logitf("[i] nt=%s is involved in %ld hairpin loops\n", mol.residues[k].idstr.c_str(), count);
      mark(k, rf::hairpin, mol) = h;
    }
  }
}

// Marks the nucleotides of hairpin H and of its closing stem (not of an
// isolated pair) with value.
void mark_with_stem(const hairpin& H, long value, const helix_slots& helices, struct_mol& mol) {
  for (long m = 1; m <= H.num_nts; ++m) mark(H.nts[m], rf::embed_mark, mol) = value;
  if (H.key <= 0 || H.key > helices.num_stems) return;
  const helix& S = helices.stems[H.key];
  for (long k = 1; k <= S.num_pairs; ++k) {
    mark(S.strand1[k], rf::embed_mark, mol) = value;
    mark(S.strand2[k], rf::embed_mark, mol) = value;
  }
}

void reset_embedded_hairpins(long n, std::vector<hairpin>& hairpins, long n2, std::vector<hairpin>& embedding,
                             const helix_slots& helices, struct_mol& mol) {
  for (long e = 1; e <= n2; ++e) {
    hairpin& E = embedding[e];
    for (long h = 1; h <= n; ++h) {
      hairpin& H = hairpins[h];
      if (H.num_nts < 2) continue;
      const long first_loop_nt = H.nts[2];
      const auto inner_begin = E.nts.begin() + 2, inner_end = E.nts.begin() + E.num_nts;
      if (E.num_nts < 3 || std::find(inner_begin, inner_end, first_loop_nt) == inner_end) continue;
      ++H.embed_count;
      if (!H.links.has(e)) H.links.append(e);
      if (!E.links.has(h)) E.links.append(h);
      break;  // only the first enclosed hairpin is linked
    }
  }
  for (long h = 1; h <= n; ++h)
    if (hairpins[h].embed_count != 0) mark_with_stem(hairpins[h], hairpins[h].embed_count, helices, mol);
}

void find_embedding_hairpins(struct_mol& mol, const helix_slots& helices, hairpin_slots& out) {
  std::vector<hairpin>& list = out.hairpins;
  const long n = out.num_hairpins;
  long simple = 0;
  for (long h = 1; h <= n; ++h) {
    hairpin& H = list[h];
    bool inner_pair = false;
    for (long m = 2; m < H.num_nts && !inner_pair; ++m) inner_pair = get_cpair_nt(H.nts[m], mol) != 0;
    if (!inner_pair) H.embed_count = ++simple;
  }
  if (simple == 0) return;
  for (long h = 1; h <= n; ++h)
    if (list[h].embed_count != 0) mark_with_stem(list[h], list[h].embed_count, helices, mol);
  std::vector<hairpin> candidates = hairpin_search(mol, helices, true).run();
  std::vector<hairpin> embedding(1);
  for (hairpin& C : candidates) {
    long marked = 0;
    for (long m = 1; m <= C.num_nts; ++m) marked += mark(C.nts[m], rf::embed_mark, mol) != 0;
    if (marked == 0 || marked >= C.num_nts) continue;
    C.is_embedding = 1;
    embedding.push_back(std::move(C));
  }
  for (long h = 1; h <= n; ++h) list[h].embed_count = 0;
  for (long r = 1; r <= mol.num_residues; ++r) mark(r, rf::embed_mark, mol) = 0;
  const long n2 = static_cast<long>(embedding.size()) - 1;
  if (n2 > 0) reset_embedded_hairpins(n, list, n2, embedding, helices, mol);
  out.num_embedding = n2;
  out.embedding.swap(embedding);
}

std::string summary_of(const hairpin& H, const helix_slots& helices, const struct_mol& mol) {
  const residue& a = mol.residues[H.nt1];
  const residue& b = mol.residues[H.nt2];
  const long pairs = H.key > 0 && H.key <= helices.num_stems ? helices.stems[H.key].num_pairs : 1;
  return sformat("[1] %ld [%s.%ld %s.%ld] %ld", H.num_loop_nts, a.chain_id.c_str(), a.res_seq,
                 b.chain_id.c_str(), b.res_seq, pairs);
}

// The loop nucleotides: positions 2..num_nts - 1.
std::vector<long> loop_nts(const hairpin& H) {
  std::vector<long> v(1, 0);
  for (long m = 2; m < H.num_nts; ++m) v.push_back(H.nts[m]);
  return v;
}

void json_hairpins(long n, const std::vector<hairpin>& hairpins, const struct_mol& mol, bool embedding,
                   FILE* fp) {
  json_lNumber(fp, embedding ? "num_embedding_hairpins" : "num_hairpins", n);
  json_begin_array(fp, embedding ? "embedding_hairpins" : "hairpins");
  for (long k = 1; k <= n; ++k) {
    const hairpin& H = hairpins[k];
    json_bareObject_start_with_idx(fp, k);
    json_string(fp, "type", "hairpin loop");
    json_lNumberArray(fp, "bridging_nts", 1, {0, H.num_loop_nts});
    json_lNumberArray(fp, "stem_indices", 1, {0, H.key});
    json_string(fp, "summary", H.summary);
    json_numNts_vec(fp, H.num_nts, H.nts, mol);
    json_lNumber(fp, "num_stems", 1);
    json_begin_array(fp, "bridges");
    json_bareObject_start_with_idx(fp, 1);
    const std::vector<long> loop = loop_nts(H);
    json_numNts_vec0(fp, H.num_loop_nts, loop, mol);
    json_raw_text(fp, "}");
    json_end_array0(fp);
    json_bareObject_end_check_idx(fp, k, n);
  }
  json_end_array(fp);
}

}  // namespace

std::vector<hairpin> allocate_hairpins_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<hairpin>(static_cast<size_t>(n) + 1);
}

void free_hairpins(long n, std::vector<hairpin>& hairpins) {
  (void)n;
  std::vector<hairpin>().swap(hairpins);
}

void populate_one_hairpin(const struct_mol& mol, long key, long d, long a, long b,
                          const std::vector<long>& path, hairpin& h) {
  VASK_ASSERT(d >= 1 && path.size() >= static_cast<size_t>(d) + 2 && path[0] == d + 1 && path[1] == a);
  h = hairpin{};
  h.num_nts = d + 1;
  h.nts.assign(path.begin(), path.begin() + d + 2);
  h.nts[0] = 0;
  h.nt1 = a;
  h.nt2 = b;
  h.key = key;
  h.start = 1;
  h.end = h.num_nts;
  h.num_loop_nts = d - 1;
  long up = 0, down = 0;
  for (long m = 1; m <= d; ++m) (h.nts[m + 1] > h.nts[m] ? up : down) += 1;
  if (up != d && down != d) {
    const long c = on_na_chain(a, mol);
    h.in_order = c >= 1 && c <= mol.num_chains ? mol.chains[c].circular : 0;
  }
  h.text = sformat("hairpin loop: nts=%ld; [%ld]; linked by [#%ld]", h.num_nts, h.num_loop_nts, key);
  h.side_frame = get_side_frame_by_2nts(a, b, mol);
  if (verbose2()) logitf("[i] hairpin-loop -- %s#%ld: %ld\n", mol.base_name.c_str(), key, d);
}

bool hairpin_compare(const hairpin& a, const hairpin& b) {
  if (Gvars.loop[1] && a.num_nts != b.num_nts) return a.num_nts < b.num_nts;
  return a.nts[1] < b.nts[1];
}

void find_hairpins(struct_mol& mol, const helix_slots& helices, hairpin_slots& out) {
  out.num_hairpins = 0;
  out.hairpins.clear();
  out.num_embedding = 0;
  out.embedding.clear();
  if (helices.num_stems == 0 && helices.num_isolated_pairs == 0) return;
  std::vector<hairpin> found = hairpin_search(mol, helices, false).run();
  std::stable_sort(found.begin(), found.end(), hairpin_compare);
  const long n = static_cast<long>(found.size());
  total_counts("hairpin loops", n);
  out.hairpins.resize(1);
  for (hairpin& h : found) out.hairpins.push_back(std::move(h));
  out.num_hairpins = n;
  mark_residue_str_hairpin(n, out.hairpins, mol);
  if (Gvars.embedded && n >= 2) find_embedding_hairpins(mol, helices, out);
  for (long h = 1; h <= n; ++h) {
    hairpin& H = out.hairpins[h];
    H.summary = summary_of(H, helices, mol);
    mark(H.nt1, rf::loop_closing, mol) = 1;
    mark(H.nt2, rf::loop_closing, mol) = 1;
  }
  for (long e = 1; e <= out.num_embedding; ++e) out.embedding[e].summary = summary_of(out.embedding[e], helices, mol);
}

void show_hairpin_nts(long n, const std::vector<hairpin>& hairpins, const struct_mol& mol, bool embedding,
                      FILE* fp) {
  if (fp == nullptr || n == 0) return;
  if (Gvars.json) {
    json_hairpins(n, hairpins, mol, embedding, fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, embedding ? "List of %ld embedding hairpin %s\n" : "List of %ld hairpin %s\n", "loop");
  for (long k = 1; k <= n; ++k) {
    const hairpin& H = hairpins[k];
    std::fprintf(fp, "%4ld %s", k, H.text.c_str());
    if (Gvars.embedded && H.links.count > 0 && (H.embed_count != 0 || H.is_embedding)) {
      std::fprintf(fp, H.embed_count != 0 ? "  embedded into %ld: [" : "  embedding %ld: [", H.links.count);
      for (long m = 1; m <= H.links.count; ++m)
        std::fprintf(fp, m < H.links.count ? "#%ld," : "#%ld]", H.links[m]);
    }
    std::fprintf(fp, "\n");
    if (Gvars.loop[4]) std::fprintf(fp, "     summary: %s\n", H.summary.c_str());
    std::fprintf(fp, "     nts=%ld %s\n", H.num_nts, get_residues_abbr_full_ids(H.num_nts, H.nts, mol).c_str());
    if (H.num_loop_nts > 0)
      std::fprintf(fp, "       nts=%ld%s %s\n", H.num_loop_nts, H.in_order ? "" : "*",
                   get_residues_abbr_full_ids(H.num_loop_nts, loop_nts(H), mol).c_str());
    else
      std::fprintf(fp, "       nts=0\n");
  }
}

void output_hairpins_info(const struct_mol& mol, const hairpin_slots& found, FILE* fp) {
  if (fp == nullptr || found.num_hairpins == 0) return;
  if (!Gvars.json) print_loops_note(fp);
  show_hairpin_nts(found.num_hairpins, found.hairpins, mol, false, fp);
  if (Gvars.embedded) show_hairpin_nts(found.num_embedding, found.embedding, mol, true, fp);
}

void print_loops_note(FILE* fp) {
  if (fp == nullptr) return;
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  std::fprintf(fp,
                 "Note: for the various types of loops listed below, numbers within the first\n"
                 "      set of brackets are the number of loop nts, and numbers in the second\n"
                 "      set of brackets are the identities of the stems (positive number) or\n"
                 "      isolated WC/wobble pairs (negative numbers) to which they are linked.\n");
}

}  // namespace vask
