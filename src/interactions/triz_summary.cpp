// Interface summaries: every nucleotide with the amino acids it interacts
// with and, on request, every amino acid with its nucleotides, each with the
// closest atom pair, the kinds of interaction, optionally the buried area,
// and a coordinate model of the residue with its partners.
#include <cmath>

#include "interactions/triz.hpp"
#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/json_writer.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

struct summary_kind {
  bool nucleotides;        // entries are nucleotides (else amino acids)
  const char* count_key;   // JSON
  const char* array_key;
  const char* self_key;    // "nt" or "aa"
  const char* self_atom;   // "nt_atom" or "aa_atom"
  const char* other_atom;
  const char* noun;        // of total_counts
  const char* heading;     // print_noun format
  const char* partners;    // "aas" or "nts"
  const char* file;        // of the module's file table
};

constexpr summary_kind kNucleotides{true,       "num_ntAAs", "ntAAs",
                                    "nt",       "nt_atom",   "aa_atom",
                                    "nucleotides interacting with amino acids",
                                    "List of %ld %s interacting with amino acids\n",
                                    "aas",      "nt-AAs"};
constexpr summary_kind kAminoAcids{false,      "num_aaNTs", "aaNTs",
                                   "aa",       "aa_atom",   "nt_atom",
                                   "amino acids interacting with nucleotides",
                                   "List of %ld %s interacting with nucleotides\n",
                                   "nts",      "aa-NTs"};

bool entry_residue(const summary_kind& s, long k, const struct_mol& mol) {
  return s.nucleotides ? is_nt(k, mol) : is_aa(k, mol) && !is_nt(k, mol);
}

const frame* entry_frame(const summary_kind& s, long k, const struct_mol& mol) {
  return s.nucleotides ? base_frame(k, mol) : residue_frame(k, FRAME_SIDECHAIN, mol);
}

// Each chain holding nucleotides (or amino acids), one line.
void print_chain_lines(bool nucleotides, const struct_mol& mol, FILE* fp) {
  for (long c = 1; c <= mol.num_chains; ++c) {
    const chain& ch = mol.chains[c];
    if ((nucleotides ? ch.num_nts : ch.num_aas) == 0) continue;
    std::fprintf(fp, "  Chain '%s' [%s, length=%ld], sequence: %s\n", ch.chain_id.c_str(),
                 ch.type.c_str(), ch.num_residues, ch.sequence.c_str());
  }
}

void output_summary(const summary_kind& s, const triz_options& o, struct_mol& mol, triz_state& st,
                    FILE* fp) {
  if (fp == nullptr) return;
  const bool sasa = o.interface[TRIZ_SASA] != 0, plus = o.interface[TRIZ_PLUS] != 0;
  long n = 0;
  for (long k = 1; k <= mol.num_residues; ++k)
    if (entry_residue(s, k, mol) && !st.partners[k].residues.empty()) ++n;
  if (n == 0) return;
  const int w = mol.idstr_width;
  if (Gvars.json) {
    json_lNumber(fp, s.count_key, n);
    json_begin_array(fp, s.array_key);
  } else {
    total_counts(s.noun, n);
    if (s.nucleotides)
      print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    else
      print_separator(fp, '-', SEPARATOR_WIDTH);
    print_noun(fp, n, s.heading, s.nucleotides ? "nucleotide" : "amino acid", s.nucleotides ? nullptr : "amino acids");
  }
  long k = 0;
  for (long r = 1; r <= mol.num_residues; ++r) {
    if (!entry_residue(s, r, mol)) continue;
    const residue& res = mol.residues[r];
    const std::vector<long> partners = triz_partner_residues(r, st);
    const long np = static_cast<long>(partners.size()) - 1;
    if (np == 0) {
      if (plus && !Gvars.json) std::fprintf(fp, "     %c %-*s\n", res.letter, w, res.idstr.c_str());
      continue;
    }
    ++k;
    long a = -1, b = -1;
    const double d = get_shortest_atompair(r, np, partners, mol, a, b);
    if (Gvars.json) {
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, s.self_key, res.idstr);
      json_dNumber(fp, "min_dist", d);
      json_string(fp, s.self_atom, mol.atoms[a].idstr);
      json_string(fp, s.other_atom, mol.atoms[b].idstr);
      json_output_ntaa_cnts(r, st, mol, sasa, fp);
      json_bareObject_end_check_idx(fp, k, n);
      continue;
    }
    const std::string dist = sformat("d=%4.2f %-*s %-*s", d, w + 5, mol.atoms[a].idstr.c_str(), w + 5,
                                     mol.atoms[b].idstr.c_str());
    const std::string ids = get_residues_abbr_full_ids(np, partners, mol);
    const std::string kinds = triz_interaction_text(r, st);
    const std::string text =
        sasa ? sformat("%s=%ld dSASA=%-4.0f %s %s", s.partners, np,
                       get_area_diff_one_vs_set(r, np, partners, mol), ids.c_str(), kinds.c_str())
             : sformat("%s=%ld %s %s", s.partners, np, ids.c_str(), kinds.c_str());
    std::fprintf(fp, "%4ld %c %-*s %s %s\n", k, res.letter, w, res.idstr.c_str(), dist.c_str(), text.c_str());
    std::vector<long> model = partners;
    model.push_back(r);
    append_triz_model(triz_file_name(s.file), sformat("%s   %s", res.idstr.c_str(), text.c_str()), model,
                      entry_frame(s, r, mol), mol, st);
  }
  if (Gvars.json)
    json_end_array(fp);
  else
    print_chain_lines(s.nucleotides, mol, fp);
}

}  // namespace

double get_shortest_atompair(long k, long n, const std::vector<long>& partners,
                             const struct_mol& mol, long& atom, long& partner_atom) {
  double best = DBL_MAX, best2 = DBL_MAX;
  atom = partner_atom = -1;
  const residue& r = mol.residues[k];
  for (long a = r.first_atom; a <= r.last_atom; ++a) {
    if (is_hydrogen(a, mol)) continue;
    const xyz& pa = mol.atoms[a].xyz;
    for (long m = 1; m <= n; ++m) {
      const residue& q = mol.residues[partners[m]];
      for (long b = q.first_atom; b <= q.last_atom; ++b) {
        if (is_hydrogen(b, mol)) continue;
        const xyz& pb = mol.atoms[b].xyz;
        if (!dx_dy_dz_all_less(pa, pb, best)) continue;
        const double d2 = dist_xyz_square(pa, pb);
        if (d2 < best2) {
          best2 = d2;
          best = std::sqrt(d2);
          atom = a;
          partner_atom = b;
        }
      }
    }
  }
  VASK_ASSERT(atom != -1);
  return best;
}

std::string triz_interaction_text(long k, const triz_state& st) {
  const triz_partner_list& p = st.partners[k];
  std::string text;
  for (size_t m = 0; m < p.flags.size(); ++m) {
    if (m) text += ',';
    text += p.flags[m] & TRIZ_HBOND ? 'h' : '.';
    text += p.flags[m] & TRIZ_PAIR ? 'p' : '.';
    text += p.flags[m] & TRIZ_STACK ? 's' : '.';
  }
  return text;
}

void json_output_ntaa_cnts(long k, const triz_state& st, const struct_mol& mol, bool sasa, FILE* fp) {
  const std::vector<long> partners = triz_partner_residues(k, st);
  const long n = static_cast<long>(partners.size()) - 1;
  json_lNumber(fp, "count", n);
  if (sasa) json_dNumber(fp, "dSASA", get_area_diff_one_vs_set(k, n, partners, mol));
  json_string(fp, "short_ids", get_residues_abbr_ids(n, partners, mol));
  json_string(fp, "long_ids", get_residues_full_ids(n, partners, mol));
  json_string0(fp, "types", triz_interaction_text(k, st));
}

void output_nts_with_aas(const triz_options& o, struct_mol& mol, triz_state& st, FILE* fp) {
  output_summary(kNucleotides, o, mol, st, fp);
}

void output_aas_with_nts(const triz_options& o, struct_mol& mol, triz_state& st, FILE* fp) {
  output_summary(kAminoAcids, o, mol, st, fp);
}

}  // namespace vask
