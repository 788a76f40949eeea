// The common option parser: one command-line word at a time, tested against
// the option patterns in a fixed order; the first test that matches decides.
// Four groups (sequence, block, cartoon, H-bond) test a prefix first and let
// the word fall through when none of their members matches. Sub-word tests
// inside a group see the whole word, key and value together.
#include <cctype>
#include <cstring>
#include <string>

#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "motifs/aminor.hpp"
#include "structure/base.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

const char* g_arg = nullptr;  // the word under test

bool M(const char* pattern) { return zor_ncmatch(g_arg, pattern); }
long sw() { return set_switch_default_true(g_arg); }
double dv(double lo, double hi) { return get_dvalue(g_arg, lo, hi); }
long lv(long lo, long hi) { return get_lvalue(g_arg, lo, hi); }
double dv_bare(double bare, double lo, double hi) {
  return with_optional_endEqual(g_arg) ? bare : get_dvalue(g_arg, lo, hi);
}
long lv_bare(long bare, long lo, long hi) {
  return with_optional_endEqual(g_arg) ? bare : get_lvalue(g_arg, lo, hi);
}
std::string sv(bool expand_home) { return get_strvalue(g_arg, expand_home); }
bool has_value() { return !with_optional_endEqual(g_arg); }
void set(switch_set& s, std::initializer_list<int> flags) {
  for (int f : flags) s[static_cast<size_t>(f)] = 1;
}

// 1: sequence options; 0: not one of them (falls through).
int sequence_group() {
  if (M("down|low"))
    mutable_gvars().seq_lower = sw();
  else if (M("rna"))
    mutable_gvars().seq_rna = sw();
  else if (M("fasta[-_]?wid"))
    mutable_gvars().fasta_width = lv_bare(72, -1, 120);
  else if (M("r(ev)?(erse)?[-_]?c(omp)?"))
    mutable_gvars().seq_revcomp = sw();
  else if (M("scan"))
    mutable_gvars().seq_scan = sw();
  else
    return 0;
  return 1;
}

int block_group() {
  if (M("^-?-?block?[-_]?view")) {
    if (sw() == 1) derive_cartoon_block_option(g_arg);
    mutable_gvars().cartoon[CTN_BEST_VIEW] = 1;
  } else if (M("^-?-?block?[-_]?config")) {
    check_block_config(g_arg);
  } else if (M("^-?-?block?[-_]?(depth|thick|z)")) {
    if (M("thin|light|narrow|less"))
      mutable_gvars().block_depth = 0.2;
    else if (M("thick|bulky|wide|more"))
      mutable_gvars().block_depth = 0.8;
    else
      mutable_gvars().block_depth = dv_bare(0.5, 0.0, 3.6);
    mutable_gvars().cartoon[CTN_BLOCK_DEPTH] = 1;
  } else if (M("^-?-?block?[-_]?(pml|cmd|com|scr)[-_]?file")) {
    mutable_gvars().pml_file = sv(true);
  } else if (M("^-?-?block?[-_]?(pml|cmd|com|scr)")) {
    mutable_gvars().block_cmd = sv(false);
  } else if (M("^-?-?block?[-_]?colou?r")) {
    derive_block_color(g_arg);
  } else if (M("^-?-?block?[-_]?(file|option|style)")) {
    derive_block_file(g_arg);
  } else {
    return 0;
  }
  return 1;
}

int cartoon_group() {
  if (M("^-?-?(cartoon|pymol)[-_]?image"))
    mutable_gvars().cartoon_image = sv(true);
  else if (M("(aa|protein)[-_]?color"))
    mutable_gvars().protein_color = sv(false);
  else if (M("(aa|protein)[-_]?transp"))
    mutable_gvars().protein_transp = dv_bare(0.6, 0.0, 1.0);
  else if (M("^-?-?(cartoon|pymol)[-_]?color"))
    mutable_gvars().cartoon_color = sv(false);
  else if (M("^-?-?(cartoon|pymol)[-_]?transp"))
    mutable_gvars().cartoon_transp = dv_bare(0.6, 0.0, 1.0);
  else if (M("^-?-?(cartoon|pymol)[-_]?block")) {
    if (sw() == 1) derive_cartoon_block_option(g_arg);
  } else if (M("(pml|cmd|com|scr)[-_]?file"))
    mutable_gvars().pml_file = sv(true);
  else if (M("^-?-?(cartoon|pymol)[-_]?(pml|cmd|com|scr)"))
    mutable_gvars().block_cmd = sv(false);
  else
    return 0;
  return 1;
}

int hbond_group() {
  // "hbond2hbond" holds "d2": its test must come before the distance test
  if (M("hbond2hbond[-_]?angle"))
    mutable_gvars().hbond2hbond_angle = dv(30.0, 90.0);
  else if (M("d1|low"))
    mutable_gvars().hbond_d1 = dv(1.5, 3.0);
  else if (M("d2|dist|high|upper|cut|thr")) {
    mutable_gvars().hbond_dist = dv(2.6, 6.0);
    mutable_gvars().hbond_dist_given = true;
  }
  else if (M("vd"))
    mutable_gvars().hbond_vd = dv(0.0, 4.0);
  else if (M("angle"))
    mutable_gvars().hbond_angle = dv(30.0, 180.0);
  else if (M("good"))
    mutable_gvars().hbond_good = dv(2.6, 3.8);
  else if (M("string"))
    mutable_gvars().hbond_string = sw();
  else
    return 0;
  return 1;
}

void pair_option() {
  if (!M("list")) {
    if (M("dist|cut|thr")) {
      mutable_gvars().pair_dist = dv(0.0, 512.0);
    } else if (M("vd")) {
      mutable_gvars().pair_vd = dv(0.0, 4.0);
    } else if (M("angle")) {
      mutable_gvars().pair_angle = dv(0.0, 90.0);
    } else if (M("h[-_]?bond")) {
      long code = 0;
      if (sw() != 0) {
        bool over = M("over"), base = M("base");
        code = over && base ? 3 : base ? 2 : over ? 1 : 0;
      }
      mutable_gvars().pair_hbond = code;
    } else if (M("net(work)?")) {
      mutable_gvars().pair_network = sw();
    } else if (M("cross")) {
      mutable_gvars().pair_cross = sw();
    } else if (M("file|info|only")) {
      mutable_gvars().pair_only = set_long_019(g_arg);
    } else if (M("crit(eria)?")) {
      set_pair_criteria(g_arg);
    } else {
      runlog_msg("[i] take %s as --pair-only\n", g_arg);
      mutable_gvars().pair_only = 1;
    }
    return;
  }
  if (!has_value()) {
    mutable_gvars().pair_list_type = 4;
    return;
  }
  if (M("^-?-?pair[s]?[-_]?list[-_]?type")) {
    std::string v = sv(false);
    mutable_gvars().pair_list_type = zor_ncmatch(v, "WC|PAIR")      ? 1
                           : zor_ncmatch(v, "CANON|WOBBLE") ? 2
                           : zor_ncmatch(v, "BEST")         ? 3
                                                            : 4;
  } else if (M("^-?-?pair[s]?[-_]?list[-_]?(ONE|WHOLE|UNIT)")) {
    mutable_gvars().pair_list_one = 1;
  } else if (M("^-?-?pair[s]?[-_]?list[-_]?inp")) {
    mutable_gvars().pair_list_inp = sv(true);
  } else if (M("^-?-?pair[s]?[-_]?list[-_]?out")) {
    mutable_gvars().pair_list_out = sv(true);
  }
  if (!mutable_gvars().pair_list_inp.empty())
    fail_nonexist_file(mutable_gvars().pair_list_inp);
  else if (mutable_gvars().pair_list_type == 0)
    mutable_gvars().pair_list_type = 4;
}

void parts_option() {
  if (M("all|every")) {
    mutable_gvars().parts = 31;
    return;
  }
  long parts = derive_non_nt_parts(g_arg);
  if (M("dna|rna|nuc|nts")) parts += 1;
  if (parts == 0) {
    runlog_msg("[i] '%s' ---> taken as to include only nucleotides\n", g_arg);
    parts = 1;
  }
  mutable_gvars().parts = parts;
}

long frame_list_bits() {
  const char* kSide = "aa|amino|side|chain";
  if (M("base+pair") || M("base[-_]?(and|plus)[-_]?pair")) return M(kSide) ? 7 : 3;
  long bits = M("pair|bp|best") ? 2 : 0;
  if (M("base") && !M("base[-_]?pair")) bits += 1;
  if (M(kSide))
    bits += 4;
  else if (bits == 0)
    bits = 1;
  return bits;
}

long r3d_frame_bits() {
  if (!has_value()) return 1;
  long bits = 0;
  if (M("base")) bits += 1;
  if (M("pair|bp|best")) bits += 2;
  if (M("G[-_]?(4|QUA|TET)")) bits += 4;
  if (M("middle")) {
    if (M("helix")) {
      bits += 8;
      if (M("stem")) bits += 16;
    } else if (M("stem")) {
      bits += 16;
    } else {
      bits += 8;
    }
  }
  bool global = M("global");
  if (global) bits += 32;
  if (bits == 0 && !global) bits = 1;
  return bits;
}

long view_code() {
  if (!has_value()) {
    runlog_msg("[i] take option '%s' as default '--view=nt'\n", g_arg);
    return 1;
  }
  std::string v = sv(false);
  bool protein = zor_ncmatch(v, "protein|peptide|amino");
  bool all = zor_ncmatch(v, "all|every|whole|\\*");
  return protein && all ? 7 : all ? 5 : protein ? 3 : 1;
}

void get_hbond_option() {
  if (sw() == 0) return;
  auto& h = mutable_gvars().get_hbond;
  if (M("res(idue)?[-_]?label")) h[12] = 1;
  if (M("hb[-_]?label")) h[13] = 1;
  if (M("labels")) set(h, {12, 13});
  if (M("jmol")) {
    h[6] = 1;
  } else if (M("pymol")) {
    h[7] = 1;
    if (M("ray|png")) h[8] = 1;
    if (M("convert|run")) set(h, {8, 9});
    if (M("open|display")) set(h, {8, 9, 10});
    if (M("pse|session")) h[11] = 1;
  }
  bool before = opts_with_switch_set(h);
  if (M("dna|rna|nuc|nts")) h[1] = 1;
  if (M("protein|peptide|amino")) h[2] = 1;
  if (M("complex|interface")) h[3] = 1;
  if (h[1] && h[2]) h[3] = 1;
  if (M("water|h2o")) h[4] = 1;
  if (M("no[nt]?[-_]?(water|h2o)")) h[0] = 1;
  if (M("all|every|whole|\\*")) h[5] = 1;
  if (!opts_with_switch_set(h) || before) h[1] = 1;
}

long stacked_nts_bits() {
  if (sw() == 0) return 0;
  long bits = 1;
  if (M("stem")) bits = M("none|exclude") ? 65 : 3;
  if (M("reuse|separate")) bits |= 4;
  if (M("long|large")) bits |= 8;
  if (M("break|unlink")) bits |= 16;
  if (M("raw")) bits |= 32;
  if (M("all|every|whole|\\*")) bits |= 94;
  return bits;
}

void alc_mol_option() {
  if (sw() == 0) return;
  auto& a = mutable_gvars().alc_mol;
  if (M("atom")) a[0] = 1;
  if (M("base|block")) a[1] = 1;
  if (M("EQUAL|MEAN|AVERAGE|SAME")) set(a, {6, 1});
  if (M("SLIM|THIN|LEAN|NARROW")) set(a, {7, 1});
  if (M("thin|light|narrow|less"))
    mutable_gvars().block_depth = 0.2;
  else if (M("thick|bulky|wide|more"))
    mutable_gvars().block_depth = 0.8;
  if (M("wc|pair")) a[2] = 1;
  if (M("conn|link")) set(a, {2, 3});
  if (M("canon|wobble")) set(a, {4, 2});
  if (M("G[-_]?(4|QUA|TET)")) a[5] = 1;
  if (M("glob|axis")) a[12] = 1;
  if (M("stand|refer|frame")) a[8] = 1;
  if (M("plane")) a[9] = 1;
  if (M("mdl|mol")) a[10] = 1;
  if (M("v3|30")) set(a, {10, 11});
  if (M("carbon")) a[13] = 1;
  if (M("all|every|whole|\\*")) set(a, {8, 1, 12});
  if (!opts_with_switch_set(a)) a[1] = 1;
}

long info_list_bits() {
  // a number is the bit set itself (1 atoms, 2 residues, 4 chains, 8 frames)
  if (has_value()) {
    const std::string v = sv(false);
    if (!v.empty() && v.find_first_not_of("0123456789") == std::string::npos && v.size() <= 2) {
      const long bits = std::stol(v) & 15;
      if (bits != 0) return bits;
    }
  }
  bool ato = M("ato"), res = M("res");
  long bits = ato && res ? 3 : res ? 2 : ato ? 1 : 0;
  if (M("cha")) {
    bits += 4;
    if (M("fra")) bits += 8;
  } else if (M("fra")) {
    bits += 8;
  } else if (bits == 0) {
    bits = 2;
  }
  return bits;
}

void select_option() {
  if (M("[-_]?chain")) {
    mutable_gvars().select_chain = sv(false);
  } else if (M("[-_]?(frag|resi)")) {
    mutable_gvars().select_frag = sv(false);
  } else if (M("[-_]?atom")) {
    mutable_gvars().select_atom = sv(false);
  } else if (M("[-_]?(coor|xyz)")) {
    long code = M("at") ? 1 : 0;
    if (M("he")) {
      code += 2;
      if (M("both|all")) code = 3;
    } else if (M("both|all")) {
      code = 3;
    } else if (code == 0) {
      code = 1;
    }
    mutable_gvars().select_xyz = code;
  } else if (M("[-_]?model")) {
    mutable_gvars().select_model = lv(0, LONG_MAX - 1);
  } else {
    if (sw() == 0) return;
    auto& s = mutable_gvars().select;
    if (M("all|every|whole|\\*")) s[0] = 1;
    if (M("nt|nuc")) s[1] = 1;
    if (M("dna")) s[2] = 1;
    if (M("rna")) s[3] = 1;
    if (M("base[-_]?only"))
      s[4] = 1;
    else if (M("base"))
      s[5] = 1;
    if (M("sugar")) s[6] = 1;
    if (M("po2|phos")) s[7] = 1;
    if (M("protein|peptide|amino")) s[8] = 1;
    if (M("backbone")) s[9] = 1;
    if (M("water|h2o")) s[10] = 1;
    if (M("metal|cation")) s[11] = 1;
    if (M("ligand")) s[12] = 1;
    if (M("(remove|delete)[-_]?(water|h2o)")) mutable_gvars().delete_water = 1;
    if (M("(remove|delete)[-_]?h")) mutable_gvars().delete_h = 1;
    if (M("compl|reverse")) mutable_gvars().reverse_select = 1;
    if (M("re[-_]?num")) {
      mutable_gvars().renum_atom = 1;
      return;
    }
    if (!opts_with_switch_set(s)) s[0] = 1;
  }
}

void json_option() {
  if (sw() == 0) {
    mutable_gvars().json = 0;
    return;
  }
  const char* kWithObject = "(with|has|have)[-_]?(obj|str|id)";
  if (M("ebi|bgsu|fr3d|rna3d|unit") || M("jmol|jsmol"))
    mutable_gvars().idstr = M(kWithObject) ? 5 : 6;
  else if (M("pymol"))
    mutable_gvars().idstr = M(kWithObject) ? 7 : 8;
  long mode = M("array") ? 5 : M("object") ? 3 : 9;
  if (M("ct|connect|table") || mutable_gvars().idstr == 5 || mutable_gvars().idstr == 6) mode += 16;
  mutable_gvars().json = mode;
}

void altloc_option() {
  std::string v = upper_copy(sv(false)).substr(0, 31);
  if (v.find(' ') == std::string::npos) v += ' ';
  mutable_gvars().altlocs = v;
}

void models_option() {
  if (!has_value())
    mutable_gvars().model_mode = 1;
  else if (M("nmr|md|ensemble"))
    mutable_gvars().model_mode = 2;
  else if (M("all|every|whole|\\*"))
    mutable_gvars().model_mode = 4;
  else if (M("cross"))
    mutable_gvars().model_mode = 8;
  else
    mutable_gvars().model_mode = 1;
}

long stems_code() {
  if (M("geo")) return 3;
  if (M("wc|pair")) return 2;
  if (M("ga|ag")) return 4;
  if (M("name")) return 5;
  if (M("sa|ger")) return 6;
  if (M("all|every|whole|\\*")) return 7;
  return 1;
}

long sqlite_code() {
  long code = 1;
  if (M("schema")) {
    code = 3;
    runlog_msg("[i] SQLite data plus schema\n");
  }
  if (M("po4")) code += 4;
  return code;
}

void g4_option() {
  auto& g = mutable_gvars().g4;
  if (M("no(t|ne)?[-_]?(in)?[-_]?(helix|duplex)")) g[0] = 0;
  if (M("heli")) g[1] = 1;
  if (M("stem")) g[2] = 1;
  if (M("full")) set(g, {3, 2});
  if (M("both")) set(g, {1, 2});
  if (M("tetrad|layer")) g[4] = 1;
  if (M("curves")) g[M("curves[-_]?(G4)?[-_]?helix") ? 5 : 6] = 1;
  if (M("base|origin")) g[7] = 1;
  if (M("c1")) g[8] = 1;
  if (M("metal")) g[9] = 1;
  if (M("list")) g[10] = 1;
  if (M("stack")) g[11] = 1;
  if (M("pymol|select")) g[12] = 1;
  if (M("block")) g[13] = 1;
  if (M("hor|lat|level|flat")) g[14] = 1;
  if (M("onz")) g[15] = 1;
  if (M("frame|area")) g[16] = 1;
}

// The nucleotide letter of the A-minor and U-turn options: the value's first
// character, upper-cased; one that is no nucleotide or IUPAC code ends the run
// rather than silently running with the default letter.
long iupac_letter(long dft) {
  if (!has_value()) return dft;
  const std::string v = sv(false);
  const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(v.empty() ? '\0' : v[0])));
  iupac_set letters{};
  set_IUPAC_nts(c, letters);
  return c;
}

void uturn_option() {
  if (M("cutoff")) {
    mutable_gvars().uturn_cutoff = dv_bare(90.0, 0.0, 100.0);
    if (mutable_gvars().uturn == 0) mutable_gvars().uturn = 'K';
  } else if (M("gap")) {
    mutable_gvars().uturn_gap = lv_bare(3, 1, 32);
    if (mutable_gvars().uturn == 0) mutable_gvars().uturn = 'K';
  } else {
    mutable_gvars().uturn = iupac_letter('K');
  }
}

void water_option() {
  if (!has_value()) {
    mutable_gvars().waters = 1;
  } else {
    if (false_option(sv(false).c_str())) {
      mutable_gvars().waters = 0;
      return;
    }
    mutable_gvars().waters = lv(1, LONG_MAX - 1);
  }
  if (mutable_gvars().waters != 0) mutable_gvars().parts |= 4;
}

void metal_option() {
  if (M("[-_]?cutoff")) {
    mutable_gvars().metal_cutoff = dv(2.0, 4.0);
    mutable_gvars().metals = 1;
  } else {
    mutable_gvars().metals = sw();
    if (mutable_gvars().metals == 0) return;
  }
  mutable_gvars().parts |= 8;
}

void loop_option() {
  auto& l = mutable_gvars().loop;
  if (M("(hairpin)?[-_]?size")) l[1] = 1;
  if (M("stem")) l[2] = 1;
  if (M("non?[-_]?p(seudo)?[-_]?knot")) l[3] = 1;
  if (M("non?[-_]?summary")) l[4] = 0;
  if (M("repeat")) {
    l[5] = 0;
    runlog_msg("[i] allow repeated nts in loops (pseudoknotted ic pairs)\n");
  }
  if (M("non?[-_]?special")) {
    l[6] = 0;
    runlog_msg("[i] exclude checking of special loops\n");
  }
  if (M("(no|exclude)[-_]?(single|lone|isolate|ic)?[-_]?pair")) {
    mutable_gvars().isolated &= ~2L;
    runlog_msg("[i] exclude isolated canonical pairs in loops\n");
  }
}

long simple_junction_code() {
  if (!has_value()) return 1;
  long code = M("ribbon.*c4")       ? 16
              : M("ribbon.*origin") ? 32
              : M("ribbon")         ? 8
              : M("c4")             ? 2
              : M("phos|cent")      ? 4
                                    : 1;
  if (code == 1 && !M("c1")) runlog_msg("[i] unrecognized choice '%s'; set to C1'\n", g_arg);
  return code;
}

// Word bits of --kturn; "only"/"noloop" sets bits 8 and 16 whatever came
// before (an addition would carry a word's bit 8 into bit 32).
long kturn_bits() {
  long bits = 0;
  if (M("(3|three)")) bits += 1;
  if (M("junc")) bits += 2;
  if (M("pseu|knot")) bits += 4;
  if (M("general|ss|single|strand")) bits += 8;
  if (M("no(t|n)?[-_]?loop") || M("only"))
    bits |= 24;
  else if (bits == 0)
    bits = 8;
  return bits;
}

// The numbered tests after the groups, in their fixed order: the first row
// whose pattern (or second pattern) matches, and whose exclusion does not,
// applies its action. Rows of one shape name their settings field and range;
// the others carry their own action.
struct option_row {
  enum shape_t { SWITCH, DOUBLE, LONG, LONG019, CALL };
  const char* pattern;
  const char* alt = nullptr;     // a second pattern that matches as well
  const char* unless = nullptr;  // a pattern that keeps the row from matching
  shape_t shape = CALL;
  long gvars_rec::*lfield = nullptr;
  double gvars_rec::*dfield = nullptr;
  double lo = 0, hi = 0;         // the value's range
  bool bare_default = false;     // a bare word (no value) takes `bare`
  double bare = 0;
  void (*call)() = nullptr;

  bool matches() const { return (M(pattern) || (alt != nullptr && M(alt))) && (unless == nullptr || !M(unless)); }
  void apply() const {
    switch (shape) {
      case SWITCH:
        mutable_gvars().*lfield = sw();
        break;
      case DOUBLE:
        mutable_gvars().*dfield = bare_default ? dv_bare(bare, lo, hi) : dv(lo, hi);
        break;
      case LONG:
        mutable_gvars().*lfield = bare_default ? lv_bare(static_cast<long>(bare), static_cast<long>(lo), static_cast<long>(hi))
                                     : lv(static_cast<long>(lo), static_cast<long>(hi));
        break;
      case LONG019:
        mutable_gvars().*lfield = set_long_019(g_arg);
        break;
      case CALL:
        call();
        break;
    }
  }
};

option_row sw_row(const char* pattern, long gvars_rec::*field) {
  return {.pattern = pattern, .shape = option_row::SWITCH, .lfield = field};
}
option_row l019_row(const char* pattern, long gvars_rec::*field) {
  return {.pattern = pattern, .shape = option_row::LONG019, .lfield = field};
}
option_row dv_row(const char* pattern, double gvars_rec::*field, double lo, double hi) {
  return {.pattern = pattern, .shape = option_row::DOUBLE, .dfield = field, .lo = lo, .hi = hi};
}
option_row dv_row(const char* pattern, double gvars_rec::*field, double lo, double hi, double bare) {
  return {.pattern = pattern, .shape = option_row::DOUBLE, .dfield = field, .lo = lo, .hi = hi,
          .bare_default = true, .bare = bare};
}
option_row lv_row(const char* pattern, long gvars_rec::*field, long lo, long hi) {
  return {.pattern = pattern, .shape = option_row::LONG, .lfield = field,
          .lo = static_cast<double>(lo), .hi = static_cast<double>(hi)};
}
option_row lv_row(const char* pattern, long gvars_rec::*field, long lo, long hi, long bare) {
  return {.pattern = pattern, .shape = option_row::LONG, .lfield = field, .lo = static_cast<double>(lo),
          .hi = static_cast<double>(hi), .bare_default = true, .bare = static_cast<double>(bare)};
}
option_row call_row(const char* pattern, void (*call)(), const char* alt = nullptr, const char* unless = nullptr) {
  return {.pattern = pattern, .alt = alt, .unless = unless, .call = call};
}

const std::vector<option_row>& other_option_rows() {
  static const std::vector<option_row> rows = {
    call_row("^-?-?h$", [] { display_helpfile(); }, "^-?-?help"),
    call_row("^-?-?v$", [] { exit_normal(Gconsts.banner); }, "^-?-?version"),
    call_row("^-?-?(verbose|more)", [] { set_verbosity_level(g_arg); }),
    call_row("^-?-?(silent|quiet)", [] { VERBOSITY = -1; }),
    call_row("^-?-?run[-_]?(log|file)", [] { if (has_value()) derive_logfile(g_arg, mutable_gvars().runlog_name); }),
    call_row("^-?-?pr(g|og|ogram)[-_]?(log|file)", [] {
      if (has_value())
        derive_logfile(g_arg, mutable_gvars().prglog_name);
      else
        mutable_gvars().prglog_name = mutable_gvars().prefix.substr(0, 468) + "-prog.log";
    }),
    call_row("^-?-?prefix", [] { derive_prefix(g_arg); }),
    call_row("^-?-?str(ucture)?[-_]?title", [] { mutable_gvars().str_title = has_value() ? sv(false) : std::string(); }),
    sw_row("^-?-?(clean|tidy)[-_]?(up)?", &gvars_rec::cleanup),
    call_row("^-?-?cit[ea]", [] { show_citation(); }),
    call_row("^-?-?(part|component|include)s?", [] { parts_option(); }),
    call_row("^-?-?nt[s]?[-_]?list", [] {
      if (M("^-?-?nt[s]?[-_]?list[-_]?inp")) {
        mutable_gvars().nts_list_inp = sv(true);
        fail_nonexist_file(mutable_gvars().nts_list_inp);
      } else if (M("^-?-?nt[s]?[-_]?list[-_]?out")) {
        mutable_gvars().nts_list_out = sv(true);
      }
      mutable_gvars().nts_list = 1;
    }),
    dv_row("^-?-?vdw[-_]?delta", &gvars_rec::vdw_delta, 0.0, 1.6),
    dv_row("^-?-?vdw[-_]?cutoff", &gvars_rec::vdw_cutoff, 3.0, 7.0),
    dv_row("^-?-?overlap[-_]?angle", &gvars_rec::overlap_angle, 0.0, 90.0),
    dv_row("^-?-?pseudo[-_]?pair[-_]?angle", &gvars_rec::pseudo_pair_angle, 0.0, 90.0),
    dv_row("^-?-?t[-_]?shape[-_]?angle", &gvars_rec::tshape_angle, 30.0, 90.0),
    sw_row("^-?-?t[-_]?shape", &gvars_rec::tshape),
    dv_row("^-?-?angle11[-_]?cutoff", &gvars_rec::angle11_cutoff, 0.0, 180.0),
    dv_row("^-?-?angle1n[-_]?cutoff", &gvars_rec::angle1n_cutoff, 0.0, 180.0),
    dv_row("^-?-?network[-_]?vdist", &gvars_rec::network_vdist, 0.0, 6.0),
    dv_row("^-?-?network[-_]?ratio", &gvars_rec::network_ratio, 0.0, 2.0),
    dv_row("^-?-?network[-_]?dsa", &gvars_rec::network_dsa, 0.0, 256.0),
    dv_row("^-?-?horizontal[-_]?hdist[-_]?cutoff", &gvars_rec::horizontal_hdist, 1.5, 4.0),
    dv_row("^-?-?nonplanar[-_]?hdist[-_]?cutoff", &gvars_rec::nonplanar_hdist, 3.3, 4.0),
    l019_row("^-?-?c[-_]?h[-_]?bond", &gvars_rec::ch_bond),
    call_row("^-?-?tr(x|s|ans)[-_](mat|frame|file)", [] { mutable_gvars().trx_file = sv(true); }),
    call_row("^-?-?frame[-_]?(file|list)", [] { mutable_gvars().frame_list = frame_list_bits(); }),
    call_row("^-?-?r3d[-_]?frame", [] { mutable_gvars().r3d_frame = r3d_frame_bits(); }),
    call_row("^-?-?frame[-_]?(aa|amino|side|chain)", [] { derive_frame_aa_setting(g_arg); }),
    call_row("^-?-?frame", [] { derive_frame_setting(g_arg); }),
    call_row("^-?-?(view|orient)[-_]?rot", [] { derive_view_rotation(g_arg); }),
    call_row("^-?-?(view|orient)[-_]?pos", [] { derive_view_pos_frame(g_arg); }),
    call_row("^-?-?(view|orient)[-_]?(mat|frame)", [] { mutable_gvars().view_mat = derive_view_mat_frame(g_arg); }),
    call_row("^-?-?(view|orient)[-_]?(align|ls|fit)", [] { mutable_gvars().view_align = derive_view_mat_frame(g_arg); }),
    call_row("^-?-?(view|orient)", [] { mutable_gvars().view = view_code(); }),
    call_row("^-?-?h[-_]?b(ond)?[-_]?file", [] { get_hbond_option(); }, "^-?-?get[-_]?hbond"),
    sw_row("^-?-?stack[-_]?file", &gvars_rec::get_stack),
    call_row("^-?-?get[-_]?stack", [] { mutable_gvars().get_stack = 1; }),
    call_row("^-?-?peptide[-_]?base", [] { mutable_gvars().peptide_base = M("stack") && M("pair") ? 4 : M("pair") ? 2 : 1; }),
    dv_row("^-?-?(stack|overlap)(ing)?[-_]?cutoff", &gvars_rec::stack_cutoff, 0.01, 5.0),
    dv_row("^-?-?(stack|overlap)(ing)?[-_]?area", &gvars_rec::stack_area, 10.0, 900.0),
    call_row("^-?-?stack(ed)?[-_]?nt(s)?", [] { mutable_gvars().stacked_nts = stacked_nts_bits(); }),
    l019_row("^-?-?stack[-_]?(ens)?", &gvars_rec::stack_ens),
    sw_row("^-?-?bonds?[-_]?file", &gvars_rec::bonds_file),
    call_row("^-?-?(alc|mol|mdl)[-_]?file", [] { alc_mol_option(); }),
    sw_row("^-?-?(lkg|linkage)[-_]?file", &gvars_rec::linkage_file),
    sw_row("^-?-?contacts?[-_]?file", &gvars_rec::contacts_file),
    sw_row("^-?-?(sasa|area)[-_]?file", &gvars_rec::area_file),
    sw_row("^-?-?cx[-_]?file", &gvars_rec::cx_file),
    sw_row("^-?-?(in)?[-_]?plane[-_]?file", &gvars_rec::plane_file),
    sw_row("^-?-?tor(sion)?s?[-_]?file", &gvars_rec::torsion_file),
    sw_row("^-?-?conn(ect)?[-_]?file", &gvars_rec::conn_file),
    sw_row("^-?-?top[-_]?(view)?[-_]?file", &gvars_rec::topview_file),
    sw_row("^-?-?check[-_]?op", &gvars_rec::check_op),
    sw_row("^-?-?info[-_]?(nt|dna|rna|nuc)", &gvars_rec::info_nt),
    sw_row("^-?-?info[-_]?(aa|amino|pro|pep)", &gvars_rec::info_aa),
    call_row("^-?-?info[-_]?(list|file|all)", [] { mutable_gvars().info_list = info_list_bits(); }),
    sw_row("^-?-?simpl(e|ify)[-_]?pdb", &gvars_rec::simple_pdb),
    sw_row("^-?-?bp[-_]?seq", &gvars_rec::bp_seq),
    sw_row("^-?-?play[-_]?(ground)?", &gvars_rec::playground),
    call_row("^-?-?select", [] { select_option(); }),
    lv_row("^-?-?re[-_]?num(ber)?[-_]?r(es)?", &gvars_rec::renum_residue, -999999, 999999, 1),
    lv_row("^-?-?re[-_]?num", &gvars_rec::renum_atom, -999999, 999999, 1),
    sw_row("^-?-?reverse[-_]?s", &gvars_rec::reverse_select),
    sw_row("^-?-?(delete|remove)[-_]?(water|h2o)", &gvars_rec::delete_water),
    sw_row("^-?-?(delete|remove)[-_]?h", &gvars_rec::delete_h),
    call_row("^-?-?json[-_]?(dec|dig)", [] {
      mutable_gvars().json_fmt = sformat("%%.%ldf", lv_bare(3, 0, 8));
      if (mutable_gvars().json == 0) mutable_gvars().json = 1;
    }),
    call_row("^-?-?json", [] { json_option(); }),
    sw_row("^-?-?auxfile", &gvars_rec::auxfiles),
    dv_row("^-?-?(a2base|cap|capping)[-_]?vd1", &gvars_rec::a2base_vd1, 1.0, 3.0),
    dv_row("^-?-?(a2base|cap|capping)[-_]?vd", &gvars_rec::a2base_vd, 2.0, 6.0),
    dv_row("^-?-?(polygon)?[-_]?offset", &gvars_rec::polygon_offset, 0.0, 0.8),
    dv_row("^-?-?bpx[-_]?dv", &gvars_rec::bpx_dv, 0.0, 3.0),
    dv_row("^-?-?bpx[-_]?angle", &gvars_rec::bpx_angle, 0.0, 90.0),
    dv_row("^-?-?helix[-_]?break", &gvars_rec::helix_break, 4.0, 12.889),
    dv_row("^-?-?helix[-_]?bend", &gvars_rec::helix_bend, 0.0, 90.0),
    call_row("^-?-?altloc", [] { altloc_option(); }, "^-?-?alt(native)?[-_]?l(oc|ist)"),
    dv_row("^-?-?probe[-_]?radius", &gvars_rec::probe_radius, 0.0, 2.0),
    dv_row("^-?-?z[-_]?slice", &gvars_rec::z_slice, 0.001, 0.5),
    dv_row("^-?-?curved[-_]?cutoff", &gvars_rec::curved_cutoff, 0.0, 9.0),
    dv_row("^-?-?rise[-_]?cutoff", &gvars_rec::rise_cutoff, 0.0, 9.0),
    dv_row("^-?-?helix[-_]?ext", &gvars_rec::helix_ext, 0.0, 512.0),
    call_row("^-?-?heli(x|cal)[-_]?axis", [] { mutable_gvars().helical_axis = derive_helical_axis_setting(g_arg); }),
    call_row("^-?-?abasic", [] { mutable_gvars().abasic = extract_first_CHAR_with_dft(g_arg, "?.:;|^", '?'); }),
    call_row("^-?-?nt[-_]?(no|ignore|skip)", [] { derive_nt_ignored(g_arg, mutable_gvars().nt_ignored); }),
    call_row("^-?-?nt[-_]?map", [] { derive_nt_mappings(g_arg, mutable_gvars().nt_mappings); }),
    dv_row("^-?-?nt[-_]?cutoff", &gvars_rec::nt_cutoff, 0.01, 0.99),
    dv_row("^-?-?nt[-_]?ring[-_]?atom[-_]?cutoff", &gvars_rec::ring_atom_cutoff, 0.0, 0.5),
    call_row("^-?-?(bb|backbone)[-_]?ratio", [] {
      double r = dv(0.01, 100.0);
      mutable_gvars().bb_ratio = r < 1.0 ? 1.0 / r : r;
    }),
    call_row("^-?-?chain", [] { derive_chains_to_run(g_arg, mutable_gvars().chains); }),
    call_row("^-?-?models", [] { models_option(); }),
    call_row("^-?-?(nmr|md|ensemble)", [] {
      mutable_gvars().model_mode = 2;
      if (has_value()) get_selModels(g_arg);
    }),
    call_row("^-?-?symm", [] { mutable_gvars().model_mode = M("cross") ? 8 : 4; }),
    sw_row("^-?-?sasa", &gvars_rec::sasa),
    sw_row("^-?-?raw[-_]?(xyz|coor|pdb)", &gvars_rec::raw_xyz),
    sw_row("^-?-?raw[-_]?name", &gvars_rec::raw_name),
    dv_row("^-?-?occupancy", &gvars_rec::occupancy, 0.0, 1.0, 0.001),
    dv_row("^-?-?b[-_]?factor", &gvars_rec::bfactor, -999999.0, 999999.0, 999999.0),
    call_row("^-?-?stem", [] { mutable_gvars().stems = stems_code(); }),
    sw_row("^-?-?helix[-_]?b(a|b)", &gvars_rec::helix_baxis),
    call_row("^-?-?(sugar)?[-_]?pucker", [] { mutable_gvars().pucker = M("westhof|ws|83|new") ? 0 : 1; }),
    call_row("^-?-?idstr[-_]?sep", [] { mutable_gvars().idstr_sep = extract_separator_option(g_arg, "&.:,|+", '.'); }),
    lv_row("^-?-?idstr[-_]?(set|num|len|count|size)", &gvars_rec::idstr_size, 12, 1024),
    call_row("^-?-?idstr", [] { mutable_gvars().idstr = derive_idstr(g_arg); }),
    call_row("^-?-?(short|brief|simple$)", [] {
      mutable_gvars().short_name = sw();
      if (!M("(res)?(idue)?[-_]?name")) mutable_gvars().idstr = 0;
    }),
    sw_row("^-?-?stand[-_]?(alone)?", &gvars_rec::stand_alone),
    call_row("^-?-?format[-_]?out(put)?", [] { mutable_gvars().output_format = M("pdbx|cif") ? 2 : 1; }),
    call_row("^-?-?(mm)?cif[-_]?out(put)?", [] { mutable_gvars().output_format = 2; }, "^-?-?out(put)?[-_]?(mm)?cif"),
    call_row("^-?-?format", [] { mutable_gvars().input_format = M("pdbx|cif") ? 2 : 1; }),
    call_row("^-?-?(mm)?cif$", [] { mutable_gvars().input_format = 2; }),
    call_row("^-?-?pdb$", [] { mutable_gvars().input_format = 1; }),
    sw_row("^-?-?segid", &gvars_rec::segid),
    call_row("^-?-?sqlite", [] { mutable_gvars().sqlite = sqlite_code(); }),
    call_row("^-?-?tor(sion)?s?[-_]?360", [] { mutable_gvars().torsion360 = M("pseudo") ? 1 : M("all|every|whole|\\*") ? 9 : set_long_019(g_arg); }),
    dv_row("^-?-?(po|op)[-_]?(bond|conn)", &gvars_rec::op_bond, 1.0, 16.0),
    sw_row("^-?-?atom[-_]?hb.*prop", &gvars_rec::atom_hbond_prop),
    dv_row("^-?-?splay[-_]?(cutoff)?", &gvars_rec::splay_cutoff, 0.0, 180.0, 100.0),
    dv_row("^-?-?rmsd[-_]?d(ouble)?[-_]?s", &gvars_rec::rmsd_ds, 0.0, 1.0, 0.68168),
    dv_row("^-?-?rmsd[-_]?s(ingle)?[-_]?s", &gvars_rec::rmsd_ss, 0.0, 1.0, 0.5),
    dv_row("^-?-?rmsd[-_]?z(dna|rna|form)?", &gvars_rec::rmsd_z, 0.0, 2.0, 0.76),
    sw_row("^-?-?(test|debug)", &gvars_rec::test),
    sw_row("^-?-?(new|exptl|experimental)", &gvars_rec::experimental),
    sw_row("^-?-?circular", &gvars_rec::circular),
    sw_row("^-?-?(1|a|one|per|single)[-_]?model", &gvars_rec::one_pass),
    dv_row("^-?-?opening(180)?", &gvars_rec::opening, -180.0, 0.0, -168.0),
    l019_row("^-?-?ga[-_]?(pair)?", &gvars_rec::ga_pair),
    sw_row("^-?-?z[-_]?(step|form)", &gvars_rec::z_step),
    dv_row("^-?-?zor?[-_]?(frame)?[-_]?axis[-_]?(len|siz)", &gvars_rec::axis_len, 0.0, 10.0, 2.0),
    dv_row("^-?-?zor?[-_]?(frame)?[-_]?axis[-_]?(rad|wid)", &gvars_rec::axis_rad, 0.0, 1.0, 0.02),
    dv_row("^-?-?zor?[-_]?(frame)?[-_]?o(rigin)?[-_]rad", &gvars_rec::origin_rad, 0.0, 0.6, 0.06889),
    dv_row("^-?-?zor?[-_]?(block)?[-_]?(edge|line)", &gvars_rec::block_edge, 0.0, 0.3, 0.03),
    sw_row("^-?-?order[-_]?residue", &gvars_rec::order_residues),
    call_row("^-?-?list[-_]?chain", [] { derive_list_chains(g_arg); }),
    call_row("^-?-?list[-_]?residue", [] { derive_list_residues(g_arg); }),
    call_row("^-?-?a?[-_]?minor", [] { mutable_gvars().a_minor = iupac_letter('A'); }),
    call_row("^-?-?G4?[-_]?(list|inp)", [] { mutable_gvars().g4_list = sv(true); }),
    lv_row("^-?-?G4?[-_]?bulge", &gvars_rec::g4_bulge, 1, 64, 16),
    call_row("^-?-?g[-_]?(4|qua|tet)", [] { g4_option(); }, nullptr, "model"),
    call_row("^-?-?u[-_]?turn", [] { uturn_option(); }),
    lv_row("^-?-?ua[-_]?loop", &gvars_rec::ua_loop, 1, 32, 8),
    call_row("^-?-?non?[-_]?pair", [] { mutable_gvars().non_pair = sw() == 0 ? 0 : M("excl(.*)[-_]?neig") ? 3 : 1; }),
    sw_row("^-?-?(po4|phos)", &gvars_rec::phosphate),
    sw_row("^-?-?p(seudo)?[-_]?knot", &gvars_rec::pknot),
    call_row("^-?-?nest(ed)?", [] { mutable_gvars().pknot = 0; }),
    call_row("^-?-?dbn", [] {
      if (M("break")) mutable_gvars().dbn_break = extract_separator_option(g_arg, "&.:;,|+([{", '&');
      if (M("(no|exclude)[-_]?(single|lone|isolate|ic)?[-_]?pair")) mutable_gvars().isolated &= ~1L;
    }),
    sw_row("^-?-?(ss|2nd)[-_]?simple", &gvars_rec::ss_simple),
    call_row("^-?-?(water|h2o)", [] { water_option(); }),
    call_row("^-?-?metal", [] { metal_option(); }),
    call_row("^-?-?crit(eri)?", [] { set_pair_criteria(g_arg); }),
    dv_row("^-?-?d?WC[-_]?geo", &gvars_rec::wc_geo, -90.0, 0.0),
    call_row("^-?-?loop", [] { loop_option(); }),
    call_row("^-?-?(lone|iso)(late)?d?(canon)?(ical)?[-_]?pair", [] {
      if (M("not[-_]?(in)?[-_]?(dbn|sec|str)")) mutable_gvars().isolated &= ~1L;
      if (M("not[-_]?(in)?[-_]?loop")) mutable_gvars().isolated &= ~2L;
      if (M("repeat")) mutable_gvars().loop[5] = 0;
    }, "^-?-?ic[-_]?pair"),
    sw_row("^-?-?embed", &gvars_rec::embedded),
    call_row("^-?-?(extend|consolidate)", [] {
      mutable_gvars().stems = 7;
      mutable_gvars().loop[2] = 0;
    }),
    sw_row("^-?-?time", &gvars_rec::time_report),
    call_row("^-?-?summary", [] { mutable_gvars().summary = sw() == 0 ? 0 : M("ind") ? 6 : 2; }),
    call_row("^-?-?name", [] { mutable_gvars().pair_name = !has_value() ? 2 : M("simple|regular|less|no") ? 1 : 2; }),
    call_row("^-?-?simpl(e|ify)[-_]?junction", [] { mutable_gvars().simple_jct = simple_junction_code(); }),
    call_row("^-?-?simple[-_]?pa", [] {
      mutable_gvars().simple_pair = !has_value()            ? 1
                          : M("n1|n9")            ? 2
                          : M("c1")               ? 4
                          : M("center|ring")      ? 8
                                                  : 1;
    }),
    sw_row("^-?-?special[-_]?n(ucleo)?t", &gvars_rec::special_nts),
    dv_row("^-?-?k(ink)?[-_]?turn[-_]?angle", &gvars_rec::kturn_angle, 0.0, 180.0),
    call_row("^-?-?k(ink)?[-_]?turn", [] { mutable_gvars().kturn = kturn_bits(); }),
    dv_row("^-?-?scale[-_]?(factor)?", &gvars_rec::scale_factor, 0.0, DBL_MAX),
    call_row("^-?-?s(ingle)?[-_]?s(trand)?[-_]?par", [] { mutable_gvars().ss_par = derive_single_strand_setting(g_arg); }),
    sw_row("^-?-?suite[-_]?wannabe", &gvars_rec::suite_wannabe),
    dv_row("^-?-?suite[-_]?power", &gvars_rec::suite_power, 1.0, 6.0),
    call_row("^-?-?suite[-_]?(sep|dlm|delim)", [] { mutable_gvars().suite_sep = extract_separator_option(g_arg, "&.:;,|+([{", '('); }),
    sw_row("^-?-?suite[-_]?upper[-_]?base", &gvars_rec::suite_upper),
    call_row("^-?-?transp", [] {
      mutable_gvars().transparency = dv_bare(0.8, 0.0, 1.0);
      mutable_gvars().block_file[BLK_TRANSPARENT] = 1;
    }),
    lv_row("^-?-?server", &gvars_rec::server_cap, 1, 999999, 20000),
    sw_row("^-?-?web[-_]?skmatic", &gvars_rec::web_skmatic),
    lv_row("^-?-?(pymol)?[-_]?ray[-_]?(size|width)?", &gvars_rec::ray_size, 600, 5000, 1800),
  };
  return rows;
}

// 1 when one of the rows matched.
int other_options() {
  for (const option_row& row : other_option_rows())
    if (row.matches()) {
      row.apply();
      return 1;
    }
  return 0;
}

}  // namespace

int check_common_options(const char* arg) {
  g_arg = arg;
  if (M("^-?-?seq(uence)?[-_]?") && sequence_group()) return 1;
  if (M("^-?-?block?") && block_group()) return 1;
  if (M("^-?-?(cartoon|pymol)[-_]?") && cartoon_group()) return 1;
  if (M("^-?-?hbonds?[-_]?") && hbond_group()) return 1;
  if (M("^-?-?pair[-_]?")) {
    pair_option();
    return 1;
  }
  return other_options();
}

}  // namespace vask
