// PyMOL image tails, runs and image viewers.
#include "schematics/pymol_image.hpp"

#include <cstdlib>
#include <vector>

#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/process.hpp"
#include "support/script_quote.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

std::string shown(const std::vector<std::string>& args) {
  std::string s;
  for (const std::string& a : args) s += (s.empty() ? "" : " ") + a;
  return s;
}

// Runs a step of the image making; a missing or failing program ends the run.
void run_step(const std::vector<std::string>& args, const std::string& script, const std::string& out = "") {
  const int status = spawn_program(args, out);
  if (status == -1)
    fatal("[e] cannot run '%s': '%s' not found (the script '%s' is kept)\n", shown(args).c_str(), args[0].c_str(),
          script.c_str());
  if (status != 0)
    fatal("[e] error in running '%s' (exit status %d; the script '%s' is kept)\n", shown(args).c_str(), status,
          script.c_str());
}

bool have_display() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0') || (w != nullptr && *w != '\0');
}

}  // namespace

void check_block_cmd(FILE* fp) {
  if (fp == nullptr) return;
  if (!Gvars.block_cmd.empty()) {
    std::fprintf(fp, "\n");
    std::vector<std::string> cmds;
    const long n = split_str_by_strtok(Gvars.block_cmd, cmds, 1024, ";");
    for (long k = 1; k <= n; ++k) std::fprintf(fp, "%s\n", cmds[static_cast<size_t>(k)].c_str());
    std::fprintf(fp, "\n");
  }
  if (!Gvars.pml_file.empty()) {
    if (exist_file(Gvars.pml_file)) {
      std::fprintf(fp, "\n");
      copy_file_to_handle(Gvars.pml_file, fp);
      std::fprintf(fp, "\n");
    } else {
      runlog_msg("[w] cannot locate PyMOL script file: '%s' [ignored]\n", Gvars.pml_file.c_str());
    }
  }
}

void check_pymol_names(const std::string& script, const std::string& base, bool session, bool ray, bool convert) {
  if (session) pymol_bare_name(base + ".pse");
  if (ray) pymol_bare_name(base + "-pymol.png");
  if (convert && !stdout_stderr(script)) pymol_bare_name(script);
}

void pymol_pse_ray_png(FILE* fp, const std::string& base, bool session, bool ray) {
  if (fp == nullptr) return;
  check_block_cmd(fp);
  if (session) std::fprintf(fp, "save %s\n\n", pymol_bare_name(base + ".pse").c_str());
  if (ray) {
    std::fprintf(fp, "zoom complete=1\n");
    std::fprintf(fp, "ray %ld\n", Gvars.ray_size);
    std::fprintf(fp, "png %s\n", pymol_bare_name(base + "-pymol.png").c_str());
  }
}

void run_pymol(const std::string& script, const std::string& base, bool convert, bool black, bool open,
               bool session, bool own_image_name) {
  if (stdout_stderr(script) || !convert) return;
  const std::string raw = base + "-pymol.png";
  // the programs write these names themselves: made anew first, so that a
  // link planted under one is replaced rather than written through
  create_empty_file(raw);
  if (session) create_empty_file(base + ".pse");
  run_step({"pymol", "-Qkc", pymol_bare_name(script)}, script, "msg");
  if (is_empty_file(raw)) fatal("[e] pymol wrote no image '%s' (the script '%s' is kept)\n", raw.c_str(), script.c_str());
  const std::string image =
      own_image_name && !Gvars.cartoon_image.empty() ? Gvars.cartoon_image : sformat("%.500s.png", base.c_str());
  if (find_program("convert").empty()) {
    runlog_msg("[i] ImageMagick's convert not found: the image is kept untrimmed\n");
    if (raw != image) rename_file(raw, image);
  } else {
    if (raw != image) create_empty_file(image);
    run_step({"convert", "-trim", "+repage", "-border", "10", "-bordercolor", black ? "black" : "white", raw, image},
             script);
    if (raw != image) remove_made_file(raw);
  }
  if (open) open_image(image);
}

void open_image(const std::string& image) {
#ifdef __APPLE__
  if (spawn_program({"open", image}) == 0) return;
  runlog_msg("... now trying 'display' from ImageMagick ...\n");
  run_step({"display", image}, image);
#else
  // On Linux "open" may be another program altogether (openvt), and a viewer
  // without a display shows nothing: only a desktop opener with a display.
  if (have_display() && !find_program("xdg-open").empty()) {
    if (spawn_program({"xdg-open", image}) == 0) return;
    if (!find_program("display").empty()) {
      runlog_msg("... now trying 'display' from ImageMagick ...\n");
      run_step({"display", image}, image);
      return;
    }
  }
  runlog_msg("[i] no program to show the image here: it is left in '%s'\n", image.c_str());
#endif
}

}  // namespace vask
