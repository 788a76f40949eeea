// JSON writer: compact output straight to the stream, members in call order.
// A writer ending in "0" writes its item alone; its twin appends ",". Every
// writer does nothing when fp is null. Texts are escaped as RFC 8259 asks;
// doubles use Gvars.json_fmt and are written as null when unset (|v| > 1e36)
// or not finite.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/ref_frame.hpp"

namespace vask {

std::string escaped_json_string(std::string_view s);
void json_comma(FILE* fp);
void json_raw_text(FILE* fp, const char* s);
void json_begin_object(FILE* fp, const char* key);
void json_end_object0(FILE* fp);
void json_end_object(FILE* fp);
void json_begin_array(FILE* fp, const char* key);
void json_end_array0(FILE* fp);
void json_end_array(FILE* fp);
void json_lNumber0(FILE* fp, const char* key, long v);
void json_lNumber(FILE* fp, const char* key, long v);
void json_nonZero_lNumber(FILE* fp, const char* key, long v);
void json_dNumber0(FILE* fp, const char* key, double v);
void json_dNumber(FILE* fp, const char* key, double v);
void json_string0(FILE* fp, const char* key, std::string_view value);
void json_string(FILE* fp, const char* key, std::string_view value);
void json_char0(FILE* fp, const char* key, char c);
void json_char(FILE* fp, const char* key, char c);
void json_boolean0(FILE* fp, const char* key, bool b);
void json_boolean(FILE* fp, const char* key, bool b);
void json_lNumberArray0(FILE* fp, const char* key, long n, const std::vector<long>& v);  // v[1..n]
void json_lNumberArray(FILE* fp, const char* key, long n, const std::vector<long>& v);
void json_dNumberArray0(FILE* fp, const char* key, long lo, long hi, const std::vector<double>& v);
void json_dNumberArray(FILE* fp, const char* key, long n, const std::vector<double>& v);  // v[1..n]
void json_bareObject_start_with_idx(FILE* fp, long i);       // {"index":i,
void json_bareObject_end_check_idx(FILE* fp, long i, long n);  // "}," while i < n, else "}"
// An H-bond summary in the form chosen by the JSON mode bits (4 array, 2 object, else two keys).
void json_hbonds_num_str0(FILE* fp, long n, std::string_view text);
void json_hbonds_num_str(FILE* fp, long n, std::string_view text);
// A nucleotide list under key as its short and long id texts, in the form of the JSON mode bits.
void json_nt_ids0(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids);
void json_nt_ids(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids);
void json_just_string0(FILE* fp, std::string_view s);
void json_just_string(FILE* fp, std::string_view s);
void json_just_lNumber0(FILE* fp, long v);
void json_just_lNumber(FILE* fp, long v);
void json_just_dNumber0(FILE* fp, double v);
void json_just_dNumber(FILE* fp, double v);
void json_dummy0(FILE* fp);

// Reference frames in JSON (the frame record lives with the settings).
struct frame;
void json_frame0(FILE* fp, const frame* f);  // nothing for a null frame
void json_frame(FILE* fp, const frame* f);

}  // namespace vask
