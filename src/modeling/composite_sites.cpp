// The binding sites of a composite model: entries read from the --bind text
// or file, each template's helix found, and the sites placed along the
// sequence with the connecting duplexes between them.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "modeling/composite.hpp"
#include "modeling/sequence.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "secondary/helix.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/pattern_matcher.hpp"
#include "support/script_quote.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long kMaxTextEntries = 32;
// Each site is a child run of its own and is checked against every other:
// a file of more sites than any model holds is not read further.
constexpr long kMaxFileEntries = 1000;
// Connectors and the tail are passed whole on a child's command line.
constexpr std::size_t kMaxConnector = 512;

std::vector<std::string> words_of(const std::string& entry) {
  std::vector<std::string> words;
  std::istringstream in(entry);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

// A whole, non-negative decimal number; false otherwise.
bool read_start(const std::string& word, long& start) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (end == word.c_str() || *end != '\0' || errno != 0 || v < 0) return false;
  start = v;
  return true;
}

// The template of words[1] read and its one helix found: pairs, strand-1
// sequence and the reverse word (words[2]). False with the warning when the
// file or its helix cannot be used.
bool read_template(const std::string& entry, const std::vector<std::string>& words, template_reader read,
                   binding_site& site) {
  const std::string& file = words[1];
  // a NUL byte (a site file may hold one) would end the name the system
  // opens, and the build's command lines and script, there: no file has it
  const bool nul = file.find('\0') != std::string::npos;
  if (nul || !exist_file(file)) {
    runlog_msg("[w] binding template file not exist: '%s' --- ignored\a\n",
               (nul ? printable_text(entry) : entry).c_str());
    return false;
  }
  template_helix t = read(file);
  if (!t.one) {
    runlog_msg("[w] template not with ONE valid helix: '%s' --- ignored\a\n", entry.c_str());
    return false;
  }
  site.pairs = t.pairs;
  site.templ_seq = std::move(t.seq);
  site.templ = file;
  site.reverse = words.size() > 2 && zor_ncmatch(words[2], "negative|reverse|minus|compl|crick") ? 1 : 0;
  return true;
}

bool enough_words(const std::string& entry, const std::vector<std::string>& words) {
  if (words.size() >= 2) return true;
  runlog_msg("[w] no. of binding sites must be [2..3]: '%s' --- ignored\a\n", entry.c_str());
  return false;
}

// "start template [reverse]", placed on the given sequence.
bool derive_one_binding_site(const std::string& entry, template_reader read, binding_site& site) {
  const std::vector<std::string> words = words_of(entry);
  if (!enough_words(entry, words)) return false;
  // positions are 1-based: a site at 0 would leave its connector a length of -1
  long start = 0;
  if (!read_start(words[0], start) || start < 1) {
    runlog_msg("[w] wrong start binding site: '%s' --- ignored\a\n", entry.c_str());
    return false;
  }
  if (!read_template(entry, words, read, site)) return false;
  site.start = start;
  site.end = start + site.pairs - 1;
  return true;
}

std::string checked_connector(const std::string& text, const char* what) {
  const std::string seq = trimmed(text).empty() ? std::string() : derive_simple_sequence(text);
  if (seq.size() >= kMaxConnector)
    fatal("[e] %s too long: %zu pairs (at most %zu)\n", what, seq.size(), kMaxConnector - 1);
  return seq;
}

// "connector template [reverse]": the site follows its connector.
bool extend_one_binding_site(const std::string& entry, template_reader read, binding_site& site) {
  const std::vector<std::string> words = words_of(entry);
  if (!enough_words(entry, words)) return false;
  const std::string connector = checked_connector(words[0], "connecting duplex");
  if (!read_template(entry, words, read, site)) return false;
  site.connector = connector;
  site.start = site.end = 0;
  return true;
}

std::vector<std::string> binding_entries(const composite_settings& s) {
  std::vector<std::string> entries;
  if (!s.binding.empty()) {
    std::string text = s.binding;
    convert_cs0_in_str(text, ",;|", ' ');
    for (std::string w : words_of(text)) {
      if (static_cast<long>(entries.size()) == kMaxTextEntries) break;
      convert_char_in_str(w, ':', ' ');
      entries.push_back(w);
    }
  } else {
    const std::vector<std::string> lines = get_filelines(s.binding_file);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      std::string line = lines[k];
      if (is_comment_string(line)) continue;
      const std::size_t hash = line.find('#');
      if (hash != std::string::npos) line.resize(hash);
      convert_char_in_str(line, ':', ' ');
      if (is_space_string(line)) continue;
      if (static_cast<long>(entries.size()) == kMaxFileEntries)
        fatal("[e] %s, line %zu: more than %ld binding sites -- not read further\n", s.binding_file.c_str(), k + 1,
              kMaxFileEntries);
      entries.push_back(line);
    }
  }
  return entries;
}

void log_site(const binding_site& b) {
  runlog_msg("start=%-4ld  end=%-4ld  pdbfile=%s  length=%-4ld  reverse=%ld  seq=%s\n", b.start, b.end,
             b.templ.c_str(), b.pairs, b.reverse, b.templ_seq.c_str());
}

void log_sites(const std::vector<binding_site>& sites) {
  for (const binding_site& b : sites) log_site(b);
  runlog_msg("[i] %ld binding sites derived\n\n", static_cast<long>(sites.size()));
}

// The sites sorted and checked against the given sequence; connectors and
// the tail cut from it.
void place_on_sequence(const composite_settings& s, composite_plan& plan) {
  std::vector<binding_site>& sites = plan.sites;
  std::stable_sort(sites.begin(), sites.end(),
                   [](const binding_site& a, const binding_site& b) { return a.start < b.start; });
  log_sites(sites);
  plan.sequence = derive_seq_or_file(s.sequence, s.sequence_file, s.repeat);
  if (s.rna) convert_char_in_str(plan.sequence, 'T', 'U');
  const long len = static_cast<long>(plan.sequence.size());
  const binding_site& last = sites.back();
  if (len < last.start || len < last.end) fatal("[e] sequence too short to cover the last binding site\n");
  for (std::size_t k = 0; k < sites.size(); ++k)
    for (std::size_t j = k + 1; j < sites.size(); ++j)
      if (sites[k].end >= sites[j].start) {
        log_site(sites[k]);
        log_site(sites[j]);
        fatal("[e] binding sites overlapped\n");
      }
  long prev_end = 0;
  for (binding_site& b : sites) {
    b.connector = plan.sequence.substr(static_cast<std::size_t>(prev_end),
                                       static_cast<std::size_t>(b.start - 1 - prev_end));
    if (b.connector.size() >= kMaxConnector)
      fatal("[e] connecting duplex too long: %zu pairs (at most %zu)\n", b.connector.size(), kMaxConnector - 1);
    prev_end = b.end;
  }
  plan.tail = plan.sequence.substr(static_cast<std::size_t>(prev_end));
  if (plan.tail.size() >= kMaxConnector)
    fatal("[e] tail duplex too long: %zu pairs (at most %zu)\n", plan.tail.size(), kMaxConnector - 1);
}

// Strand 2 of a template read 5' to 3': what strand 1 of the model holds at
// a reverse site. Letters without a complement stay as they are.
std::string reverse_complement(const std::string& seq) {
  std::string out;
  for (auto it = seq.rbegin(); it != seq.rend(); ++it)
    out += std::string_view("ACGTUacgtu").find(*it) != std::string_view::npos ? get_complementary_base(*it) : *it;
  return out;
}

// Without a sequence the sites follow one another in input order, each after
// its own connector; the sequence is what that makes.
void place_by_connectors(const composite_settings& s, composite_plan& plan) {
  log_sites(plan.sites);
  long prev_end = 0;
  for (binding_site& b : plan.sites) {
    const long conn = static_cast<long>(b.connector.size());
    b.start = prev_end + conn + 1;
    b.end = prev_end + conn + b.pairs;
    prev_end = b.end;
    plan.sequence += b.connector + (b.reverse ? reverse_complement(b.templ_seq) : b.templ_seq);
  }
  plan.tail = checked_connector(s.tail, "tail duplex");
  plan.sequence += plan.tail;
}

}  // namespace

bool read_one_helix(const std::string& file, struct_mol& mol, helix& h, long parts) {
  init_struct_mol(file, mol);
  read_pdb(file, mol, parts);
  long num_pairs = 0, num_helices = 0, num_stems = 0, num_isolated = 0, num_coaxial = 0, misassigned = 0;
  std::vector<pair> pairs, isolated;
  std::vector<helix> helices, stems;
  std::string notes;
  find_pairs(mol, num_pairs, pairs, 0);
  helix_slots slots{num_pairs, pairs, num_helices, helices, num_stems, stems,
                    num_isolated, isolated, num_coaxial, misassigned, notes};
  find_helices(mol, slots);
  if (!with_one_valid_helix(num_helices, helices)) return false;
  h = helices[1];
  return true;
}

template_helix read_template_helix(const std::string& file) {
  template_helix t;
  struct_mol mol;
  helix h;
  t.one = read_one_helix(file, mol, h, 1);  // its helix is all that is read of it: nucleotides only
  if (t.one) {
    t.pairs = h.num_pairs;
    for (long i = 1; i <= h.num_pairs; ++i) t.seq += mol.residues[h.strand1[i]].letter;
  }
  free_struct_mol(mol);
  return t;
}

std::vector<binding_site> read_binding_sites(const composite_settings& s, template_reader read) {
  if (s.binding.empty() && s.binding_file.empty())
    fatal("Must specify binding sites via --bind=SITES or --bind-file=FILE\n");
  if (s.binding.empty() && !exist_file(s.binding_file))
    fatal("specified bindings file %s not exist\n", s.binding_file.c_str());
  const bool with_seq = with_input_sequence(s);
  if (with_seq && !s.sequence_file.empty() && !exist_file(s.sequence_file))
    fatal("specified sequence file %s not exist\n", s.sequence_file.c_str());
  std::vector<binding_site> sites;
  for (const std::string& entry : binding_entries(s)) {
    binding_site site;
    if (with_seq ? derive_one_binding_site(entry, read, site) : extend_one_binding_site(entry, read, site))
      sites.push_back(site);
  }
  return sites;
}

composite_plan plan_binding_sites(const composite_settings& s, std::vector<binding_site> sites) {
  if (sites.empty()) {
    runlog_msg("[i] %ld binding sites derived\n\n", 0L);
    fatal("[e] no valid binding sites specified\n");
  }
  composite_plan plan;
  plan.sites = std::move(sites);
  if (with_input_sequence(s))
    place_on_sequence(s, plan);
  else
    place_by_connectors(s, plan);
  runlog_msg("[i] length=%ld seq=%s\n\n", static_cast<long>(plan.sequence.size()), plan.sequence.c_str());
  runlog_msg("Summary of %ld binding sites\n", static_cast<long>(plan.sites.size()));
  long k = 0;
  for (const binding_site& b : plan.sites)
    runlog_msg("%2ld conn=%s(%ld)  %ld...%ld [%ld]  %s  reverse=%ld  seq=%s\n", ++k, b.connector.c_str(),
               static_cast<long>(b.connector.size()), b.start, b.end, b.pairs, b.templ.c_str(), b.reverse,
               b.templ_seq.c_str());
  runlog_msg("\ttail-connector=%s(%ld)\n", plan.tail.c_str(), static_cast<long>(plan.tail.size()));
  return plan;
}

}  // namespace vask
