// The JSON writer: see json_writer.hpp.
#include "support/json_writer.hpp"

#include <cmath>
#include <cstdio>

#include "support/number.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {
size_t at(long k) { return static_cast<size_t>(k); }

void json_number_text(FILE* fp, double v) {
  if (!valid_dNumber(v))
    std::fputs("null", fp);
  else
    std::fputs(format_runtime(Gvars.json_fmt.c_str(), v).c_str(), fp);
}

void json_quoted(FILE* fp, std::string_view s) {
  std::fprintf(fp, "\"%s\"", escaped_json_string(s).c_str());
}

void json_key(FILE* fp, const char* key) {
  json_quoted(fp, key);
  std::fputc(':', fp);
}

void comma_if(FILE* fp, bool comma) {
  if (comma) std::fputc(',', fp);
}

void json_lNumber_item(FILE* fp, const char* key, long v, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fprintf(fp, "%ld", v);
  comma_if(fp, comma);
}

void json_dNumber_item(FILE* fp, const char* key, double v, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  json_number_text(fp, v);
  comma_if(fp, comma);
}

void json_string_item(FILE* fp, const char* key, std::string_view value, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  json_quoted(fp, value);
  comma_if(fp, comma);
}

void json_lNumberArray_item(FILE* fp, const char* key, long n, const std::vector<long>& v, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('[', fp);
  for (long i = 1; i <= n; ++i) std::fprintf(fp, i > 1 ? ",%ld" : "%ld", v[at(i)]);
  std::fputc(']', fp);
  comma_if(fp, comma);
}

void json_dNumberArray_item(FILE* fp, const char* key, long lo, long hi, const std::vector<double>& v,
                            bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('[', fp);
  for (long i = lo; i <= hi; ++i) {
    if (i > lo) std::fputc(',', fp);
    json_number_text(fp, v[at(i)]);
  }
  std::fputc(']', fp);
  comma_if(fp, comma);
}

// Two texts under key: an array (mode bit 4), an object with the two member
// names (bit 2), or two keys key + suffix each.
void json_text_pair(FILE* fp, const char* key, const char* name1, std::string_view text1, const char* name2,
                    std::string_view text2, bool comma) {
  if (fp == nullptr) return;
  if (Gvars.json & 4) {
    json_key(fp, key);
    std::fputc('[', fp);
    json_quoted(fp, text1);
    std::fputc(',', fp);
    json_quoted(fp, text2);
    std::fputc(']', fp);
  } else if (Gvars.json & 2) {
    json_begin_object(fp, key);
    json_string(fp, name1, text1);
    json_string0(fp, name2, text2);
    json_end_object0(fp);
  } else {
    json_string(fp, sformat("%s_%s", key, name1).c_str(), text1);
    json_string0(fp, sformat("%s_%s", key, name2).c_str(), text2);
  }
  comma_if(fp, comma);
}

void json_hbonds_item(FILE* fp, long n, std::string_view text, bool comma) {
  if (fp == nullptr) return;
  if (Gvars.json & 4) {
    json_key(fp, "hbonds");
    std::fprintf(fp, "[%ld,", n);
    json_quoted(fp, text);
    std::fputc(']', fp);
  } else if (Gvars.json & 2) {
    json_begin_object(fp, "hbonds");
    json_lNumber(fp, "num", n);
    json_string0(fp, "desc", text);
    json_end_object0(fp);
  } else {
    json_lNumber(fp, "hbonds_num", n);
    json_string0(fp, "hbonds_desc", text);
  }
  comma_if(fp, comma);
}

void json_frame_item(FILE* fp, const frame* f, bool comma) {
  if (fp == nullptr || f == nullptr) return;
  json_begin_object(fp, "frame");
  json_dNumber(fp, "rmsd", f->rmsd < 0 ? DBL_MAX : f->rmsd);
  const std::vector<double> org(f->org.begin(), f->org.end());
  const std::vector<double> x(f->x_axis.begin(), f->x_axis.end());
  const std::vector<double> y(f->y_axis.begin(), f->y_axis.end());
  const std::vector<double> z(f->z_axis.begin(), f->z_axis.end());
  const std::vector<double> q(f->qtn.begin(), f->qtn.end());
  json_dNumberArray(fp, "origin", 3, org);
  json_dNumberArray(fp, "x_axis", 3, x);
  json_dNumberArray(fp, "y_axis", 3, y);
  json_dNumberArray(fp, "z_axis", 3, z);
  json_dNumberArray0(fp, "quaternion", 0, 3, q);  // w first
  json_end_object0(fp);
  comma_if(fp, comma);
}
}  // namespace

namespace {
// Length of the valid UTF-8 sequence starting at s[i] (a byte >= 0x80), or 0.
size_t utf8_length(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  const size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xC2 && b <= 0xDF ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  const unsigned char b1 = byte(i + 1);
  if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F) || (b == 0xF0 && b1 < 0x90) ||
      (b == 0xF4 && b1 > 0x8F))
    return 0;
  return n;
}
}  // namespace

std::string escaped_json_string(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      // JSON text is UTF-8: a byte outside a valid sequence (a Latin-1 file
      // name, say) is written as the code point of that byte
      if (size_t n = utf8_length(s, i)) {
        out.append(s.substr(i, n));
        i += n - 1;
      } else {
        out += sformat("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          out += sformat("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        else
          out += c;
    }
  }
  return out;
}

void json_comma(FILE* fp) {
  if (fp != nullptr) std::fputc(',', fp);
}

void json_raw_text(FILE* fp, const char* s) {
  if (fp != nullptr) std::fputs(s, fp);
}

void json_begin_object(FILE* fp, const char* key) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('{', fp);
}

void json_end_object0(FILE* fp) { json_raw_text(fp, "}"); }
void json_end_object(FILE* fp) { json_raw_text(fp, "},"); }

void json_begin_array(FILE* fp, const char* key) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('[', fp);
}

void json_end_array0(FILE* fp) { json_raw_text(fp, "]"); }
void json_end_array(FILE* fp) { json_raw_text(fp, "],"); }

void json_lNumber0(FILE* fp, const char* key, long v) { json_lNumber_item(fp, key, v, false); }
void json_lNumber(FILE* fp, const char* key, long v) { json_lNumber_item(fp, key, v, true); }
void json_nonZero_lNumber(FILE* fp, const char* key, long v) {
  if (v != 0) json_lNumber(fp, key, v);
}
void json_dNumber0(FILE* fp, const char* key, double v) { json_dNumber_item(fp, key, v, false); }
void json_dNumber(FILE* fp, const char* key, double v) { json_dNumber_item(fp, key, v, true); }
void json_string0(FILE* fp, const char* key, std::string_view value) { json_string_item(fp, key, value, false); }
void json_string(FILE* fp, const char* key, std::string_view value) { json_string_item(fp, key, value, true); }
void json_char0(FILE* fp, const char* key, char c) { json_string0(fp, key, std::string_view(&c, 1)); }
void json_char(FILE* fp, const char* key, char c) { json_string(fp, key, std::string_view(&c, 1)); }

void json_boolean0(FILE* fp, const char* key, bool b) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputs(b ? "true" : "false", fp);
}

void json_boolean(FILE* fp, const char* key, bool b) {
  json_boolean0(fp, key, b);
  json_comma(fp);
}

void json_lNumberArray0(FILE* fp, const char* key, long n, const std::vector<long>& v) {
  json_lNumberArray_item(fp, key, n, v, false);
}
void json_lNumberArray(FILE* fp, const char* key, long n, const std::vector<long>& v) {
  json_lNumberArray_item(fp, key, n, v, true);
}
void json_dNumberArray0(FILE* fp, const char* key, long lo, long hi, const std::vector<double>& v) {
  json_dNumberArray_item(fp, key, lo, hi, v, false);
}
void json_dNumberArray(FILE* fp, const char* key, long n, const std::vector<double>& v) {
  json_dNumberArray_item(fp, key, 1, n, v, true);
}

void json_bareObject_start_with_idx(FILE* fp, long i) {
  if (fp == nullptr) return;
  std::fputc('{', fp);
  json_lNumber(fp, "index", i);
}

void json_bareObject_end_check_idx(FILE* fp, long i, long n) { json_raw_text(fp, i < n ? "}," : "}"); }

void json_hbonds_num_str0(FILE* fp, long n, std::string_view text) { json_hbonds_item(fp, n, text, false); }
void json_hbonds_num_str(FILE* fp, long n, std::string_view text) { json_hbonds_item(fp, n, text, true); }

void json_nt_ids0(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids) {
  json_text_pair(fp, key, "short", short_ids, "long", long_ids, false);
}
void json_nt_ids(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids) {
  json_text_pair(fp, key, "short", short_ids, "long", long_ids, true);
}

void json_just_string0(FILE* fp, std::string_view s) {
  if (fp != nullptr) json_quoted(fp, s);
}
void json_just_string(FILE* fp, std::string_view s) {
  json_just_string0(fp, s);
  json_comma(fp);
}
void json_just_lNumber0(FILE* fp, long v) {
  if (fp != nullptr) std::fprintf(fp, "%ld", v);
}
void json_just_lNumber(FILE* fp, long v) {
  json_just_lNumber0(fp, v);
  json_comma(fp);
}
void json_just_dNumber0(FILE* fp, double v) {
  if (fp == nullptr) return;
  if (std::isfinite(v))
    std::fputs(format_runtime(Gvars.json_fmt.c_str(), v).c_str(), fp);
  else
    std::fputs("null", fp);
}
void json_just_dNumber(FILE* fp, double v) {
  json_just_dNumber0(fp, v);
  json_comma(fp);
}
void json_dummy0(FILE* fp) { json_boolean0(fp, "DUMMY_END", true); }

void json_frame0(FILE* fp, const frame* f) { json_frame_item(fp, f, false); }
void json_frame(FILE* fp, const frame* f) { json_frame_item(fp, f, true); }

}  // namespace vask
