// Nucleotide features, B-factor means and the nucleotide and chain JSON.
#include "pairing/nt_features.hpp"

#include <algorithm>
#include <vector>

#include "pairing/frame.hpp"
#include "pairing/suite.hpp"
#include "pairing/torsion.hpp"
#include "structure/atom.hpp"
#include "structure/chain.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long SUMMARY_PLACEHOLDER = 2;  // bits of the summary setting
constexpr long SUMMARY_INDEX = 4;

const char* const kCsvHeadShort =
    "modified,pseudoknotted,turn,break,u-turn,k-turn,sugar_conf,puckering,BI,nt-stacking,"
    "canonical,non-canonical,non-pair-contact,helix,stem,coaxial-stack,multiplet,hairpin-loop,"
    "bulge,internal-loop,junction-loop,ss-non-loop,A-minor,G-tetrad,i-motif,ribose-zipper,"
    "kissing-loop,cap-donor,cap-acceptor,phosphate,splayed-apart";
const char* const kCsvHeadIndexed =
    "modified,pseudoknotted,turn,break,u-turn,k-turn,sugar_conf,puckering,BI,nt-stacking,"
    "canonical,non-canonical,non-pair-contact,helix,index,stem,index,coaxial-stack,multiplet,"
    "index,hairpin-loop,index,bulge,index,internal-loop,index,junction-loop,index,ss-non-loop,"
    "A-minor,G-tetrad,i-motif,ribose-zipper,kissing-loop,cap-donor,cap-acceptor,phosphate,"
    "splayed-apart";

// Builds the comma-separated list; absent items leave "." placeholders when
// asked for.
class feature_list {
 public:
  explicit feature_list(long setting)
      : placeholder_((setting & SUMMARY_PLACEHOLDER) != 0), index_((setting & SUMMARY_INDEX) != 0) {}
  void add(const std::string& word) {
    if (!text_.empty()) text_ += ',';
    text_ += word;
  }
  void item(bool present, const std::string& word) {
    if (present) add(word);
    else if (placeholder_) add(".");
  }
  void indexed(long index, const std::string& word) {
    if (index != 0) {
      add(index_ ? sformat("%s,%ld", word.c_str(), index) : word);
    } else if (placeholder_) {
      add(".");
      if (index_) add(".");
    }
  }
  bool placeholder() const { return placeholder_; }
  std::string text() const { return text_; }

 private:
  bool placeholder_, index_;
  std::string text_;
};

std::string first_word(const std::string& s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  size_t b = s.find(' ', a);
  return s.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

// Stack neighbours reachable along the backbone, above and below in index.
std::string stacking_word(long i, const struct_mol& mol) {
  long up = 0, down = 0;
  const connect& partners = mol.residues[i].stack_neighbours;  // as the stack finder left them
  for (long m = 1; m <= partners.count; ++m) {
    const long j = partners[m];
    if (!is_nt(j, mol) || j == i || nts_i2j_dist(i, j, mol.num_nts, mol, nullptr) == 0) continue;
    if (j < i) ++up;
    else ++down;
  }
  return std::string(up ? "upper" : "") + ":" + (down ? "down" : "");
}

bool is_pseudoknotted(const residue& r) {
  if (Gvars.pknot) return r.flag[rf::pknot] != 0;
  return r.dbn != '(' && r.dbn != ')' && r.dbn != '.';
}

void write_csv(const struct_mol& mol, const std::vector<long>& order) {
  scoped_file sf(create_file(sformat("%s-summary.csv", Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  std::fprintf(fp, "idstr,nt-code,dbn,nt-chain,nt-num,single-stranded,%s\n",
               (Gvars.summary & SUMMARY_INDEX) ? kCsvHeadIndexed : kCsvHeadShort);
  for (size_t k = 1; k < order.size(); ++k) {
    const long i = order[k];
    const residue& r = mol.residues[i];
    std::fprintf(fp, "%s,%c,%c,", r.idstr.c_str(), r.letter, r.dbn);
    std::fprintf(fp, "%s,%ld,", r.chain_id.c_str(), r.res_seq);
    std::fprintf(fp, "%s,", r.flag[rf::stem] ? "." : "single-stranded");
    std::fprintf(fp, "%s\n", collect_nt_features(i, mol).c_str());
  }
  sf.close();
}

// A torsion for JSON: in [0, 360) when the range setting reaches level.
double shown_torsion(double angle, long level) {
  return Gvars.torsion360 >= level ? to360(angle) : angle;
}

std::vector<double> xyz3(const xyz& p) { return {0.0, p[1], p[2], p[3]}; }

void json_one_nt(long k, long i, long index_chain, const struct_mol& mol, FILE* fp) {
  const residue& r = mol.residues[i];
  const nt_info& n = mol.nt_infos[i];
  json_bareObject_start_with_idx(fp, k);
  json_lNumber(fp, "index_chain", index_chain);
  json_string(fp, "chain_name", r.chain_id);
  json_lNumber(fp, "nt_resnum", r.res_seq);
  json_string(fp, "nt_name", first_word(r.name));
  json_char(fp, "nt_code", r.letter);
  if (is_modified_nt(i, mol)) json_boolean(fp, "is_modified", true);
  json_string(fp, "nt_id", r.idstr);

  long first = r.linked.count >= 1 ? r.linked[1] : 0, second = r.linked.count >= 2 ? r.linked[2] : 0;
  if ((first && !is_nts_connected(first, i, mol)) || (second && !is_nts_connected(i, second, mol)))
    std::swap(first, second);
  json_begin_array(fp, "linked_nts");
  if (first) json_just_string(fp, mol.residues[first].idstr);
  else json_raw_text(fp, "null,");
  if (second) json_just_string0(fp, mol.residues[second].idstr);
  else json_raw_text(fp, "null");
  json_end_array(fp);

  json_string(fp, "nt_type", is_RNA_nt(i, mol) ? "RNA" : is_DNA_nt(i, mol) ? "DNA" : "unknown");
  json_char(fp, "dbn", r.dbn);
  if (r.flag[rf::break_mark]) json_boolean(fp, "is_broken", true);
  json_string(fp, "summary", collect_nt_features(i, mol));

  const std::pair<const char*, double> backbone[] = {{"alpha", n.alpha}, {"beta", n.beta},
                                                     {"gamma", n.gamma}, {"delta", n.delta},
                                                     {"epsilon", n.epsilon}, {"zeta", n.zeta}};
  for (const auto& [key, v] : backbone) json_dNumber(fp, key, shown_torsion(v, 9));
  json_dNumber(fp, "epsilon_zeta", n.epsilon != DBL_MAX && n.zeta != DBL_MAX
                                       ? to360(n.epsilon) - to360(n.zeta)
                                       : DBL_MAX);
  const char* bb = n.bb_type.find("(BI)") != std::string::npos    ? "BI"
                   : n.bb_type.find("(BII)") != std::string::npos ? "BII"
                                                                  : "--";
  json_string(fp, "bb_type", bb);
  json_dNumber(fp, "chi", shown_torsion(n.chi, 9));
  json_string(fp, "glyco_bond", n.glyco_bond);
  json_dNumberArray(fp, "C5prime_xyz", 3, xyz3(n.c5_local));
  json_dNumberArray(fp, "P_xyz", 3, xyz3(n.p_local));
  if (Gvars.experimental) {
    json_dNumber(fp, "C5prime_dist", n.c5_local[0]);
    json_dNumber(fp, "P_dist", n.p_local[0]);
    json_dNumber(fp, "xCC_angle", n.c5_angle);
  }
  json_char(fp, "form", n.ss.type);
  json_dNumber(fp, "ssZp", n.ss.ssZp);
  json_dNumber(fp, "Dp", n.ss.Dp);
  json_dNumber(fp, "splay_angle", n.ss.splay_angle);
  json_dNumber(fp, "splay_distance", n.ss.splay_distance);
  json_dNumber(fp, "splay_ratio", n.ss.splay_ratio);
  const std::pair<const char*, double> virt[] = {
      {"eta", n.eta},          {"theta", n.theta},          {"eta_prime", n.eta_prime},
      {"theta_prime", n.theta_prime}, {"eta_base", n.eta_base}, {"theta_base", n.theta_base}};
  for (const auto& [key, v] : virt) json_dNumber(fp, key, shown_torsion(v, 1));
  const std::pair<const char*, double> sugar[] = {
      {"v0", n.v0}, {"v1", n.v1}, {"v2", n.v2}, {"v3", n.v3}, {"v4", n.v4}};
  for (const auto& [key, v] : sugar) json_dNumber(fp, key, shown_torsion(v, 9));
  json_dNumber(fp, "amplitude", n.amplitude);
  json_dNumber(fp, "phase_angle", n.phase_angle);
  json_string(fp, "puckering", n.puckering);
  const std::string sc = first_word(n.sugar_class);
  json_string(fp, "sugar_class", sc.find("--") != std::string::npos ? "--" : sc);
  json_string(fp, "bin", shown_bin(n.bb_suite.bin));
  json_string(fp, "cluster", n.bb_suite.cluster);
  json_dNumber(fp, "suiteness", n.bb_suite.suiteness);
  const frame* f = base_frame(i, mol);
  const double rmsd = r.rmsd < 0 ? DBL_MAX : r.rmsd;
  if (f != nullptr) {
    json_dNumber(fp, "filter_rmsd", rmsd);
    json_frame0(fp, f);
  } else {
    json_dNumber0(fp, "filter_rmsd", rmsd);
  }
  json_raw_text(fp, "}");
}

}  // namespace

long bb_reverse_direction(long i, const struct_mol& mol) {
  const long angle = mol.residues[i].flag[rf::c1_angle];
  if (angle == 0) return 0;
  double cutoff = Gvars.uturn_cutoff;
  if (is_DNA_nt(i, mol) && cutoff >= 90.0) cutoff -= 10.0;
  return angle < cutoff ? 1 : 0;
}

std::string collect_nt_features(long i, const struct_mol& mol) {
  const residue& r = mol.residues[i];
  const nt_info& n = mol.nt_infos[i];
  const auto& f = r.flag;
  feature_list list(Gvars.summary);
  list.item(is_modified_nt(i, mol), "modified");
  list.item(is_pseudoknotted(r), "pseudoknotted");
  list.item(bb_reverse_direction(i, mol), "turn");
  list.item(f[rf::break_mark], "break");
  list.item(f[rf::uturn], "u-turn");
  list.item(f[rf::kturn], "k-turn");
  list.item(n.glyco_bond == "syn" || n.glyco_bond == "anti", n.glyco_bond);
  list.item(n.sugar_class.find("endo") != std::string::npos, first_word(n.sugar_class));
  const bool bi = n.bb_type.find("(BI)") != std::string::npos;
  list.item(bi || n.bb_type.find("(BII)") != std::string::npos, bi ? "BI" : "BII");
  if (!r.stacked) list.add("non-stack");
  else if (list.placeholder()) list.add(stacking_word(i, mol));
  const bool isolated = f[rf::isolated_pair] != 0;
  list.item(isolated || f[rf::canonical_partner], isolated ? "isolated-canonical" : "canonical");
  list.item(f[rf::noncanonical_pairs], "non-canonical");
  list.item(f[rf::non_pair_contact], "non-pair-contact");
  list.indexed(f[rf::helix], f[rf::helix_end] ? "helix-end" : "helix");
  list.indexed(f[rf::stem], f[rf::stem_end] ? "stem-end" : "stem");
  list.item(f[rf::coaxial_stack], "coaxial-stack");
  list.indexed(f[rf::multiplet], "multiplet");
  list.indexed(f[rf::hairpin], "hairpin-loop");
  list.indexed(f[rf::bulge], "bulge");
  list.indexed(f[rf::iloop], "internal-loop");
  list.indexed(f[rf::junction], "junction-loop");
  const std::pair<int, const char*> tail[] = {
      {rf::ss_non_loop, "ss-non-loop"},     {rf::a_minor, "A-minor"},
      {rf::g_tetrad, "G-tetrad"},           {rf::i_motif, "i-motif"},
      {rf::ribose_zipper, "ribose-zipper"}, {rf::kissing_loop, "kissing-loop"},
      {rf::cap_donor, "cap-donor"},         {rf::cap_acceptor, "cap-acceptor"},
      {rf::phosphate, "phosphate"},         {rf::splayed, "splayed-apart"}};
  for (const auto& [slot, word] : tail) list.item(f[slot], word);
  return list.text();
}

void assign_nt_features(const struct_mol& mol, FILE* fp) {
  if (Gvars.json || Gvars.summary == 0 || fp == nullptr) return;
  const std::vector<long> order = chain_order_nts(mol);
  print_leadline_sepchar(fp, '*', 76);
  std::fprintf(fp, "Summary of structural features of %ld nucleotides\n", mol.num_nts);
  static const char* const notes[] = {
      "  Note: the first five columns are: (1) serial number, (2) one-letter",
      "    shorthand name, (3) dbn, (4) id string, (5) rmsd (~zero) of base",
      "    ring atoms fitted against those in a standard base reference",
      "    frame. The sixth (last) column contains a comma-separated list of",
      "    features whose meanings are mostly self-explanatory, except for:",
      "      turn: angle C1'(i-1)--C1'(i)--C1'(i+1) < 90 degrees"};
  for (const char* line : notes) std::fprintf(fp, "%s\n", line);
  for (size_t k = 1; k < order.size(); ++k) {
    const long i = order[k];
    const residue& r = mol.residues[i];
    if (verbose2())
      std::fprintf(fp, "%4zu  %c%c%c", k, bb_reverse_direction(i, mol) ? 't' : ' ', r.letter,
                   r.flag[rf::break_mark] ? 'x' : ' ');
    else
      std::fprintf(fp, "%4zu  %c", k, r.letter);
    if (Gvars.experimental) std::fprintf(fp, " %c", get_ntType(i, mol));
    std::fprintf(fp, " %c %-*s", r.dbn, mol.idstr_width, r.idstr.c_str());
    const frame* f = base_frame(i, mol);
    if (f != nullptr) std::fprintf(fp, " %5.3f ", r.rmsd);
    else std::fprintf(fp, " ---   ");
    std::fprintf(fp, " %s\n", collect_nt_features(i, mol).c_str());
  }
  if (Gvars.auxfiles && ((Gvars.summary & SUMMARY_PLACEHOLDER) || VERBOSITY >= 2)) write_csv(mol, order);
}

void get_nt_b_factors(struct_mol& mol) {
  static const char* const chain_backbone[] = {" P  ", " OP1", " OP2", " O5'", " C5'", " C4'", " C3'", " O3'"};
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol)) continue;
    std::array<double, 6> sum{};
    std::array<long, 6> count{};
    const residue& r = mol.residues[i];
    for (long a = r.first_atom; a <= r.last_atom; ++a) {
      if (is_hydrogen(a, mol)) continue;
      const atom& at = mol.atoms[a];
      bool in_chain = false;
      for (const char* name : chain_backbone) in_chain = in_chain || same_atom_name(at.name, name);
      const bool classes[6] = {true, at.base != 0, at.sugar != 0, at.backbone != 0, in_chain,
                               at.phosphorus != 0};
      for (size_t c = 0; c < 6; ++c)
        if (classes[c]) {
          sum[c] += at.bfactor;
          ++count[c];
        }
    }
    for (size_t c = 0; c < 6; ++c)
      mol.nt_infos[i].bfactors[c] = count[c] ? sum[c] / static_cast<double>(count[c]) : DBL_MAX;
  }
}

char get_ntType(long i, const struct_mol& mol) { return mol.nt_infos[i].ss.type; }

void json_ntPars(const struct_mol& mol, FILE* fp) {
  if (fp == nullptr || mol.num_nts == 0) return;
  // the order of the dot-bracket columns: a reader maps column k to object k,
  // nucleotides outside any nucleic-acid chain (ligands) included
  const std::vector<long>& order = mol.nt_order;
  const long n = std::min(mol.num_nts, static_cast<long>(order.size()) - 1);
  json_lNumber(fp, "num_nts", n);
  json_begin_array(fp, "nts");
  long index_chain = 0;
  for (long k = 1; k <= n; ++k) {
    const long i = order[k];
    if (k > 1 && !with_same_model_chain(order[k - 1], i, mol)) index_chain = 0;
    json_one_nt(k, i, ++index_chain, mol, fp);
    if (k < n) json_raw_text(fp, ",");
  }
  json_end_array(fp);
}

void json_chain_bending_suite(const struct_mol& mol, FILE* fp) {
  if (fp == nullptr || mol.num_na_chains == 0) return;
  std::vector<long> na;
  for (long c = 1; c <= mol.num_chains; ++c)
    if (mol.chains[c].num_chain_nts > 0) na.push_back(c);
  if (na.empty()) return;
  json_begin_object(fp, "chains");
  for (size_t t = 0; t < na.size(); ++t) {
    const chain& c = mol.chains[na[t]];
    // the secondary-structure step leaves the chain's strings (with its
    // chain-break separators); without it they are built here
    std::string bseq = c.texts[0], sstr = c.texts[1], form = c.texts[2];
    if (sstr.empty()) {
      for (long m = 1; m <= c.num_chain_nts; ++m) {
        bseq += mol.residues[c.nts[m]].letter;
        sstr += mol.residues[c.nts[m]].dbn;
        form += get_ntType(c.nts[m], mol);
      }
    }
    json_begin_object(fp, derive_unique_chain_id(c, mol).c_str());
    json_lNumber(fp, "num_nts", c.num_chain_nts);
    json_string(fp, "bseq", bseq);
    json_string(fp, "sstr", sstr);
    json_string(fp, "form", form);
    if (c.axis.rise != DBL_MAX) {
      json_dNumber(fp, "helical_rise", c.axis.rise);
      json_dNumber(fp, "helical_rise_std", c.axis.rise_std);
      json_dNumberArray(fp, "helical_axis", 3, xyz3(c.axis.axis));
      json_dNumberArray(fp, "point1", 3, xyz3(c.axis.axis_start));
      json_dNumberArray(fp, "point2", 3, xyz3(c.axis.axis_end));
    }
    json_lNumber(fp, "num_chars", static_cast<long>(c.suite.size()));
    json_string0(fp, "suite", c.suite);
    json_raw_text(fp, t + 1 < na.size() ? "}," : "}");
  }
  json_end_object(fp);
}

}  // namespace vask
