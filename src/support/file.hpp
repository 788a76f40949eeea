// Files and paths: opening and closing with one failure policy, the four
// pseudo-names of the standard streams, existence and size tests, copying,
// concatenating, renaming and removing, whole-file and line reading, base
// names and extensions, and the reader of a list of coordinate files.
//
// Pseudo-names (exact, case-sensitive): "stdin" is standard input, "-" is
// standard input when read and standard output when written, "stdout" and
// "stderr" are the output streams. They are never opened, closed, created or
// removed as files, and each counts as an existing file. Failures end the run
// through fatal().
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vask {

// The longest line any reader takes, and the most lines of a list or
// parameter file (pair lists, parameter rows, frame and site lists): real
// files stay far below both.
inline constexpr size_t MAX_LINE_BYTES = 1 << 20;
inline constexpr long MAX_TEXT_LINES = 1000000;

bool is_stdin(std::string_view name);       // "stdin" or "-"
bool stdout_stderr(std::string_view name);  // "stdout" or "stderr"
bool is_pseudo_file(std::string_view name); // any of the four

// Opens for reading; a write mode is handed to open_output or append_output.
FILE* open_file(const std::string& name, const char* mode);
// Adds to a regular file of one name only (no link of either kind, which is
// replaced as create_file does); a missing file is created.
FILE* append_file(const std::string& name);
// Adds to a file this run made; whatever else is under the name (an earlier
// run's file, a link) is replaced as create_file does, so a file gathered in
// parts starts empty in each run without removing anything beforehand.
FILE* append_made_file(const std::string& name);
FILE* open_tmpfile();
// Closes the stream and ends the run ("[e] ...") when anything written to it
// was lost: a short write or flush seen earlier (the error flag stays set) or
// now. Null is left alone; standard output and error are flushed and checked
// but stay open.
void close_file(FILE* fp);

// Flushes and checks standard output: false (and "[e] ..." on the run log)
// when a write to it failed, such as on a full device.
bool stdout_written();

// A file the program names itself (auxiliary files, fixed-name files) made
// anew: whatever is under the name, a file or a link (symbolic, dangling or
// hard), is replaced and never written through, so a link cannot send the
// output elsewhere. A FIFO, device or folder under the name is an error
// naming it. Pseudo-names are the streams. Each name is remembered as made
// by this run (made_by_this_run).
FILE* create_file(const std::string& name);
bool made_by_this_run(const std::string& name);
void forget_made_files();  // a new run starts: forgets the claims below too

// An output the user named (-o, a log, a script file): the streams for
// pseudo-names, else opened as named (so /dev/null and a link the user made
// work), refused ("[e] ...") when it is an input of the run.
FILE* open_output(const std::string& name);
FILE* append_output(const std::string& name);  // adds to it

// One file under two names: the same device and inode where both exist (the
// names themselves or what links point to), else the same resolved path.
// Pseudo-names and "" are no file.
bool same_file(const std::string& a, const std::string& b);
// The index of the first of names that is the same file as one of others,
// or -1; each name is looked up once.
long first_same_file(const std::vector<std::string>& names, const std::vector<std::string>& others);

// The files of a run, named before anything is written or removed: an output
// that is an input or another output of the run ends it with "[e] ...". The
// claimed inputs stay guarded for the run: create_file, open_output,
// rename_file and remove_file refuse to write over or remove one of them.
// claim_output is for a name the user gave (opened as named by output_file),
// claim_own_output for a name the program chose (made anew).
void claim_input(const char* what, const std::string& name);
void claim_output(const char* what, const std::string& name);
void claim_own_output(const char* what, const std::string& name);
// The program's own when the name is its fixed default, else the user's.
void claim_output_or_own(const char* what, const std::string& name, const std::string& fixed);
// For writers that take either kind of name: open_output for a name claimed
// with claim_output, create_file for any other.
FILE* output_file(const std::string& name);
// Refuses (fatal) writing over or removing a claimed input.
void check_not_input(const std::string& name, const char* action);

// A folder lock on a file of its own: the descriptor of the locked file, or
// -1 when another process holds it. The lock file is removed on release,
// under the lock, and a lock taken on a file that was removed meanwhile is
// taken again on the new one, so two holders never overlap and nothing stays
// behind.
// A child run of the program (run_program) started under the lock shares it:
// LOCK_OF_PARENT is returned, and release leaves it to the parent. A file
// with contents under the name is refused ("[e] ..."): a lock file is empty.
inline constexpr int LOCK_OF_PARENT = -2;
int acquire_lock_file(const std::string& name);
void release_lock_file(const std::string& name, int fd);
// The descriptors of the locks this run holds, for its child runs.
std::vector<int> held_lock_descriptors();

// How often this process looked up "elements.dat", "atomlist.dat" or
// "baselist.dat" with get_sysfile (0 for other names): checks of a data
// file's entries run on its first read only.
long data_file_reads(const std::string& file);
void forget_data_file_reads();  // a new run starts

// Owns an open stream and closes it when the scope ends, also when a fatal
// error unwinds through it: the list and ensemble loops go on after a failed
// structure, and a stream left open per failure would use up the process's
// file descriptors. close() is the normal, checked close.
class scoped_file {
 public:
  explicit scoped_file(FILE* fp) : fp_(fp) {}
  ~scoped_file();
  scoped_file(const scoped_file&) = delete;
  scoped_file& operator=(const scoped_file&) = delete;
  FILE* get() const { return fp_; }
  void close();
  // Hands the stream on, unclosed, to a caller that takes it over.
  FILE* release() {
    FILE* fp = fp_;
    fp_ = nullptr;
    return fp;
  }

 private:
  FILE* fp_;
};

// Existence by the file's status, never by opening it (a FIFO would block):
// a link counts when its target exists. Pseudo-names: true; "": false.
bool exist_file(const std::string& name);
// Regular files only, links not followed: for the program's own file names.
bool regular_file_here(const std::string& name);
void fail_nonexist_file(const std::string& name);  // fatal when not exist_file
long file_size(const std::string& name);
bool is_empty_file(const std::string& name);
void create_empty_file(const std::string& name);   // made anew, empty; pseudo-names: nothing
// Removes a regular file or a link (never what a link points to); missing
// files and pseudo-names: nothing; anything else (FIFO, device, folder) is an
// error naming it.
void remove_file(const std::string& name);
// Removes the file only when this run made it (made_by_this_run).
void remove_made_file(const std::string& name);
void remove_empty_file(const std::string& name);  // a regular file this run made, when empty
void copy_file_handle_to_handle(FILE* in, FILE* out);
void copy_file(const std::string& src, const std::string& dst);  // dst made anew
void copy_file_to_handle(const std::string& src, FILE* out);
void cat_file(const std::string& src, const std::string& dst);  // src appended to dst
void rename_file(const std::string& src, const std::string& dst);
std::string file_content(const std::string& name);
bool same_text_files(long skip, const std::string& name1, const std::string& name2);

std::string get_filestr(const std::string& name);        // lines joined, each ending "\n"
std::string get_clean_filestr(const std::string& name);  // comments and blank lines dropped
// The lines of a list or parameter file, 0-based, read with a line_reader:
// at most max_lines of them (0: no limit), each at most MAX_LINE_BYTES long.
std::vector<std::string> get_filelines(const std::string& name, long max_lines = MAX_TEXT_LINES);
void check_filelines(const std::string& name);           // lists the lines in the run log

// Names ending in .pdb, .ent, .cif, .mmcif or .pdbx, in any case.
bool is_coordinate_file_name(std::string_view name);
bool valid_coordinate_file(const std::string& name);  // such a name, and the file exists
// The coordinate files named by a list file (first word of each line), in
// order, at [1..count]; also written to "PDB-lists.txt". None: fatal.
std::vector<std::string> get_coord_lists(long& count, const std::string& list_file);

// Paths. The separator is '\' when the environment variable OS contains
// "WINDOWS" (any case), else '/'.
std::string get_basename(std::string_view path);
std::string get_file_extension(std::string_view path);  // without the dot; "" when none
std::string basename_del_ext(std::string_view path);
std::string basename_renew_ext(std::string_view path, std::string_view ext);
void extract_path_two_parts(std::string_view path, std::string& stem, std::string& ext);
void add_end_slash(std::string& path);
void delete_end_slash(std::string& path);
bool with_prefix_nc(std::string_view text, std::string_view prefix);
bool with_suffix_nc(std::string_view text, std::string_view suffix);

// One line: false at the end of input with nothing read. A line ends at LF,
// CR or CR LF; the end mark is not stored. A line longer than MAX_LINE_BYTES
// ends the run ("[e] ... longer than ..."), so a file without line ends
// (/dev/zero, an endless stream) neither uses up memory nor reads forever:
// no record of ours is that long.
bool get_line(FILE* fp, std::string& line);

// A named file read line by line with its bounds: a line longer than
// MAX_LINE_BYTES, or more than max_lines lines (0: no limit), end the run with
// "[e] NAME, line N: ...". The stream stays the caller's.
class line_reader {
 public:
  line_reader(FILE* fp, std::string name, long max_lines = MAX_TEXT_LINES)
      : fp_(fp), name_(std::move(name)), max_lines_(max_lines) {}
  bool next(std::string& line);  // as get_line
  long number() const { return number_; }  // of the line last read, from 1

 private:
  FILE* fp_;
  std::string name_;
  long max_lines_;
  long number_ = 0;
};
void skip_num_lines(FILE* fp, long n);  // fatal when fewer lines remain

// Data files: "./" when file is in the working directory, else the
// BELQO_VASK directory (when unset, the installed share/belqo-vask beside the
// executable's bin folder) followed by subdir and "/".
std::string get_sysdir(const std::string& subdir, const std::string& file);
// The BELQO_VASK directory, else the installed home; empty when neither.
std::string data_home();
std::string get_sysfile(const std::string& subdir, const std::string& file);

}  // namespace vask
