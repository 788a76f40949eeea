// SQL output and the G-A check file.
#include "driver/sqlite_output.hpp"

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "pairing/nt_features.hpp"
#include "structure/residue.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long SQL_SCHEMA = 2, SQL_PO4 = 4;  // bits of the SQLite setting (bit 1: the data rows)
constexpr long GA_CHECK = 9;                               // G-A pair setting of the check file
constexpr double UNSET_LIMIT = 1e36;                       // larger magnitudes are unset

constexpr const char* kBasepairsSchema[] = {
    "DROP TABLE IF EXISTS basepairs;\n",
    "CREATE TABLE basepairs (\n",
    "       id         INTEGER PRIMARY KEY,\n",
    "       pdb_id     CHAR(9) NOT NULL,\n",
    "       bp_id      INTEGER NOT NULL,\n",
    "       idstr1     VARCHAR(128) NOT NULL,\n",
    "       idstr2     VARCHAR(128) NOT NULL,\n",
    "       symbol     CHAR(3) NOT NULL,\n",
    "       bpname     VARCHAR(12) NOT NULL DEFAULT '',\n",
    "       hb_nstr    VARCHAR(9) NOT NULL DEFAULT '',\n",
    "       saenger    CHAR(9) NOT NULL DEFAULT '00-n/a',\n",
    "       lw         CHAR(3) NOT NULL DEFAULT '...',\n",
    "       vask       CHAR(4) NOT NULL DEFAULT '....',\n",
    "       wc_geo     CHAR(1) NOT NULL DEFAULT 'n',\n",
    "       chi1       FLOAT NOT NULL,\n",
    "       syn_anti1  CHAR(6) NOT NULL DEFAULT '',\n",
    "       pucker1    CHAR(9) NOT NULL DEFAULT '',\n",
    "       lambda1    FLOAT NOT NULL,\n",
    "       chi2       FLOAT NOT NULL,\n",
    "       syn_anti2  CHAR(6) NOT NULL DEFAULT '',\n",
    "       pucker2    CHAR(9) NOT NULL DEFAULT '',\n",
    "       lambda2    FLOAT NOT NULL,\n",
    "       dC1C1      FLOAT NOT NULL,\n",
    "       dN1N9      FLOAT NOT NULL,\n",
    "       dC6C8      FLOAT NOT NULL,\n",
    "       torCN      FLOAT NOT NULL,\n",
    "       hb_num     INTEGER NOT NULL,\n",
    "       hb_str     VARCHAR(128) NOT NULL DEFAULT '',\n",
    "       quality    FLOAT NOT NULL,\n",
    "       dWC        FLOAT NOT NULL,\n",
    "       shear      FLOAT NOT NULL,\n",
    "       stretch    FLOAT NOT NULL,\n",
    "       stagger    FLOAT NOT NULL,\n",
    "       buckle     FLOAT NOT NULL,\n",
    "       propeller  FLOAT NOT NULL,\n",
    "       opening    FLOAT NOT NULL,\n",
    "       summary1    TEXT NOT NULL DEFAULT '',\n",
    "       summary2    TEXT NOT NULL DEFAULT ''\n",
    ");\n",
};

constexpr const char* kPhosphatesSchema[] = {
    "DROP TABLE IF EXISTS phosphates;\n",
    "CREATE TABLE phosphates (\n",
    "       id        INTEGER PRIMARY KEY,\n",
    "       pdb_id    CHAR(9) NOT NULL,\n",
    "       idstr     VARCHAR(128) NOT NULL,\n",
    "       op1_hbond VARCHAR(256) DEFAULT '',\n",
    "       op1_cap   VARCHAR(128) DEFAULT '',\n",
    "       op2_hbond VARCHAR(256) DEFAULT '',\n",
    "       op2_cap   VARCHAR(128) DEFAULT ''\n",
    ");\n",
};

std::string sql_number(double v) {
  return std::fabs(v) > UNSET_LIMIT ? std::string("9999") : sformat("%.2f", v);
}

bool is_AG_symbol(const std::string& bp) { return zor_ncmatch(bp.c_str(), "^a[+-]g$"); }

// The pair as written: an A-G pair with the G-A setting is re-derived G first.
pair pair_as_written(const pair& p, struct_mol& mol, bool& swapped) {
  swapped = Gvars.ga_pair != 0 && is_AG_symbol(p.bp);
  if (!swapped) return p;
  pair q;
  init_one_pair(q);
  populate_one_base_pair(p.nt2, p.nt1, mol, q);
  return q;
}

std::string pair_values(const std::string& id, long k, const pair& p, const struct_mol& mol) {
  const nt_info& n1 = mol.nt_infos[p.nt1];
  const nt_info& n2 = mol.nt_infos[p.nt2];
  std::string v = "(";
  v += sql_quoted(id);
  v += sformat(", %ld, ", k);
  v += sql_quoted(mol.residues[p.nt1].idstr);
  v += ", ";
  v += sql_quoted(mol.residues[p.nt2].idstr);
  v += ", ";
  auto text = [&v](const std::string& s) { v += sql_quoted(s) + ", "; };
  auto number = [&v](double d) { v += sql_number(d) + ", "; };
  text(p.bp);
  text(p.name);
  text(p.hbond_types);
  text(p.Saenger);
  text(p.LW);
  text(p.VASK);
  text(is_WC_geometry(p) ? "y" : "n");
  number(n1.chi);
  text(n1.glyco_bond);
  text(n1.puckering);
  number(p.lambda1);
  number(n2.chi);
  text(n2.glyco_bond);
  text(n2.puckering);
  number(p.lambda2);
  number(p.C1C1_dist);
  number(p.N1N9_dist);
  number(p.C6C8_dist);
  number(p.CNNC_torsion);
  v += sformat("%ld, ", p.num_hbonds);
  text(p.hbond_text);
  number(p.quality);
  number(p.dWC);
  for (int t = 1; t <= 6; ++t) number(p.bp_params[t]);
  text(collect_nt_features(p.nt1, mol));
  v += sql_quoted(collect_nt_features(p.nt2, mol)) + ");";
  return v;
}

// The nucleotide linked 3' to nt (its first such linked residue), 0 when none.
long next_linked_nt(long nt, const struct_mol& mol) {
  const connect& linked = mol.residues[nt].linked;
  for (long t = 1; t <= linked.count; ++t)
    if (is_nts_connected(nt, linked[t], mol)) return linked[t];
  return 0;
}

void write_GA_check(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs) {
  if (!exist_file(GA_CHECK_FILE) || file_size(GA_CHECK_FILE) == 0) {
    FILE* head = create_file(GA_CHECK_FILE);
    std::fprintf(head,
                 "pdb_id,id1,id2,name,symbol,swap,num_GA5,hb_GA5,num_GA3,hb_GA3,num_AG5,hb_AG5,"
                 "num_AG3,hb_AG3,num_all,hb_all\n");
    close_file(head);
  }
  scoped_file sf(append_file(GA_CHECK_FILE));
  FILE* fp = sf.get();
  for (long k = 1; k <= num_pairs; ++k) {
    const bool swap = is_AG_symbol(pairs[k].bp);
    pair p = pairs[k];
    if (swap) {
      init_one_pair(p);
      populate_one_base_pair(pairs[k].nt2, pairs[k].nt1, mol, p);
    }
    if (!zor_ncmatch(p.bp.c_str(), "^g[+-]a$")) continue;
    const long g = p.nt1, a = p.nt2;
    const long after_a = next_linked_nt(a, mol), after_g = next_linked_nt(g, mol);
    const po4_hbonds parts[] = {
        get_PO4_nt_hbonds(g, a, mol), after_a ? get_PO4_nt_hbonds(g, after_a, mol) : po4_hbonds{},
        get_PO4_nt_hbonds(a, g, mol), after_g ? get_PO4_nt_hbonds(a, after_g, mol) : po4_hbonds{}};
    std::fprintf(fp, "%s,%s,%s,%s,%s,", mol.base_name.c_str(), mol.residues[g].idstr.c_str(),
                 mol.residues[a].idstr.c_str(), p.name.c_str(), p.bp.c_str());
    std::fprintf(fp, "%s,", swap ? "swapped" : "--");
    for (const auto& part : parts) std::fprintf(fp, "%ld,\"%s\",", part.count, part.text.c_str());
    std::fprintf(fp, "%ld,\"%s\"\n", p.num_hbonds, p.hbond_text.c_str());
  }
  sf.close();
}

}  // namespace

std::string sql_quoted(const std::string& text) {
  std::string s = "'";
  for (char c : text) {
    s += c;
    if (c == '\'') s += '\'';
  }
  return s + "'";
}

po4_hbonds get_PO4_nt_hbonds(long nt, long other, const struct_mol& mol) {
  po4_hbonds out;
  const residue& r = mol.residues[nt];
  const nt_info& info = mol.nt_infos[other];
  for (int t = 2; t <= 5; ++t) {
    const long o = info.po4[t];
    if (o == -1) continue;
    const connect& partners = mol.atoms[o].hbonded;
    for (long q = 1; q <= partners.count; ++q) {
      const long a = partners[q];
      if (a < r.first_atom || a > r.last_atom) continue;
      ++out.count;
      out.text += sformat("%s-%s[%.2f],", trimmed(mol.atoms[o].name).c_str(),
                          trimmed(mol.atoms[a].name).c_str(), dist_atoms(o, a, mol));
    }
  }
  if (!out.text.empty()) out.text.pop_back();
  return out;
}

void sqlite_output_vask_tables(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs) {
  if (num_pairs <= 0 || Gvars.sqlite == 0) return;
  if (Gvars.ga_pair == GA_CHECK) {
    write_GA_check(mol, num_pairs, pairs);
    return;
  }
  scoped_file sf(append_file(SQLITE_FILE));
  FILE* fp = sf.get();
  if (Gvars.sqlite & SQL_SCHEMA)
    for (const char* line : kBasepairsSchema) std::fputs(line, fp);
  const std::string& id = mol.base_name;
  // the id goes into an SQL comment: a line break there would end it
  std::string comment_id = id;
  for (char& c : comment_id)
    if (c == '\n' || c == '\r') c = ' ';
  std::fprintf(fp, "\n-- '%s': %ld basepair(s)\n", comment_id.c_str(), num_pairs);
  long num_swapped = 0;
  for (long k = 1; k <= num_pairs; ++k) {
    bool swapped = false;
    const pair p = pair_as_written(pairs[k], mol, swapped);
    if (swapped) ++num_swapped;
    std::fprintf(fp,
                 "INSERT INTO basepairs (pdb_id, bp_id, idstr1, idstr2, symbol, bpname, hb_nstr, "
                 "saenger, lw, vask, wc_geo, chi1, syn_anti1, pucker1, lambda1, chi2, syn_anti2, "
                 "pucker2, lambda2, dC1C1, dN1N9, dC6C8, torCN, hb_num, hb_str, quality, dWC, shear, "
                 "stretch, stagger, buckle, propeller, opening, summary1, summary2) VALUES %s\n",
                 pair_values(id, k, p, mol).c_str());
  }
  std::fprintf(fp, "-- %s: %ld pairs of A.G swapped to G.A\n", comment_id.c_str(), num_swapped);
  sf.close();
}

void sqlite_output_PO4_interactions(long n, const std::vector<PO4_contact>& list, const struct_mol& mol) {
  if (n <= 0 || !(Gvars.sqlite & SQL_PO4)) return;
  scoped_file sf(append_file(SQLITE_FILE));
  FILE* fp = sf.get();
  if (Gvars.sqlite & SQL_SCHEMA)
    for (const char* line : kPhosphatesSchema) std::fputs(line, fp);
  std::string comment_id = mol.base_name;
  for (char& c : comment_id)
    if (c == '\n' || c == '\r') c = ' ';
  std::fprintf(fp, "\n-- '%s': %ld phosphate interaction(s)\n", comment_id.c_str(), n);
  for (long k = 1; k <= n; ++k) {
    const PO4_contact& rec = list[k];
    std::fprintf(fp,
                 "INSERT INTO phosphates (pdb_id, idstr, op1_hbond, op1_cap, op2_hbond, op2_cap) "
                 "VALUES (%s, %s, %s, %s, %s, %s);\n",
                 sql_quoted(mol.base_name).c_str(), sql_quoted(mol.residues[rec.nt].idstr).c_str(),
                 sql_quoted(rec.OP1_hbonds).c_str(), sql_quoted(rec.OP1_cap_text).c_str(),
                 sql_quoted(rec.OP2_hbonds).c_str(), sql_quoted(rec.OP2_cap_text).c_str());
  }
  sf.close();
}

}  // namespace vask
