// i-motifs: runs of C.C+ pairs in helices, their four strands, the two
// duplexes and the loops between strands; the report and model file.
#include "motifs/imotif.hpp"

#include <algorithm>

#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

std::vector<imotif> allocate_imotifs_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<imotif>(static_cast<size_t>(n) + 1);
}

void free_imotifs(long, std::vector<imotif>& arr) { arr.clear(); }

long imotif_like_pairs(const pair& p) {
  return p.Saenger_num == 12 || p.Saenger_num == 14 || p.Saenger_num == 15;
}

namespace {

long nt_number(long r, const struct_mol& mol) { return mol.residues[static_cast<size_t>(r)].flag[rf::nt_number]; }

long strand_nt(const imotif& m, long s, long k) {
  return m.nts[static_cast<size_t>(m.strands[static_cast<size_t>(s)].start + k - 1)];
}

long is_CC_pair_nts(long i, long j, struct_mol& mol) {
  pair p;
  populate_one_base_pair(i, j, mol, p);
  return p.CC_pair;
}

// The first loop found among the strand pairs given.
void try_loops(const struct_mol& mol, imotif& m, std::initializer_list<std::array<long, 2>> pairs, bool& found) {
  found = false;
  for (const auto& ab : pairs) {
    std::array<long, 4> loop{};
    if (!per_imotif_loop(mol, m, ab[0], ab[1], loop)) continue;
    m.loops[static_cast<size_t>(++m.num_loops)] = loop;
    found = true;
    return;
  }
}

}  // namespace

long assign_imotif_paired_strands(struct_mol& mol, imotif& m) {
  long duplexes = 0;
  for (long i = 1; i <= 3; ++i) {
    if (m.strands[static_cast<size_t>(i)].key) continue;
    std::vector<long> candidates{i + 1};
    if (i + 2 <= 4) candidates.push_back(i + 2);
    if (i == 1) candidates.push_back(4);
    for (long c : candidates) {
      if (m.strands[static_cast<size_t>(c)].key) continue;
      if (!is_CC_pair_nts(strand_nt(m, i, 1), strand_nt(m, c, 1), mol)) continue;
      m.strands[static_cast<size_t>(i)].key = c;
      m.strands[static_cast<size_t>(c)].key = i;
      imotif_duplex& d = ++duplexes == 1 ? m.duplex1 : m.duplex2;
      d.strands = {0, i, c};
      break;
    }
    if (duplexes == 2) break;
  }
  return duplexes;
}

long per_imotif_loop(const struct_mol& mol, const imotif& m, long a, long b, std::array<long, 4>& loop) {
  loop = {};
  const segidx& sa = m.strands[static_cast<size_t>(a)];
  const long x = m.nts[static_cast<size_t>(sa.end)];
  const long y = strand_nt(m, b, 1);
  if (with_same_model_chain(x, y, mol) && x > y) return 0;
  const long steps = nts_i2j_dist(x, y, mol.num_nts, mol, nullptr);
  // a path across a chain break is no loop: it must walk the nucleotide order
  if (steps == 0 || steps != nt_number(y, mol) - nt_number(x, mol)) return 0;
  loop = {a * 10 + b, nt_number(x, mol), nt_number(y, mol), steps - 1};
  return 1;
}

void derive_imotif_strpars(struct_mol& mol, imotif_duplex& d, const imotif& m) {
  const long a = d.strands[1], b = d.strands[2];
  const long na = m.strands[static_cast<size_t>(a)].count, nb = m.strands[static_cast<size_t>(b)].count;
  // paired strands of unequal length pair their common length, never past the shorter one
  d.num_pairs = std::min(na, nb);
  d.pairs.assign(static_cast<size_t>(d.num_pairs + 1), pair{});
  for (long k = 1; k <= d.num_pairs; ++k) {
    pair& p = d.pairs[static_cast<size_t>(k)];
    populate_one_base_pair(strand_nt(m, a, k), strand_nt(m, b, k), mol, p);
    if (p.bp_params[6] <= IMOTIF_OPENING_FLIP) {
      p.bp_params[6] += 360.0;
      for (int q : {1, 2, 4, 5}) p.bp_params[static_cast<size_t>(q)] = -p.bp_params[static_cast<size_t>(q)];
      for (int q = 1; q <= 3; ++q) {
        p.frame.x_axis[q] = -p.frame.x_axis[q];
        p.frame.y_axis[q] = -p.frame.y_axis[q];
      }
    }
  }
  d.step_pars = allocate_helixPars_array(d.num_pairs);
  for (long k = 1; k < d.num_pairs; ++k)
    calculate_helix_pars(d.pairs[static_cast<size_t>(k)], d.pairs[static_cast<size_t>(k + 1)], mol,
                         d.step_pars[static_cast<size_t>(k)]);
}

void find_imotifs(struct_mol& mol, long num_helices, std::vector<helix>& helices, long& count,
                  std::vector<imotif>& list) {
  count = 0;
  list = allocate_imotifs_array(0);
  if (num_helices == 0 || mol.pair_tallies[TALLY_CC] < 2 || Gvars.web_skmatic) return;
  for (long h = 1; h <= num_helices; ++h) {
    helix& hx = helices[static_cast<size_t>(h)];
    const long n = hx.num_pairs;
    if (n < 2) continue;
    std::vector<long> marks(static_cast<size_t>(n + 1), 0);
    for (long k = 1; k <= n; ++k) marks[static_cast<size_t>(k)] = hx.pairs[static_cast<size_t>(k)].CC_pair;
    long nseg = 0;
    const std::vector<segidx> runs = get_segidx(n, marks, nseg);
    for (long r = 1; r <= nseg; ++r) {
      const segidx& run = runs[static_cast<size_t>(r)];
      if (!run.key || run.count < 2) continue;
      imotif m;
      m.helix = h;
      for (long k = run.start; k <= run.end; ++k) {
        m.nts.push_back(hx.pairs[static_cast<size_t>(k)].nt1);
        m.nts.push_back(hx.pairs[static_cast<size_t>(k)].nt2);
      }
      std::sort(m.nts.begin() + 1, m.nts.end());
      const long num = static_cast<long>(m.nts.size()) - 1;
      if (num % 4 != 0) runlog_msg("[w] helix#%ld with %ld* nts for i-motif\n", h, num);
      long ns = 0;
      const std::vector<segidx> segs =
          get_consecutive_segments(num, m.nts, ns, [&mol](long a, long b) { return is_nts_connected(a, b, mol) != 0; });
      if (ns != 4) {
        runlog_msg("[w] helix#%ld with %ld* strands for i-motif\n", h, ns);
        continue;
      }
      m.num_strands = 4;
      for (long s = 1; s <= 4; ++s) {
        m.strands[static_cast<size_t>(s)] = segs[static_cast<size_t>(s)];
        m.strands[static_cast<size_t>(s)].key = 0;
      }
      if (assign_imotif_paired_strands(mol, m) != 2) continue;  // not two duplexes: no i-motif
      for (const imotif_duplex* d : {&m.duplex1, &m.duplex2}) {
        const long na = m.strands[static_cast<size_t>(d->strands[1])].count;
        const long nb = m.strands[static_cast<size_t>(d->strands[2])].count;
        if (na != nb)
          runlog_msg("[w] helix#%ld: i-motif strands %ld and %ld differ in length (%ld/%ld); "
                     "the common length is paired\n", h, d->strands[1], d->strands[2], na, nb);
      }
      const long p = m.strands[1].key;
      const long o1 = p == 2 ? 3 : 2, o2 = m.strands[static_cast<size_t>(o1)].key;
      bool found = false;
      try_loops(mol, m, {{1, o1}, {1, o2}}, found);
      try_loops(mol, m, {{o1, p}, {p, o1}}, found);
      try_loops(mol, m, {{p, o2}, {o2, p}}, found);
      derive_imotif_strpars(mol, m.duplex1, m);
      derive_imotif_strpars(mol, m.duplex2, m);
      hx.num_imotif_pairs += run.count;
      list.push_back(std::move(m));
      ++count;
    }
  }
  for (long k = 1; k <= count; ++k) {
    const imotif& m = list[static_cast<size_t>(k)];
    for (size_t q = 1; q < m.nts.size(); ++q) mol.residues[static_cast<size_t>(m.nts[q])].flag[rf::i_motif] = 1;
  }
  total_counts("i-motifs", count);
}

namespace {

std::vector<long> strand_list(const imotif& m, long s) {
  std::vector<long> v(1, 0);
  const segidx& g = m.strands[static_cast<size_t>(s)];
  for (long k = g.start; k <= g.end; ++k) v.push_back(m.nts[static_cast<size_t>(k)]);
  return v;
}

std::vector<long> loop_list(const imotif& m, long l, const struct_mol& mol) {
  std::vector<long> v(1, 0);
  const auto& lp = m.loops[static_cast<size_t>(l)];
  for (long t = lp[1] + 1; t < lp[2]; ++t)
    if (t >= 1 && t <= mol.num_nts) v.push_back(mol.nt_residue[static_cast<size_t>(t)]);
  return v;
}

std::string ids_of(const std::vector<long>& v, const struct_mol& mol) {
  return get_residues_abbr_full_ids(static_cast<long>(v.size()) - 1, v, mol);
}

void write_imotifs_pdb(struct_mol& mol, long count, const std::vector<imotif>& list) {
  scoped_file sf(create_file(name_pdbcif_outfile("imotifs")));
  FILE* fp = sf.get();
  if (Gvars.output_format == 2) write_cif_header(fp, mol.base_name);
  for (long k = 1; k <= count; ++k) {
    const imotif& m = list[static_cast<size_t>(k)];
    std::vector<long> path;
    const long first = m.nts[1], last = m.nts.back();
    std::vector<long> nts = m.nts;
    if (nts_i2j_dist(first, last, mol.num_nts, mol, &path) > 0) {
      nts.assign(1, 0);
      for (long q = 1; q <= path[0]; ++q) nts.push_back(path[static_cast<size_t>(q)]);
    }
    begin_ensemble_model(fp, k, {sformat("model=%ld", k)}, mol);
    write_residue_set_pdb_frame(static_cast<long>(nts.size()) - 1, nts, &m.duplex1.pairs[1].frame, 0, mol, fp);
    end_ensemble_model(fp);
  }
  mol.cif_model = 0;
  end_pdbfile(fp);
  sf.close();
}

void json_duplex(const char* key, const imotif_duplex& d, const struct_mol& mol, FILE* fp, bool last) {
  json_begin_object(fp, key);
  json_lNumber(fp, "num_pairs", d.num_pairs);
  json_lNumberArray(fp, "strands", 2, {0, d.strands[1], d.strands[2]});
  json_begin_array(fp, "pairs");
  for (long k = 1; k <= d.num_pairs; ++k) {
    json_strpars(k, d.num_pairs, d.pairs, d.step_pars, mol, fp);
    if (k < d.num_pairs) json_comma(fp);
  }
  json_end_array0(fp);
  if (last)
    json_end_object0(fp);
  else
    json_end_object(fp);
}

}  // namespace

void output_imotifs(struct_mol& mol, long count, const std::vector<imotif>& list, FILE* fp) {
  if (fp == nullptr || count == 0) return;
  if (Gvars.auxfiles) write_imotifs_pdb(mol, count, list);
  if (Gvars.json) {
    json_lNumber(fp, "num_imotifs", count);
    json_begin_array(fp, "imotifs");
    for (long k = 1; k <= count; ++k) {
      const imotif& m = list[static_cast<size_t>(k)];
      json_bareObject_start_with_idx(fp, k);
      json_lNumber(fp, "helix_index", m.helix);
      json_numNts_vec(fp, static_cast<long>(m.nts.size()) - 1, m.nts, mol);
      json_lNumber(fp, "num_strands", m.num_strands);
      json_begin_array(fp, "strands");
      for (long s = 1; s <= 4; ++s) {
        json_bareObject_start_with_idx(fp, s);
        json_lNumber(fp, "paired_strand", m.strands[static_cast<size_t>(s)].key);
        const std::vector<long> v = strand_list(m, s);
        json_abbIds_vec0(fp, "nts", static_cast<long>(v.size()) - 1, v, mol);
        json_bareObject_end_check_idx(fp, s, 4);
      }
      json_end_array(fp);
      if (m.num_loops) {
        json_lNumber(fp, "num_loops", m.num_loops);
        json_begin_array(fp, "loops");
        for (long l = 1; l <= m.num_loops; ++l) {
          json_bareObject_start_with_idx(fp, l);
          const std::vector<long> v = loop_list(m, l, mol);
          json_abbIds_vec0(fp, "nts", static_cast<long>(v.size()) - 1, v, mol);
          json_bareObject_end_check_idx(fp, l, m.num_loops);
        }
        json_end_array(fp);
      }
      json_duplex("duplex1", m.duplex1, mol, fp, false);
      json_duplex("duplex2", m.duplex2, mol, fp, true);
      json_bareObject_end_check_idx(fp, k, count);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, count, "List of %ld i-%s\n", "motif");
  for (long k = 1; k <= count; ++k) {
    const imotif& m = list[static_cast<size_t>(k)];
    std::fprintf(fp, "%4ld helix#%ld nts=%ld %s\n", k, m.helix, static_cast<long>(m.nts.size()) - 1,
                 ids_of(m.nts, mol).c_str());
    for (long s = 1; s <= 4; ++s) {
      const std::vector<long> v = strand_list(m, s);
      std::fprintf(fp, "     strand-%ld(||%ld) nts=%ld %s\n", s, m.strands[static_cast<size_t>(s)].key,
                   static_cast<long>(v.size()) - 1, ids_of(v, mol).c_str());
    }
    for (long l = 1; l <= m.num_loops; ++l) {
      const auto& lp = m.loops[static_cast<size_t>(l)];
      std::fprintf(fp, "     loop#%ld(%ld...%ld) nts=%ld", l, lp[0] / 10, lp[0] % 10, lp[3]);
      std::fprintf(fp, " %s\n", ids_of(loop_list(m, l, mol), mol).c_str());
    }
    for (const imotif_duplex* d : {&m.duplex1, &m.duplex2}) {
      if (d == &m.duplex2) {
        std::fprintf(fp, "     ");
        print_separator(fp, '+', 74);
      }
      std::fprintf(fp, "     Duplex(%ld||%ld), bps=%ld\n", d->strands[1], d->strands[2], d->num_pairs);
      for (long q = 1; q <= d->num_pairs; ++q) {
        std::fprintf(fp, "    ");
        output_strpars(q, d->num_pairs, d->pairs, d->step_pars, mol, fp);
      }
    }
    if (k < count) {
      std::fprintf(fp, "  ");
      print_separator(fp, '-', 74);
    }
  }
}

}  // namespace vask
