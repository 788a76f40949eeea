// Raster3D scenes (.r3d): the fixed 20-line header (centred and scaled on
// the structure), the object records (triangles, spheres, round- and
// flat-ended cylinders), and the drawing pieces built on them: reference-frame
// axes with arrow heads, dashed H-bonds, and the frame scene of a structure.
//
// Every number of an object line is printed "%.3f"; colours are rgb in [0, 1]
// taken from the block colour table of the settings. Nothing is written to a
// null stream.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "schematics/alchemy.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// Slot k of the block colour table.
const rgb_t& block_color(int slot);

void write_r3d_header(const struct_mol& mol, FILE* fp);
// The same header centred and scaled on the given extents and mean (a maximum
// x above 1e36 means no points: the header is left unscaled).
void write_r3d_header(const xyz& max, const xyz& min, const xyz& mean, FILE* fp);
// A scene of one dashed H-bond from a to b: the header centred and scaled
// on the two points, then the H-bond, so that it renders alone.
void write_hbond_r3d_scene(const xyz& a, const xyz& b, FILE* fp);

// Record type 1 with vertices p1, p2, p3.
void write_r3d_triangle(const xyz& p1, const xyz& p2, const xyz& p3, const rgb_t& c, FILE* fp);
// The same with the vertices at atoms offset + a, + b, + c of an Alchemy model.
void write_one_triangle(const std::vector<alcAtom>& atoms, long offset, long a, long b, long c,
                        const rgb_t& color, FILE* fp);
// The same with the structure atoms at positions a, b, c of a ring atom list.
void write_ring_triangle(const std::vector<long>& ring, long a, long b, long c, const rgb_t& color,
                         const struct_mol& mol, FILE* fp);
void write_r3d_sphere(const xyz& p, double radius, const rgb_t& c, FILE* fp);
// Record type 3 (rounded ends) or 5 (flat ends), the radius at both ends.
void write_r3d_cylinder(int type, const xyz& a, const xyz& b, double radius, const rgb_t& c,
                        FILE* fp);

// Two short strokes at tip, d turned by +-165 degrees about axis n.
void draw_one_arrow_head(const xyz& tip, const xyz& d, const xyz& n, const rgb_t& c, FILE* fp);
// A frame's axes and origin as the block-file frame switches ask (colour
// slot 24 when set, else slot k); nothing when no frame item is asked for.
void write_ref_frame(int k, const frame& f, FILE* fp);
// One dashed H-bond from a to b (slot 21).
void write_one_hbond_r3d(const xyz& a, const xyz& b, FILE* fp);

// The frame scene (the --r3d-frame task): base frames, best-pair frames,
// G-tetrad and G4 step frames and the global frame as selected.
void write_r3d_frames(struct_mol& mol, const std::string& file);

}  // namespace vask
