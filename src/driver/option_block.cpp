// Block colours, block-file, cartoon-block and block-configuration options,
// and the preset pair criteria.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

struct named_color {
  const char* name;  // upper case, words joined by '-'
  const char* hex;
  int r, g, b;       // 0..255
};

// The CSS named colours, in the order of the block-colour name table.
constexpr named_color kNamedColors[] = {
    {"MAROON", "#800000", 128, 0, 0},
    {"DARK-RED", "#8B0000", 139, 0, 0},
    {"BROWN", "#A52A2A", 165, 42, 42},
    {"FIREBRICK", "#B22222", 178, 34, 34},
    {"CRIMSON", "#DC143C", 220, 20, 60},
    {"RED", "#FF0000", 255, 0, 0},
    {"TOMATO", "#FF6347", 255, 99, 71},
    {"CORAL", "#FF7F50", 255, 127, 80},
    {"INDIAN-RED", "#CD5C5C", 205, 92, 92},
    {"LIGHT-CORAL", "#F08080", 240, 128, 128},
    {"DARK-SALMON", "#E9967A", 233, 150, 122},
    {"SALMON", "#FA8072", 250, 128, 114},
    {"LIGHT-SALMON", "#FFA07A", 255, 160, 122},
    {"ORANGE-RED", "#FF4500", 255, 69, 0},
    {"DARK-ORANGE", "#FF8C00", 255, 140, 0},
    {"ORANGE", "#FFA500", 255, 165, 0},
    {"GOLD", "#FFD700", 255, 215, 0},
    {"DARK-GOLDEN-ROD", "#B8860B", 184, 134, 11},
    {"GOLDEN-ROD", "#DAA520", 218, 165, 32},
    {"PALE-GOLDEN-ROD", "#EEE8AA", 238, 232, 170},
    {"DARK-KHAKI", "#BDB76B", 189, 183, 107},
    {"KHAKI", "#F0E68C", 240, 230, 140},
    {"OLIVE", "#808000", 128, 128, 0},
    {"YELLOW", "#FFFF00", 255, 255, 0},
    {"YELLOW-GREEN", "#9ACD32", 154, 205, 50},
    {"DARK-OLIVE-GREEN", "#556B2F", 85, 107, 47},
    {"OLIVE-DRAB", "#6B8E23", 107, 142, 35},
    {"LAWN-GREEN", "#7CFC00", 124, 252, 0},
    {"CHART-REUSE", "#7FFF00", 127, 255, 0},
    {"GREEN-YELLOW", "#ADFF2F", 173, 255, 47},
    {"DARK-GREEN", "#006400", 0, 100, 0},
    {"GREEN", "#008000", 0, 128, 0},
    {"FOREST-GREEN", "#228B22", 34, 139, 34},
    {"LIME", "#00FF00", 0, 255, 0},
    {"LIME-GREEN", "#32CD32", 50, 205, 50},
    {"LIGHT-GREEN", "#90EE90", 144, 238, 144},
    {"PALE-GREEN", "#98FB98", 152, 251, 152},
    {"DARK-SEA-GREEN", "#8FBC8F", 143, 188, 143},
    {"MEDIUM-SPRING-GREEN", "#00FA9A", 0, 250, 154},
    {"SPRING-GREEN", "#00FF7F", 0, 255, 127},
    {"SEA-GREEN", "#2E8B57", 46, 139, 87},
    {"MEDIUM-AQUA-MARINE", "#66CDAA", 102, 205, 170},
    {"MEDIUM-SEA-GREEN", "#3CB371", 60, 179, 113},
    {"LIGHT-SEA-GREEN", "#20B2AA", 32, 178, 170},
    {"DARK-SLATE-GRAY", "#2F4F4F", 47, 79, 79},
    {"TEAL", "#008080", 0, 128, 128},
    {"DARK-CYAN", "#008B8B", 0, 139, 139},
    {"AQUA", "#00FFFF", 0, 255, 255},
    {"CYAN", "#00FFFF", 0, 255, 255},
    {"LIGHT-CYAN", "#E0FFFF", 224, 255, 255},
    {"DARK-TURQUOISE", "#00CED1", 0, 206, 209},
    {"TURQUOISE", "#40E0D0", 64, 224, 208},
    {"MEDIUM-TURQUOISE", "#48D1CC", 72, 209, 204},
    {"PALE-TURQUOISE", "#AFEEEE", 175, 238, 238},
    {"AQUA-MARINE", "#7FFFD4", 127, 255, 212},
    {"POWDER-BLUE", "#B0E0E6", 176, 224, 230},
    {"CADET-BLUE", "#5F9EA0", 95, 158, 160},
    {"STEEL-BLUE", "#4682B4", 70, 130, 180},
    {"CORN-FLOWER-BLUE", "#6495ED", 100, 149, 237},
    {"DEEP-SKY-BLUE", "#00BFFF", 0, 191, 255},
    {"DODGER-BLUE", "#1E90FF", 30, 144, 255},
    {"LIGHT-BLUE", "#ADD8E6", 173, 216, 230},
    {"SKY-BLUE", "#87CEEB", 135, 206, 235},
    {"LIGHT-SKY-BLUE", "#87CEFA", 135, 206, 250},
    {"MIDNIGHT-BLUE", "#191970", 25, 25, 112},
    {"NAVY", "#000080", 0, 0, 128},
    {"DARK-BLUE", "#00008B", 0, 0, 139},
    {"MEDIUM-BLUE", "#0000CD", 0, 0, 205},
    {"BLUE", "#0000FF", 0, 0, 255},
    {"ROYAL-BLUE", "#4169E1", 65, 105, 225},
    {"BLUE-VIOLET", "#8A2BE2", 138, 43, 226},
    {"INDIGO", "#4B0082", 75, 0, 130},
    {"DARK-SLATE-BLUE", "#483D8B", 72, 61, 139},
    {"SLATE-BLUE", "#6A5ACD", 106, 90, 205},
    {"MEDIUM-SLATE-BLUE", "#7B68EE", 123, 104, 238},
    {"MEDIUM-PURPLE", "#9370DB", 147, 112, 219},
    {"DARK-MAGENTA", "#8B008B", 139, 0, 139},
    {"DARK-VIOLET", "#9400D3", 148, 0, 211},
    {"DARK-ORCHID", "#9932CC", 153, 50, 204},
    {"MEDIUM-ORCHID", "#BA55D3", 186, 85, 211},
    {"PURPLE", "#800080", 128, 0, 128},
    {"THISTLE", "#D8BFD8", 216, 191, 216},
    {"PLUM", "#DDA0DD", 221, 160, 221},
    {"VIOLET", "#EE82EE", 238, 130, 238},
    {"MAGENTA", "#FF00FF", 255, 0, 255},
    {"FUCHSIA", "#FF00FF", 255, 0, 255},
    {"ORCHID", "#DA70D6", 218, 112, 214},
    {"MEDIUM-VIOLET-RED", "#C71585", 199, 21, 133},
    {"PALE-VIOLET-RED", "#DB7093", 219, 112, 147},
    {"DEEP-PINK", "#FF1493", 255, 20, 147},
    {"HOT-PINK", "#FF69B4", 255, 105, 180},
    {"LIGHT-PINK", "#FFB6C1", 255, 182, 193},
    {"PINK", "#FFC0CB", 255, 192, 203},
    {"ANTIQUE-WHITE", "#FAEBD7", 250, 235, 215},
    {"BEIGE", "#F5F5DC", 245, 245, 220},
    {"BISQUE", "#FFE4C4", 255, 228, 196},
    {"BLANCHED-ALMOND", "#FFEBCD", 255, 235, 205},
    {"WHEAT", "#F5DEB3", 245, 222, 179},
    {"CORN-SILK", "#FFF8DC", 255, 248, 220},
    {"LEMON-CHIFFON", "#FFFACD", 255, 250, 205},
    {"LIGHT-GOLDEN-ROD-YELLOW", "#FAFAD2", 250, 250, 210},
    {"LIGHT-YELLOW", "#FFFFE0", 255, 255, 224},
    {"SADDLE-BROWN", "#8B4513", 139, 69, 19},
    {"SIENNA", "#A0522D", 160, 82, 45},
    {"CHOCOLATE", "#D2691E", 210, 105, 30},
    {"PERU", "#CD853F", 205, 133, 63},
    {"SANDY-BROWN", "#F4A460", 244, 164, 96},
    {"BURLY-WOOD", "#DEB887", 222, 184, 135},
    {"TAN", "#D2B48C", 210, 180, 140},
    {"ROSY-BROWN", "#BC8F8F", 188, 143, 143},
    {"MOCCASIN", "#FFE4B5", 255, 228, 181},
    {"NAVAJO-WHITE", "#FFDEAD", 255, 222, 173},
    {"PEACH-PUFF", "#FFDAB9", 255, 218, 185},
    {"MISTY-ROSE", "#FFE4E1", 255, 228, 225},
    {"LAVENDER-BLUSH", "#FFF0F5", 255, 240, 245},
    {"LINEN", "#FAF0E6", 250, 240, 230},
    {"OLD-LACE", "#FDF5E6", 253, 245, 230},
    {"PAPAYA-WHIP", "#FFEFD5", 255, 239, 213},
    {"SEA-SHELL", "#FFF5EE", 255, 245, 238},
    {"MINT-CREAM", "#F5FFFA", 245, 255, 250},
    {"SLATE-GRAY", "#708090", 112, 128, 144},
    {"LIGHT-SLATE-GRAY", "#778899", 119, 136, 153},
    {"LIGHT-STEEL-BLUE", "#B0C4DE", 176, 196, 222},
    {"LAVENDER", "#E6E6FA", 230, 230, 250},
    {"FLORAL-WHITE", "#FFFAF0", 255, 250, 240},
    {"ALICE-BLUE", "#F0F8FF", 240, 248, 255},
    {"GHOST-WHITE", "#F8F8FF", 248, 248, 255},
    {"HONEYDEW", "#F0FFF0", 240, 255, 240},
    {"IVORY", "#FFFFF0", 255, 255, 240},
    {"AZURE", "#F0FFFF", 240, 255, 255},
    {"SNOW", "#FFFAFA", 255, 250, 250},
    {"BLACK", "#000000", 0, 0, 0},
    {"DIM-GRAY", "#696969", 105, 105, 105},
    {"DIM-GREY", "#696969", 105, 105, 105},
    {"GRAY", "#808080", 128, 128, 128},
    {"GREY", "#808080", 128, 128, 128},
    {"DARK-GRAY", "#A9A9A9", 169, 169, 169},
    {"DARK-GREY", "#A9A9A9", 169, 169, 169},
    {"SILVER", "#C0C0C0", 192, 192, 192},
    {"LIGHT-GRAY", "#D3D3D3", 211, 211, 211},
    {"LIGHT-GREY", "#D3D3D3", 211, 211, 211},
    {"GAINSBORO", "#DCDCDC", 220, 220, 220},
    {"WHITE-SMOKE", "#F5F5F5", 245, 245, 245},
    {"WHITE", "#FFFFFF", 255, 255, 255},
};
static_assert(std::size(kNamedColors) == 144, "the 144 CSS named colours");

bool in_list(std::string_view term, std::string_view list) {
  return list.find(term) != std::string_view::npos;
}

void set_flags(switch_set& s, std::initializer_list<int> flags) {
  for (int f : flags) s[static_cast<size_t>(f)] = 1;
}

// Upper-cased value with "," and ";" turned into "|" and the brackets (and
// more) into blanks, split at "|".
std::vector<std::string> split_color_items(const std::string& value, std::string_view blanks,
                                           long max) {
  std::string s = upper_copy(value);
  convert_cs0_in_str(s, ",;", '|');
  convert_cs0_in_str(s, blanks, ' ');
  std::vector<std::string> items;
  split_str_by_strtok(s, items, max, "|");
  return items;  // [1..n]
}

}  // namespace

void set_block_color_by_rgb(const std::string& term, double r, double g, double b) {
  std::vector<int> slots;
  auto& bf = mutable_gvars().block_file;
  // what a colour term names is drawn in a block schematic asked for by
  // another option; the term alone asks for none
  auto& items = mutable_gvars().block_color_items;
  const char* t = term.c_str();
  if (term.size() == 1) {
    switch (term[0]) {
      case 'A': slots = {1}; break;
      case 'C': slots = {2}; break;
      case 'G': slots = {3}; break;
      case 'T': slots = {4}; break;
      case 'U': slots = {5}; break;
      case 'P': slots = {6}; break;
      case 'R': slots = {1, 3}; break;
      case 'Y': slots = {2, 4, 5, 6}; break;
      case 'N': slots = {1, 2, 3, 4, 5, 6}; break;
      case 'S': slots = {2, 3}; break;
      case 'W': slots = {1, 4, 5}; break;
      case 'K': slots = {3, 4, 5}; break;
      case 'M': slots = {1, 2}; break;
      case 'B': slots = {2, 3, 4, 5, 6}; break;
      case 'D': slots = {1, 3, 4, 5, 6}; break;
      case 'H': slots = {1, 2, 4, 5, 6}; break;
      case 'V': slots = {1, 2, 3}; break;
      default: break;
    }
  }
  if (slots.empty()) {
    if (in_list(term, "GC; CG")) {
      slots = {COLOR_GC};
      set_flags(items, {BLK_PAIR, BLK_PAIR_COLOR});
    } else if (in_list(term, "AT; TA; AU; UA")) {
      slots = {COLOR_AT};
      set_flags(items, {BLK_PAIR, BLK_PAIR_COLOR});
    } else if (in_list(term, "GU; UG; GT; TG; WOBBLE")) {
      slots = {COLOR_GU};
      set_flags(items, {BLK_CANONICAL, BLK_PAIR_COLOR});
    } else if (zor_ncmatch(t, "G[-_]?(4|QUA|TET)")) {
      slots = {COLOR_GTETRAD};
      set_flags(items, {BLK_GTETRAD});
    } else if (zor_ncmatch(t, "SYN")) {
      slots = {COLOR_SYN};
      set_flags(items, {BLK_SYN});
    } else if (zor_ncmatch(t, "PEP")) {
      slots = {COLOR_PEPTIDE};
      set_flags(items, {BLK_PEPTIDE});
    } else if (zor_ncmatch(t, "PLAN|AROM|SIDE|CHAIN|AA")) {
      slots = {COLOR_SIDECHAIN};
      set_flags(items, {BLK_SIDECHAIN});
    } else if (zor_ncmatch(t, "H[-_]?BOND")) {
      slots = {COLOR_HBOND};
      set_flags(items, {BLK_HBOND});
    } else if (zor_ncmatch(t, "FILL")) {
      if (zor_ncmatch(t, "FILL[-_]?(UP|PL|PO|HE)")) {
        slots = {COLOR_FILL_UPPER};
        set_flags(items, {BLK_FILL_UPPER});
      } else if (zor_ncmatch(t, "FILL[-_]?(DO|MI|NE|TA)")) {
        slots = {COLOR_FILL_LOWER};
        set_flags(items, {BLK_FILL_LOWER});
      } else {
        slots = {COLOR_FILL_UPPER, COLOR_FILL_LOWER};
        set_flags(items, {BLK_FILL_UPPER, BLK_FILL_LOWER});
      }
    } else if (zor_ncmatch(t, "FRAME")) {
      slots = {COLOR_FRAME};
      if (opts_with_switch_set(bf) && !bf[BLK_FRAME_ORIGIN] && !bf[BLK_FRAME_XY] && !bf[BLK_FRAME_WHOLE])
        bf[BLK_FRAME_WHOLE] = 1;
    } else if (zor_ncmatch(t, "C2[-_]ENDO")) {
      slots = {COLOR_C2ENDO};
      set_flags(items, {BLK_SUGAR});
    } else if (zor_ncmatch(t, "C3[-_]ENDO")) {
      slots = {COLOR_C3ENDO};
      set_flags(items, {BLK_SUGAR});
    } else if (zor_ncmatch(t, "CANON")) {
      slots = {COLOR_GC, COLOR_AT, COLOR_GU};
      set_flags(items, {BLK_CANONICAL, BLK_PAIR_COLOR});
    } else if (in_list(term, "RIGHT")) {
      slots = {COLOR_RIGHT};
      set_flags(items, {BLK_RIGHT});
    } else if (in_list(term, "LEFT")) {
      slots = {COLOR_LEFT};
      set_flags(items, {BLK_LEFT});
    } else if (zor_ncmatch(t, "WC|PAIR")) {
      slots = {COLOR_GC, COLOR_AT};
      set_flags(items, {BLK_PAIR, BLK_PAIR_COLOR});
    } else if (zor_ncmatch(t, "LINE|EDGE|WIRE")) {
      slots = {COLOR_EDGE};
      set_flags(items, {BLK_EDGE, BLK_EDGE_COLOR});
    } else if (in_list(term, "MINOR; NEAR; FRONT")) {
      slots = {COLOR_MINOR};
      set_flags(items, {BLK_MINOR});
    } else if (in_list(term, "MAJOR; FAR; BACK")) {
      slots = {COLOR_MAJOR};
      set_flags(items, {BLK_MAJOR});
    } else if (in_list(term, "UPPER; UP; TOP; POSITIVE; PLUS; HEAD")) {
      slots = {COLOR_UPPER};
      set_flags(items, {BLK_UPPER});
    } else if (in_list(term, "LOWER; DOWN; BOTTOM; NEGATIVE; MINUS; TAIL")) {
      slots = {COLOR_LOWER};
      set_flags(items, {BLK_LOWER});
    } else if (in_list(term, "HIGH; SHOW")) {
      slots = {COLOR_MINOR, COLOR_MAJOR, COLOR_UPPER, COLOR_LOWER, COLOR_RIGHT, COLOR_LEFT};
    } else {
      runlog_msg("[w] unrecognized term '%s' -- ignored\n", t);
      return;
    }
  }

  auto in01 = [](double v) { return v >= 0.0 && v <= 1.0; };
  auto in255 = [](double v) { return v >= 0.0 && v <= 255.0; };
  if (!(in01(r) && in01(g) && in01(b))) {
    if (in255(r) && in255(g) && in255(b)) {
      runlog_msg("[i] rgb color [%g %g %g] (assumed in range [0, 255])", r, g, b);
      r /= 255.0;
      g /= 255.0;
      b /= 255.0;
      runlog_msg(" rescaled to [%g %g %g] (in range [0, 1])\n", r, g, b);
    } else {
      runlog_msg("[w] rgb color [%g %g %g] not in range [0, 1] or [0, 255] -- ignored\n", r, g,
                 b);
      return;
    }
  }
  for (int k : slots) mutable_gvars().block_colors[static_cast<size_t>(k)] = {r, g, b};
}

void derive_block_color(const char* option) {
  mutable_gvars().cartoon[CTN_BLOCK_COLOR] = 1;
  if (with_optional_endEqual(option)) return;
  std::vector<std::string> items = split_color_items(get_strvalue(option, false), ":()[]{}", 64);
  for (size_t k = 1; k < items.size(); ++k) {
    const std::string& item = items[k];
    std::vector<std::string> w;
    long n = split_str_by_strtok(item, w, 5, " \t\r\n");
    auto num = [&w, n](long j) { return j <= n ? cvt2double(w[static_cast<size_t>(j)]) : DBL_MAX; };
    if (n >= 4 && num(2) != DBL_MAX && num(3) != DBL_MAX && num(4) != DBL_MAX) {
      set_block_color_by_rgb(w[1], num(2), num(3), num(4));
      continue;
    }
    if (n >= 2 && num(2) != DBL_MAX) {
      double v = num(2);
      runlog_msg("[i] color '%g' taken as rgb [%g %g %g]\n", v, v, v, v);
      set_block_color_by_rgb(w[1], v, v, v);
      continue;
    }
    size_t len = 0;
    for (long j = 2; j <= n; ++j) len += w[static_cast<size_t>(j)].size();
    if (n < 2 || len > 63) {
      runlog_msg("[e] cannot parse color setting '%s' -- ignored\n", item.c_str());
      continue;
    }
    std::string name = w[2];
    for (long j = 3; j <= n; ++j) name += "-" + w[static_cast<size_t>(j)];
    convert_cs0_in_str(name, "._", '-');
    const named_color* hit = nullptr;
    for (const auto& c : kNamedColors)
      if (name == c.name) {
        hit = &c;
        break;
      }
    if (hit == nullptr) {
      runlog_msg("[w] unmatched color '%s' -- ignored\n", name.c_str());
      continue;
    }
    double r = hit->r / 255.0, g = hit->g / 255.0, b = hit->b / 255.0;
    runlog_msg("[i] matched color '%s' to rgb: [%g %g %g]\n", name.c_str(), r, g, b);
    set_block_color_by_rgb(w[1], r, g, b);
  }
}

void derive_block_file(const char* option) {
  auto& bf = mutable_gvars().block_file;
  mutable_gvars().cartoon[CTN_BLOCK_FILE] = 1;
  if (!set_switch_default_true(option)) return;
  if (with_optional_endEqual(option)) {
    bool has_eq = std::string_view(option).find('=') != std::string_view::npos;
    runlog_msg("[i] take option '%s' as default '%s%sface'\n", option, option, has_eq ? "" : "=");
    bf[BLK_FACE] = 1;
    return;
  }
  std::string up = upper_copy(option);
  std::string v = up.substr(up.find('='));
  const char* s = v.c_str();
  auto has = [s](const char* p) { return zor_ncmatch(s, p); };
  if (has("LINE|EDGE|WIRE")) bf[BLK_EDGE] = 1;
  if (has("FACE|PLANE|SOLID")) bf[BLK_FACE] = 1;
  if (has("both|all|every|whole|\\*")) set_flags(bf, {BLK_FACE, BLK_EDGE});
  if (has("RIGHT")) bf[BLK_RIGHT] = 1;
  if (has("LEFT")) bf[BLK_LEFT] = 1;
  if (has("WC|PAIR")) bf[BLK_PAIR] = 1;
  if (has("CANON|WOBBLE")) set_flags(bf, {BLK_CANONICAL, BLK_PAIR});
  if (has("PAIR[-_]?COLOR")) bf[BLK_PAIR_COLOR] = 1;
  if (has("MINOR|NEAR|FRONT")) bf[BLK_MINOR] = 1;
  if (has("MAJOR|FAR|BACK")) bf[BLK_MAJOR] = 1;
  if (has("UPPER|UP|TOP|POSITIVE|PLUS|HEAD")) bf[BLK_UPPER] = 1;
  if (has("LOWER|DOWN|BOTTOM|NEGATIVE|MINUS|TAIL")) bf[BLK_LOWER] = 1;
  if (has("GRAY|GREY")) bf[BLK_GREY] = 1;
  if (has("EQUAL|MEAN|AVERAGE|SAME")) bf[BLK_EQUAL] = 1;
  if (has("SLIM|THIN|LEAN|NARROW")) bf[BLK_SLIM] = 1;
  if (has("thin|light|narrow|less"))
    mutable_gvars().block_depth = 0.2;
  else if (has("thick|bulky|wide|more"))
    mutable_gvars().block_depth = 0.8;
  if (has("G[-_]?(4|QUA|TET)")) {
    if (has("SIDE[-_]?(X|FULL|EXT)"))
      bf[BLK_G4_FULL_SIDE] = 1;
    else if (has("SIDE"))
      bf[BLK_G4_SIDE] = 1;
    else
      bf[BLK_GTETRAD] = 1;
  }
  if (has("SYN")) bf[BLK_SYN] = 1;
  if (has("TRANS|PARENT")) bf[BLK_TRANSPARENT] = 1;
  if (has("(NO|NOT|NONE|EXCLUDE)[-_]?(BASE|NA|DNA|RNA|NUCL)")) bf[BLK_NO_BASE] = 1;
  if (has("PEP")) bf[BLK_PEPTIDE] = 1;
  if (has("PLAN|AROM|SIDE|CHAIN|AA")) bf[BLK_SIDECHAIN] = 1;
  if (has("PROTEIN")) set_flags(bf, {BLK_PEPTIDE, BLK_SIDECHAIN});
  if (has("CH[-_]?BOND")) mutable_gvars().ch_bond = 1;
  if (has("XH[-_]?BOND")) mutable_gvars().ch_bond = 9;
  if (has("H[-_]?BOND")) bf[BLK_HBOND] = 1;
  if (has("FILL")) {
    bool up_side = has("FILL[-_]?(UP|PL|PO|HE)"), low_side = has("FILL[-_]?(DO|MI|NE|TA)");
    if (up_side) bf[BLK_FILL_UPPER] = 1;
    if (low_side) bf[BLK_FILL_LOWER] = 1;
    if (!up_side && !low_side) set_flags(bf, {BLK_FILL_UPPER, BLK_FILL_LOWER});
  }
  if (has("NORM|VECT")) bf[BLK_NORMAL] = 1;
  if (has("FRAME")) {
    if (has("GLOBAL")) bf[has("GLOBAL[-_]?ONLY") ? BLK_GLOBAL_FRAME_ONLY : BLK_GLOBAL_FRAME] = 1;
    if (has("ARROW")) {
      bf[BLK_ARROW] = 1;
      if (has("SPECIAL")) bf[BLK_SPECIAL_ARROW] = 1;
    }
    if (has("ORI")) bf[BLK_FRAME_ORIGIN] = 1;
    if (has("O?XY")) bf[BLK_FRAME_XY] = 1;
    if (!bf[BLK_FRAME_ORIGIN] && !bf[BLK_FRAME_XY] && !bf[BLK_FRAME_WHOLE])
      bf[BLK_FRAME_WHOLE] = 1;
  }
  if (has("TOP")) bf[BLK_TOP] = 1;
  if (has("NO[NT]?[-_]?CARTOON") || zor_ncmatch(option, "hide")) bf[BLK_NO_CARTOON] = 1;
  if (has("SUGAR|PUCKER|ENDO")) bf[BLK_SUGAR] = 1;
}

void derive_cartoon_block_option(const char* option) {
  auto& c = mutable_gvars().cartoon;
  c[CTN_BLOCK] = c[CTN_ON] = 1;
  auto has = [option](const char* p) { return zor_ncmatch(option, p); };
  if (has("pmi|view|best")) c[CTN_BEST_VIEW] = 1;
  if (has("dna|rna|nucl|nt[-_]?only|only[-_]?nt")) c[CTN_NA_ONLY] = 1;
  if (has("orient")) c[CTN_ORIENT] = 1;
  if (has("black")) c[CTN_BLACK_BG] = 1;
  if (has("ray|png")) c[CTN_RAY_PNG] = 1;
  if (has("convert|run")) set_flags(c, {CTN_RAY_PNG, CTN_RUN_PYMOL});
  if (has("open|display")) set_flags(c, {CTN_RAY_PNG, CTN_RUN_PYMOL, CTN_OPEN_IMAGE});
  if (has("protein")) c[CTN_PROTEIN] = 1;
  if (has("symm|model")) c[CTN_SYMMETRY] = 1;
  if (has("block?s?[-_]?only")) c[CTN_BLOCKS_ONLY] = 1;
  if (has("ligand")) c[CTN_LIGAND] = 1;
  if (has("ligand0")) c[CTN_LIGAND0] = 1;
  if (has("organic")) c[CTN_ORGANIC] = 1;
  if (has("metal")) c[CTN_METAL] = 1;
  if (has("stick|ball")) c[CTN_STICK_BALL] = 1;
  if (has("line|wire")) c[CTN_LINE] = 1;
  if (has("trx|turn|z90")) c[CTN_TURNED] = 1;
  if (has("label[-_]?(c1|dna|rna)"))
    c[CTN_NT_LABEL] = 1;
  else if (has("label[-_]?(ca|pro)"))
    c[CTN_AA_LABEL] = 1;
  else if (has("label"))
    set_flags(c, {CTN_NT_LABEL, CTN_AA_LABEL});
  if (has("c3")) c[CTN_C1_LABEL] = 1;  // C3' spheres
  if (has("hide")) {
    if (has("hide[-_]?protein"))
      c[CTN_HIDE_PROTEIN] = 1;
    else if (has("hide[-_]?(rna|dna|nuc)"))
      c[CTN_HIDE_NA] = 1;
    else
      c[CTN_HIDE] = 1;
  }
  if (has("pse|session")) c[CTN_SESSION] = 1;
  if (has("six|outlook|aspect|persp")) c[CTN_PERSPECTIVE] = 1;
  if (c[CTN_BEST_VIEW] && c[CTN_ORIENT]) {
    runlog_msg("[w] 'view' overrides PyMOL 'orient'\n");
    c[CTN_ORIENT] = 0;
  }
}

void check_block_config(const char* option) {
  if (with_optional_endEqual(option)) return;
  std::string file = get_strvalue(option, true);
  if (!exist_file(file)) fatal("[e] cannot read block config setting: '%s'\n", option);
  auto& cfg = mutable_gvars().block_config;
  if (zor_ncmatch(option, "^-?-?block?[-_]?config[-_]?(R|pur)")) {
    cfg[BCFG_PURINE] = file;
  } else if (zor_ncmatch(option, "^-?-?block?[-_]?config[-_]?(Y|pyr)")) {
    cfg[BCFG_PYRIMIDINE] = file;
  } else if (zor_ncmatch(option, "^-?-?block?[-_]?config[-_]?(M|equal|mean|aver)")) {
    cfg[BCFG_MEAN] = file;
    cfg[BCFG_PURINE] = cfg[BCFG_PYRIMIDINE] = cfg[BCFG_MEAN];
  } else if (zor_ncmatch(option, "^-?-?block?[-_]?config[-_]?(BP|pair)")) {
    cfg[BCFG_PAIR] = file;
  } else if (zor_ncmatch(option, "^-?-?block?[-_]?config[-_]?G[-_]?(4|qua|tet)")) {
    cfg[BCFG_G4] = file;
  } else {
    cfg[BCFG_ALL] = file;
  }
}

void set_pair_criteria(const char* option) {
  struct preset {
    const char* message;
    double pseudo_pair_angle, pair_angle, hbond_vd, hbond_dist, hbond_good, wc_geo;
  };
  static constexpr preset strict{"[i] using strict criteria for base pairs", 40, 40, 1.5, 3.4,
                                 3.2, -30};
  static constexpr preset modest{"[i] using modest criteria for base pairs", 50, 50, 1.8, 3.6,
                                 3.4, -36};
  const preset* p = nullptr;
  if (zor_ncmatch(option, "strict|tight|rigor"))
    p = &strict;
  else if (zor_ncmatch(option, "modest|middle|fair"))
    p = &modest;
  if (p == nullptr) return;
  if (!keep_silent()) std::fprintf(stderr, "%s\n", p->message);
  mutable_gvars().pseudo_pair_angle = p->pseudo_pair_angle;
  mutable_gvars().pair_angle = p->pair_angle;
  mutable_gvars().hbond_vd = p->hbond_vd;
  mutable_gvars().hbond_dist = p->hbond_dist;
  mutable_gvars().hbond_good = p->hbond_good;
  mutable_gvars().wc_geo = p->wc_geo;
}

}  // namespace vask
