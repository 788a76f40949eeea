// Option values that are more than a number or a switch: verbosity, log
// names, prefix, id-string style, model lists, view frames, characters.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/option.hpp"
#include "pairing/frame.hpp"
#include "support/config_tokenizer.hpp"
#include "support/config_value.hpp"
#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// The text after the first '='; "" when there is none.
std::string value_after_eq(const char* option) {
  std::string_view s(option);
  size_t eq = s.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(s.substr(eq + 1));
}

// The text from the first '=' on; "" when there is none.
std::string from_eq(const char* option) {
  std::string_view s(option);
  size_t eq = s.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(s.substr(eq));
}

frame identity_frame_fit1() {
  frame f;
  set_identity_frame(f);
  f.rmsd = 1.0;
  return f;
}

}  // namespace

void set_verbosity_level(const char* option) {
  if (with_optional_endEqual(option)) {
    VERBOSITY = 1;
    return;
  }
  std::string v = get_strvalue(option, false);
  long n = cvt2long(v);
  if (n != LONG_MAX) {
    VERBOSITY = n < 0 ? -1 : n == 0 ? 0 : n < 9 ? 1 : 9;
  } else if (cvt2double(v) != DBL_MAX) {
    VERBOSITY = 9;  // not a whole number
  } else if (zor_ncmatch(v, "silent|quiet")) {
    VERBOSITY = -1;
  } else if (zor_ncmatch(v, "normal|regular|medium")) {
    VERBOSITY = 0;
  } else if (zor_ncmatch(v, "high|extreme|most|more")) {
    VERBOSITY = 9;
  } else {
    VERBOSITY = 1;
  }
}

void derive_logfile(const char* option, std::string& dest) {
  std::string v = get_strvalue(option, true);
  for (const char* off : {"no", "not", "none", "off", "false", "0"})
    if (is_equal_icase_str(v, off)) {
      dest.clear();
      return;
    }
  dest = v;
}

void derive_prefix(const char* option) {
  if (with_optional_endEqual(option)) return;
  std::string v = trimmed(get_strvalue(option, true));
  mutable_gvars().prefix = v.empty() ? "vask" : v;
}

long derive_idstr(const char* option) {
  if (with_optional_endEqual(option)) return 2;
  std::string v = value_after_eq(option);
  const char* kWithObject = "(with|has|have)[-_]?(obj|str|id)";
  if (zor_ncmatch(v, "short|brief|simple")) {
    if (zor_ncmatch(v, "(res)?(idue)?[-_]?name")) mutable_gvars().short_name = 1;
    return 0;
  }
  if (zor_ncmatch(v, "long|extend")) return 2;
  if (zor_ncmatch(v, "jmol")) return 4;
  if (zor_ncmatch(v, "ebi|bgsu|fr3d|rna3d|unit")) return zor_ncmatch(option, kWithObject) ? 5 : 6;
  if (zor_ncmatch(v, "pymol")) return zor_ncmatch(option, kWithObject) ? 7 : 8;
  return zor_ncmatch(v, kWithObject) ? 3 : 1;
}

long derive_helical_axis_setting(const char* option) {
  if (std::string_view(option).find('=') == std::string_view::npos) {
    runlog_msg("[i] take option '%s' as '%s=helix'\n", option, option);
    return 1;
  }
  std::string v = from_eq(option);
  bool helix = zor_ncmatch(v, "helix"), stem = zor_ncmatch(v, "stem");
  if (helix && stem) return 3;
  if (helix) return 1;
  if (stem) return 2;
  if (zor_ncmatch(v, "all")) return 3;
  runlog_msg("[i] unrecognized option '%s' default to 'helix'\n", option);
  return 1;
}

long derive_single_strand_setting(const char* option) {
  if (with_optional_endEqual(option)) return 1;
  std::string v = value_after_eq(option);
  if (zor_ncmatch(v, "^(off|0|no|false)$")) return 0;
  long code = 1;
  if (zor_ncmatch(v, "heli")) code += 2;
  if (zor_ncmatch(v, "(corr|simp)")) code += 4;
  if (zor_ncmatch(v, "new|writ")) code += 8;
  if (zor_ncmatch(v, "append|add|attach")) code += 16;
  return code;
}

void derive_list_residues(const char* option) {
  std::string v = value_after_eq(option);
  if (zor_ncmatch(v, "^a"))
    mutable_gvars().list_residue = "amino-acid";
  else if (zor_ncmatch(v, "^w"))
    mutable_gvars().list_residue = "water";
  else if (zor_ncmatch(v, "^m"))
    mutable_gvars().list_residue = "metal";
  else if (zor_ncmatch(v, "^l"))
    mutable_gvars().list_residue = "ligand";
  else
    mutable_gvars().list_residue = "nucleotide";
}

void derive_list_chains(const char* option) {
  std::string v = value_after_eq(option);
  if (zor_ncmatch(v, "^a"))
    mutable_gvars().list_chain = "aa";
  else if (zor_ncmatch(v, "^o"))
    mutable_gvars().list_chain = "ot";
  else
    mutable_gvars().list_chain = "na";
}

void get_selModels(const char* option) {
  std::string v = get_strvalue(option, false);
  convert_cs0_in_str(v, "+,;", ' ');
  convert_char_in_str(v, '-', ':');
  std::vector<std::string> items;
  long n = split_str_by_strtok(v, items, 512, " \t\n");
  // one mark per possible number: overlapping ranges cost no memory or sorting
  std::vector<char> chosen(static_cast<size_t>(MAX_MODEL_NUMBER) + 1, 0);
  bool capped = false;
  long lowest = MAX_MODEL_NUMBER + 1, highest = -1;
  for (long k = 1; k <= n; ++k) {
    const std::string& item = items[static_cast<size_t>(k)];
    std::vector<std::string> parts;
    long np = split_str_by_sep_char(item, parts, 4, ':');
    long x[3] = {LONG_MAX, LONG_MAX, LONG_MAX};
    bool ok = np >= 1 && np <= 3;
    for (long j = 1; ok && j <= np; ++j) {
      x[j - 1] = cvt2long(parts[static_cast<size_t>(j)]);
      if (x[j - 1] == LONG_MAX) ok = false;
    }
    if (!ok) {
      logitf("\t[i] ignore invalid '%s' --- begin[:step]:end\n", item.c_str());
      continue;
    }
    long begin = x[0], step = 1, end = x[0];
    if (np == 2) end = x[1];
    if (np == 3) {
      step = x[1];
      end = x[2];
    }
    if (begin < 0 || begin > end || step <= 0) {
      logitf("\t[i] ignore wrong order or 0 step: '%s'\n", item.c_str());
      continue;
    }
    // an ensemble holds at most MAX_MODEL_NUMBER models: never expand beyond
    if (end > MAX_MODEL_NUMBER) {
      end = MAX_MODEL_NUMBER;
      capped = true;
    }
    for (long m = begin; m <= end; m += step) chosen[static_cast<size_t>(m)] = 1;
    lowest = std::min(lowest, begin);
    highest = std::max(highest, end);
  }
  if (capped) logitf("\t[i] ignore model numbers above %ld\n", MAX_MODEL_NUMBER);
  std::vector<long> numbers;
  for (long m = lowest; m <= highest; ++m)
    if (chosen[static_cast<size_t>(m)]) numbers.push_back(m);
  if (numbers.empty()) {
    logit("\t[i] no valid numbers specified: take all models\n");
    mutable_gvars().selected_models.clear();
    return;
  }
  mutable_gvars().selected_models.assign(1, static_cast<long>(numbers.size()));
  mutable_gvars().selected_models.insert(mutable_gvars().selected_models.end(), numbers.begin(), numbers.end());
}

void derive_view_rotation(const char* option) {
  frame& f = mutable_gvars().view_rot;
  f = identity_frame_fit1();
  if (with_optional_endEqual(option)) return;
  std::string v = upper_copy(value_after_eq(option));
  convert_cs0_in_str(v, ",;", '|');
  convert_cs0_in_str(v, "=:()[]{}", ' ');
  std::vector<std::string> items;
  long n = split_str_by_strtok(v, items, 32, "|");
  rotmat R;
  identity_matrix(R);
  for (long k = 1; k <= n; ++k) {
    const std::string& item = items[static_cast<size_t>(k)];
    std::vector<std::string> w;
    long nw = split_str_by_strtok(item, w, 5, " \t\r\n");
    auto num = [&w, nw](long j) { return j <= nw ? cvt2double(w[static_cast<size_t>(j)]) : DBL_MAX; };
    rotmat step;
    identity_matrix(step);
    bool accepted = true;
    if (nw == 4 && num(1) != DBL_MAX && num(2) != DBL_MAX && num(3) != DBL_MAX &&
        num(4) != DBL_MAX) {
      xyz axis{0, num(1), num(2), num(3)};
      rot_arb_axis(axis, -num(4), step);
    } else if (nw == 4 && num(2) != DBL_MAX && num(3) != DBL_MAX && num(4) != DBL_MAX) {
      if (w[1][0] == 'O') {
        f.org = {0, num(2), num(3), num(4)};
      } else {
        runlog_msg("[i] skip invalid origin: %s\n", item.c_str());
        accepted = false;
      }
    } else if (nw == 2 && num(2) != DBL_MAX) {
      double a = num(2);
      switch (w[1][0]) {
        case 'X': rotx(-a, step); break;
        case 'Y': roty(-a, step); break;
        case 'Z': rotz(-a, step); break;
        case 'O': f.org = {0, a, a, a}; break;
        default:
          runlog_msg("[i] skip unrecognized axis: %s\n", item.c_str());
          accepted = false;
      }
    } else if (zor_ncmatch(item, "mean|ave|cen")) {
      f.residue = 1;  // centre on the mean position
    } else {
      runlog_msg("[i] skip unrecognized setting: %sf\n", item.c_str());
      accepted = false;
    }
    if (!accepted) continue;
    rotmat next;
    multiply_matrix_3x3(R, step, next);
    R = next;
  }
  rotmat_to_frame(R, f);
}

void derive_view_pos_frame(const char* option) {
  frame& f = mutable_gvars().view_pos;
  f = identity_frame_fit1();
  if (with_optional_endEqual(option)) return;
  parsed_config cfg;
  parse_config(cfg, get_strvalue(option, true));
  xyz p1{}, p2{}, p3{};
  extract_tag_followed_by_3dvals(cfg, "pos.*1", p1);
  extract_tag_followed_by_3dvals(cfg, "pos.*2", p2);
  extract_tag_followed_by_3dvals(cfg, "pos.*3", p3);
  free_config(cfg);
  define_frame_by_3positions(p1, p2, p3, f);
}

frame derive_view_mat_frame(const char* option) {
  frame f = identity_frame_fit1();
  if (with_optional_endEqual(option)) return f;
  parsed_config cfg;
  parse_config(cfg, get_strvalue(option, true));
  extract_tag_followed_by_3dvals(cfg, "position|origin", f.org);
  extract_tag_followed_by_3dvals(cfg, "x[-_]?axis", f.x_axis);
  extract_tag_followed_by_3dvals(cfg, "y[-_]?axis", f.y_axis);
  extract_tag_followed_by_3dvals(cfg, "z[-_]?axis", f.z_axis);
  free_config(cfg);
  verify_frame(f);
  return f;
}

long extract_first_CHAR_with_dft(const char* option, const char* set, long dft) {
  if (with_optional_endEqual(option)) return dft;
  std::string v = value_after_eq(option);
  char c = static_cast<char>(std::toupper(static_cast<unsigned char>(v[0])));
  return icase_strchr(set, c) != std::string_view::npos ? c : dft;
}

long extract_separator_option(const char* option, const char* set, long dft) {
  if (std::string_view(option).find('=') != std::string_view::npos &&
      zor_ncmatch(value_after_eq(option), "^(off|0|no|false)$"))
    return 0;
  return extract_first_CHAR_with_dft(option, set, dft);
}

}  // namespace vask
