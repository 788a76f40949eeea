// Images from PyMOL scripts: the image tail of a script (extra commands, the
// session file, ray-tracing to "<base>-pymol.png"), the PyMOL run, the trim by
// ImageMagick's convert and the showing of the image.
//
// External programs are started without a shell, each argument passed as it
// is, so a file name with blanks, ';' or '$(...)' stays a file name. A failing
// pymol or convert ends the run ("[e]", status 1); the script stays on disk.
#pragma once

#include <cstdio>
#include <string>

namespace vask {

// The extra PyMOL commands of the settings and the PyMOL command file.
void check_block_cmd(FILE* fp);

// The image tail: extra commands, "save <base>.pse" with session, and with
// ray "zoom complete=1", "ray <size>", "png <base>-pymol.png".
// The names PyMOL takes unquoted (the image and session names of png and
// save, and the script on PyMOL's own command line, which it splits at ';'),
// checked before a script is begun: one PyMOL cannot take back ends the run
// with "[e] ...".
void check_pymol_names(const std::string& script, const std::string& base, bool session, bool ray, bool convert);
void pymol_pse_ray_png(FILE* fp, const std::string& base, bool session, bool ray);

// With convert on: pymol renders the script, convert trims the image into
// the cartoon image setting or "<base>.png" (kept untrimmed when convert is
// absent), and with open it is shown. Nothing for a script on a standard stream.
// Every file PyMOL writes (the image, and with session "<base>.pse") is made
// anew first, so that PyMOL never writes through a link planted under it.
void run_pymol(const std::string& script, const std::string& base, bool convert, bool black,
               bool open, bool session, bool own_image_name = true);

// Shows an image with the desktop's opener when there is one that can show
// it; otherwise the image is left on disk and its name given on the run log.
void open_image(const std::string& image);

}  // namespace vask
