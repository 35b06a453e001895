// The engine's extension interface: what hosts need of libTumbleway096.so beyond the
// 47 xll_ exports, which stay exactly as they are. Every function here carries the
// prefix twx_, checks that the engine exists and that its arguments are sound, and
// answers with an int: TWX_OK (0) or more on success, a negative TwxResult on
// failure. Nothing here shows a message; the host decides what to tell the user.
//
// "Mesh index" is the position of a placed mesh in the current course's placement
// list, the order in which xll_app_get_Session_Iterator hands the meshes out
// (0-based). Likewise for bitmaps and sound relations.
#pragma once

#include "tumbleway/tumbleway.h"

enum TwxResult {
    TWX_OK = 0,
    TWX_NO_ENGINE = -1,    // called before xll_CAppForm
    TWX_BAD_ARGUMENT = -2, // a null pointer or an index out of range
    TWX_NO_COURSE = -3,    // the call works on the current course and there is none
    TWX_NOT_FOUND = -4,    // no course or library entry with that tree item
    TWX_FAILED = -5,       // the engine could not do it (out of memory, say)
};

// The version of this interface; grows when functions are added.
constexpr int TWX_INTERFACE_VERSION = 5;
TW_EXPORT int twx_interface_version();

// ---- The library ----

// 1 when the library holds a loaded entry for the tree item (a pushed file that
// loaded), 0 when it does not (the file was not found or did not load).
TW_EXPORT int twx_library_holds(HTREEITEM item);

// ---- Courses ----

// What a placed mesh carries that the session record has no field for: how far it is
// raised above its body (the height of the X-file dialog), and the heading it keeps
// from the last time the arrow keys drove it (half-turns; it is drawn turned by
// yaw - turn, yaw being the record's).
struct TwxMeshExtra {
    float lift;
    float turn;
};

// xll_ui_restore_session, with what each of the record's meshes carries beyond the
// record (extras holds count values in the order of the record's meshes; null or
// short: nothing for the rest). Meshes the restore drops take their extras with them.
TW_EXPORT int twx_restore_session(LSession_t* session, int* courseNumber,
                                  const TwxMeshExtra* extras, int count);

// The tree item of the engine's current course; TWX_NO_COURSE (item set to null) when
// there is none.
TW_EXPORT int twx_current_course(HTREEITEM* item);
// Makes the course of that tree item current, as xll_setListCourse does, but leaves the
// camera where it is (an undo that brings a course back does not move the view).
// TWX_NOT_FOUND when no course has that item; the current course is then none.
TW_EXPORT int twx_make_course_current(HTREEITEM item);

// Any course as xll_app_get_Session_Iterator hands out the current one: appended to
// the record's lists (free them with xll_app_delete_Session_Iterator). Answers the
// number of placed meshes.
TW_EXPORT int twx_get_course(HTREEITEM item, LSession_t* record);
// What each placed mesh of that course carries beyond the record: up to capacity
// values, in the record's order. Answers the number of placed meshes.
TW_EXPORT int twx_get_course_extras(HTREEITEM item, TwxMeshExtra* extras, int capacity);

// Where the course of a tree item stands in the course list (from 0), or TWX_NOT_FOUND.
TW_EXPORT int twx_course_position(HTREEITEM item);

// Put a course back as a record holds it, as an undo needs it: replace_course rebuilds
// the course whose tree item is record->item from the record; insert_course adds a
// course for record->item at position in the course list (0 to the number of
// courses). Meshes are loaded by name as a restore loads them, with the extras as in
// twx_restore_session. The current course, the controlled mesh, the heading and the
// points being laid stay as they were, except that a replaced course that was current
// is current again in its new form (and its controlled mesh is let go of).
TW_EXPORT int twx_replace_course(LSession_t* record, const TwxMeshExtra* extras, int count);
TW_EXPORT int twx_insert_course(int position, LSession_t* record, const TwxMeshExtra* extras,
                                int count);

// ---- The current course's placed meshes ----

// The pose a placed mesh is drawn with: its world matrix (row vectors, as the device
// takes it), the translation of that matrix, and the heading of the model's x axis in
// the ground plane in half-turns (heading a points along (cos(pi a), sin(pi a)) in x
// and z, as the engine's headings do).
struct TwxMeshPose {
    float world[16];
    float x;
    float y;
    float z;
    float yaw;
};

// Number of placed meshes on the current course (0 without one).
TW_EXPORT int twx_mesh_count();
TW_EXPORT int twx_get_mesh_pose(int mesh, TwxMeshPose* pose);
// The poses of all placed meshes at once, in list order, up to capacity of them: one walk
// along the list, where asking for each mesh's pose walks to it. Answers how many poses
// it filled: every mesh's up to capacity, unless it came to a mesh without a body first
// (that mesh, the next one, has no pose). TWX_NO_COURSE without a current course.
TW_EXPORT int twx_get_mesh_poses(TwxMeshPose* poses, int capacity);

// How far a mesh is raised above its body (the height of the X-file dialog). The
// session record has no field for it, so hosts carry it beside the record.
TW_EXPORT int twx_get_mesh_lift(int mesh, float* lift);
TW_EXPORT int twx_set_mesh_lift(int mesh, float lift);

// The mesh the player's input pushes and turns: its index, or -1 when none is.
TW_EXPORT int twx_controlled_mesh();
// Makes a mesh the controlled one; -1 lets go of it.
TW_EXPORT int twx_set_controlled_mesh(int mesh);

// ---- Recording and replaying a drive ----

// The heading the turn input changes and the controlled mesh takes every frame, in
// half-turns (the direction (cos(pi h), sin(pi h)) in x and z); never wrapped.
TW_EXPORT int twx_get_heading(float* heading);
// Sets it; TWX_BAD_ARGUMENT for a number that is not finite.
TW_EXPORT int twx_set_heading(float heading);

// Draws placed mesh `mesh` of the current course once more, translucent, with the world
// matrix world[16] (row vectors, as TwxMeshPose::world gives it), in the views of the
// course until it is set again or cleared: the pose a recorded run had, beside the live
// one. The index is looked up every frame; while the current course has no such mesh,
// nothing is drawn. mesh -1 clears it (world may then be null). TWX_NO_COURSE without a
// current course, TWX_BAD_ARGUMENT for an index it does not place or a matrix with a
// number that is not finite.
TW_EXPORT int twx_set_ghost(int mesh, const float* world);

// ---- Sound relations ----

// Makes the library meshes and the sound of these tree items the ones the next sound
// assign or release export works on (second null: a movement relation), so that the
// relation made is the one the host shows; the exports otherwise take the first two
// meshes chosen since the last relation.
TW_EXPORT int twx_set_relation_picks(HTREEITEM first, HTREEITEM second, HTREEITEM sound);

// ---- Removing what the user made ----

// Removes the course of that tree item with everything placed on it. When it was the
// current course there is none afterwards.
TW_EXPORT int twx_delete_course(HTREEITEM item);
// Remove one placed mesh, placed bitmap or sound relation of the current course.
TW_EXPORT int twx_delete_mesh(int mesh);
TW_EXPORT int twx_delete_bitmap(int bitmap);
TW_EXPORT int twx_delete_relation(int relation);

// ---- The course being laid ----

// Number of points laid since the last clear (the working list create takes).
TW_EXPORT int twx_working_point_count();
// The points laid since the last clear: appended to points->dottedPoints and
// points->calculatedPoints (free them with xll_app_delete_Session_Iterator).
TW_EXPORT int twx_get_working_points(LSession_t* points);
// Sets the points being laid, as twx_get_working_points gave them; the two lists must
// be of one length (one pair per click).
TW_EXPORT int twx_set_working_points(const LSession_t* points);

// ---- The library ----

// Removes the library entry of a tree item (a file opened into the library).
TW_EXPORT int twx_library_remove(HTREEITEM item);
// Adds a folder (absolute path) where files named by scenes and the library are looked
// for, after the fixed ones, as the folder of an opened file is added.
TW_EXPORT int twx_add_asset_folder(const char* folder);
// Where a file named by a scene or opened into the library would be loaded from, as the
// engine searches for it: its absolute path in path (capacity bytes, the terminating
// zero included). Answers the path's length; TWX_NOT_FOUND when no search folder holds
// it, TWX_BAD_ARGUMENT for a null name or path, or a path too long for capacity.
TW_EXPORT int twx_find_asset(const char* name, char* path, int capacity);
// The other files a loaded mesh of that file name was made from, which must travel with
// it: a .gltf's buffers and pictures, an .obj's material file, the pictures its
// materials named, each as the engine opened it, one a line (each ended by '\n') in
// files (capacity bytes, the terminating zero included). The meshes of the library are
// looked in first, then those placed on any course. Answers the text's length (0 for a
// mesh made from its file alone); TWX_NOT_FOUND when no mesh of that name is loaded,
// TWX_BAD_ARGUMENT for a null name or files, or a text too long for capacity.
TW_EXPORT int twx_mesh_companions(const char* name, char* files, int capacity);

// ---- Checking the current course ----

// What can be wrong with a course. Places are world x and z, seen from above.
enum TwxFindingKind {
    TWX_FINDING_FOLD = 0,                // strip triangles facing away from a camera above
    TWX_FINDING_FIELD_OVER_ROAD = 1,     // inner field lying over the road strip
    TWX_FINDING_CENTRELINE_CROSSING = 2, // the centreline crosses itself
    TWX_FINDING_EDGE_CROSSING = 3,       // a road edge crosses itself
    TWX_FINDING_TIGHT_BEND = 4,          // a bend tighter than the widest offset on its inside
    TWX_FINDING_PROBE = 5,               // a ball dropped on the road lands off its surface
    TWX_FINDING_NO_EXTENT = 6,           // the centreline lies in a spot narrower than the road
};

// One finding: a stretch of folds, of field over the road, of probe balls that landed
// wrong, or of a bend too tight; or one crossing. value: the folded triangles of the
// stretch; the square units of field over the road there; 0 for a crossing; the bend's
// radius; how far the worst ball of the stretch landed from the road under it
// (infinite when the surface query found no surface at all); how far the centreline
// reaches across, at its middle, for a course without extent.
struct TwxFinding {
    int kind; // a TwxFindingKind
    float x;
    float z;
    float value;
};

// What the check measured. A course is sound when it has no findings.
struct TwxCourseCheck {
    // Findings of every kind.
    int findings;
    // Strip triangles that face away from a camera above them, in all and strip by strip:
    // strip 0 is the wide field outside the loop, 3 the road, 6 the narrow field inside.
    int foldedTriangles;
    int foldsByStrip[7];
    // Square units of inner field lying over the road strip.
    float fieldOverRoad;
    // How often the centreline crosses itself, and how often the left and right road
    // edges cross themselves, both together.
    int centrelineCrossings;
    int edgeCrossings;
    // The smallest radius of curvature of the centreline, where it is, and the widest
    // offset of a strip's outer edge from the centreline on the side that bend turns to.
    float tightestBend;
    float tightestBendX;
    float tightestBendZ;
    float tightestBendInsideOffset;
    // The widest offset of a strip's outer edge from the centreline, either side.
    float widestOffset;
    // Bends tighter than the widest offset on their inside.
    int tightBends;
    // Balls dropped on the road (at every track sample, in the middle and across it);
    // those that landed more than 0.01 from the road under them, and how far the worst
    // of them landed (infinite: on no surface at all).
    int probes;
    int probeMisses;
    float worstProbe;
};

// Checks the current course's geometry: its strips, inner field, centreline and road
// edges, and balls dropped on the road through the surface query the bodies use. Fills
// check, and findings with the first `capacity` findings (kind by kind in the order of
// TwxFindingKind, along the loop within a kind). Answers the number of findings (0: the
// course is sound), which may be more than capacity; findings may be null when capacity
// is 0. TWX_NO_COURSE without a current course, or when it has no road (a course
// restored from fewer than three points, or from points all in one place).
TW_EXPORT int twx_check_course(TwxCourseCheck* check, TwxFinding* findings, int capacity);

// Checks the current course and draws it from above (x to the right, z up) into width x
// height RGBA pixels, 4 bytes each, row by row from the top: the inner field, the strips
// (folded triangles red) and the centreline, and a ring around every finding: folds red,
// field over the road magenta, centreline crossings yellow, edge crossings orange, tight
// bends cyan, probe balls blue, a course without extent lime. Width and height are 1 to
// 8192. Answers the number of findings, or fails as twx_check_course does.
TW_EXPORT int twx_draw_course_check(unsigned char* rgba, int width, int height);

// The laid ground place (the x and z of the current course's calculated points) of a
// place the check names, for showing findings where the course was laid.
// TWX_NO_COURSE without a current course with a road.
TW_EXPORT int twx_laid_place_of(float x, float z, float* laidX, float* laidZ);

// ---- Exporting the current course ----

// Writes the current course to path as a glTF 2.0 binary file (.glb) that modelling tools
// and game engines open: the road, edges, banks, field strips and inner field with their
// pictures (PNG, in the file), every placed mesh as a node with its world matrix as it
// stands now (a mesh file placed many times is stored once), and every placed bitmap as
// an upright textured quad facing along the current heading, as the course scene draws
// it. glTF's axes: right-handed, y up, one engine unit a metre (z is turned round).
// The file is written whole or not at all: an older file of that name stays as it was
// on failure. TWX_OK; TWX_NO_COURSE without a current course; TWX_BAD_ARGUMENT for a
// null path or a negative capacity; TWX_FAILED when the file cannot be written. On
// failure, error (errorCapacity bytes, the terminating zero included; may be null when
// errorCapacity is 0) says why in words for the user, cut to fit.
TW_EXPORT int twx_export_gltf(const char* path, char* error, int errorCapacity);
