// Reference frames: life cycle, conversions to and from rotation matrices,
// frames built from points, text forms; the ideal base templates and the
// least-squares fit that gives a nucleotide its base frame.
//
// The frame record itself is declared with the settings (driver/option.hpp)
// because the view options hold frames too. Frames of other groups
// (phosphate, sugar, peptide, side chains) and measures between frames live
// elsewhere.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "structure/atom.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// Frame type codes (frame::type).
enum frame_type_code : int {
  FRAME_BASE = 0,
  FRAME_PHOSPHATE = 1,
  FRAME_SUGAR = 2,
  FRAME_BACKBONE = 3,
  FRAME_SIDECHAIN = 4,
  FRAME_AROMATIC = 5,
  FRAME_QUENBY_AA = 7,
  FRAME_BESTPAIR = 9,
  FRAME_GTETRAD = 10,
};

// ---------------------------------------------------------------------------
// Record life cycle and conversions

std::vector<frame> allocate_frames_array(long n);  // 1-based, n + 1 records; n < 0 asserts
void init_one_frame(frame& f);                     // zero origin and axes, unset quaternion
void free_frames(std::vector<frame>& frames);

void frame_to_rotmat(const frame& f, rotmat& R);   // columns := x, y, z axes
void xyz_to_rotmat(const xyz& x, const xyz& y, const xyz& z, rotmat& R);
void rotmat_to_frame(const rotmat& R, frame& f);   // axes only
void fillout_frame_from_oxyz(const xyz& o, const xyz& x, const xyz& y, const xyz& z, frame& f);
void fillout_frame_from_oR(const xyz& o, const rotmat& R, frame& f);  // also the quaternion
void fillout_oR_from_frame(const frame& f, xyz& o, rotmat& R);

const char* get_frame_type(int code);  // "base", "phosphate", ..., "undefined"

void derive_frame_x_y0(frame& f);  // keeps z and the direction of y
void derive_frame_x0_y(frame& f);  // keeps z and the direction of x
void define_frame_by_3positions(const xyz& p1, const xyz& p2, const xyz& p3, frame& f);
void verify_frame(frame& f);       // repairs a frame that is not orthonormal, with a warning

// ---------------------------------------------------------------------------
// Text forms; nothing is written to a null stream.

void write_one_frame(FILE* fp, const char* title, const frame& f);
void write_one_rotmat(FILE* fp, const char* title, const xyz& o, const rotmat& R);

// Template file name of a standard name: "frame.%s.pdb" for a modified
// nucleotide (lower-case third character, nt set), else "frame_%s.pdb".
std::string set_frame_name(const std::string& std_name, bool nt);

// ---------------------------------------------------------------------------
// Ideal base templates

// Parses one PDB ATOM/HETATM line into a default atom record.
void populate_one_atom(const char* line, atom& a);

// Parses the compiled-in template named in file_name into atoms[1..count] (the
// array grows as needed); returns count. An unknown name asserts.
long populate_one_frame(const std::string& file_name, std::vector<atom>& atoms);

// Every ATOM/HETATM line of the file named by holder.file_name into
// holder.atoms[1..count]; returns count (holder.num_atoms is not set).
long read_pdb_in_frame(struct_mol& holder);

// The template from the built-in copy (stand-alone on) or from the folder
// "data/standard_frames"; sets holder's file name, atoms and atom count.
long read_frame_atom_records(const std::string& file_name, struct_mol& holder);

// The standard name, or "__u" when its third character is the abasic marker.
std::string check_std_name(const std::string& std_name);

// Least-squares base frame: superposes the template points tmpl[1..n] onto the
// residue points res[1..n] (pairs matched by ring-atom name); f gets type
// base, the RMSD, origin = the image of the template origin, axes = the
// rotation's columns and its quaternion. Returns the RMSD, or -1.0 with f
// untouched when n < 3.
double fit_base_frame(long n, const std::vector<xyz>& tmpl, const std::vector<xyz>& res, frame& f);

// Pairs of ring atoms present in both the template atoms[1..nt] and the
// residue atoms[first..last], in ring-list order (six names, nine for a
// purine); the first atom of each name counts. Returns the number of pairs.
long match_ring_atoms(const std::vector<atom>& tmpl, long nt, const std::vector<atom>& res,
                      long first, long last, bool purine, std::vector<xyz>& tmpl_xyz,
                      std::vector<xyz>& res_xyz);

// ---------------------------------------------------------------------------
// Frames of a structure

// The base frame of residue i, or null (not a nucleotide, or no fitted base).
const frame* base_frame(long i, const struct_mol& mol);
long number_of_base_frames(const struct_mol& mol);   // nucleotides in thread order with one
long number_of_amino_frames(const struct_mol& mol);  // frames of type backbone or aromatic

// A viewing frame from the first atoms of the structure: origin at atom 1,
// x towards atom 2, y towards the first atom off that line (5..175 degrees).
void derive_frame_by_first_pdb_atoms(const struct_mol& mol, frame& f);

// Listing of every frame attached to a residue; nothing for a null stream.
void print_pdb_frames(FILE* fp, const struct_mol& mol);
// "# n base frames" (side-chain frames), then per listed residue a label
// "k letter id" and its frame; residues without that frame are left out.
void list_base_frames(const struct_mol& mol, long n, const std::vector<long>& nts, FILE* fp);
void list_sidechain_frames(const struct_mol& mol, long n, const std::vector<long>& aas, FILE* fp);
// The amino-acid/nucleotide frame file of frames[1..n].
void print_quenby_frames(const std::string& file_name, const struct_mol& mol, long n,
                         const std::vector<frame>& frames);

// Fits the base frame of every nucleotide that has an identifiable base,
// appending to mol.frames.
void get_nt_base_frames(struct_mol& mol);

// Frames of the other groups, appended in residue order: phosphate (P, OP1,
// OP2, the O3' bonded to P, O5'), sugar (C1', C4', O4'), peptide unit (CA, C,
// O, then N, CA of the next amino acid), side chain (N, CA, C, CB) and the
// planar end of one side chain (atoms by name, up to the first empty one).
// A group with fewer than 3 atoms gets no frame.
void get_nt_PO4_frames(struct_mol& mol);
void get_nt_sugar_frames(struct_mol& mol);
void get_aa_peptide_frames(struct_mol& mol);
void get_aa_sidechain_frames(struct_mol& mol);
void get_planar_aasc_frame(const std::vector<const char*>& names, long i, struct_mol& mol);

// Makes the frames of the structure (bases first, in residue order), marks
// the planar ones and sets the frames stage flag.
void populate_frames(struct_mol& mol);

// ---------------------------------------------------------------------------
// Distances and orientation of two frames. d = o(f2) - o(f1); the mean z
// axis zm is z1 + z2, or z2 - z1 when they point apart, made unit.

double get_point_vdist_to_frame(const xyz& p, const frame& f);   // |(p - o).z|
double get_point_vdist0_to_frame(const xyz& p, const frame& f);  // (p - o).z, signed
double get_vdist_by_frame(const frame& f1, const frame& f2);     // |d.zm|
double get_hdist_by_frame(const frame& f1, const frame& f2);     // |d| across zm
void get_vdist_dist_by_frame(const frame& f1, const frame& f2, double& dv, double& dist);
double get_vdist_min_by_frame(const frame& f1, const frame& f2);  // min(|d.z1|, |d.z2|)
// The same of the base frames of residues i and j; -1.0 when either has none.
double get_vdist_by_residue(long i, long j, const struct_mol& mol);
double get_vdist_min_by_residue(long i, long j, const struct_mol& mol);
void get_vdist_dist_by_residue(long i, long j, const struct_mol& mol, double& dv, double& dist);
// With v = q - p: dv = |v.axis|, dh = |v| across the unit axis.
void get_dv_dh_point2_axis(const xyz& p, const xyz& q, const xyz& axis, double& dv, double& dh);
long frame2_on_positiveZ_side(const frame& f1, const frame& f2);      // z1.d >= 0
long two_frames_in_similar_orient(const frame& f1, const frame& f2);  // x, y, z pairwise alike
// Which faces of two stacked bases meet: "pm(>>,forward)", "mp(<<,backward)",
// "pp(><,inward)" or "mm(<>,outward)"; the first letter is 'p' when z1 points
// towards o2, the second when z2 points towards o1.
std::string get_stack_faces(const frame& f1, const frame& f2);

// The frame of nucleotides list[1..n] (n >= 1): a base frame, the middle
// frame of two, or the mean origin and axes of more (members without a base
// frame left out); the identity frame when there is nothing to go by.
void get_nt_set_frame(const struct_mol& mol, long n, const std::vector<long>& list, frame& f);
void get_cnts_frame(const struct_mol& mol, const connect& set, frame& f);

}  // namespace vask
