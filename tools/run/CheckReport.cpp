#include "CheckReport.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "OutputFile.h"
#include "RunError.h"
#include "d3d9/egl_context.h"

namespace {

// A finding's place is given for at most this many of a kind; the rest are counted.
constexpr std::size_t kPlacesShown = 3;

std::string format(const char* pattern, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

bool finiteAt(float x, float z) {
    return std::isfinite(x) && std::isfinite(z);
}

std::vector<TwxFinding> ofKind(const std::vector<TwxFinding>& findings, int kind) {
    std::vector<TwxFinding> kept;
    for (const TwxFinding& f : findings) {
        if (f.kind == kind) {
            kept.push_back(f);
        }
    }
    return kept;
}

// "at (x, z), (x, z) and 4 more places". Only places that are numbers are given: a
// course laid at coordinates too large for a float has findings nowhere to be named.
std::string places(const std::vector<TwxFinding>& findings) {
    std::string shown;
    std::size_t named = 0;
    for (const TwxFinding& f : findings) {
        if (named < kPlacesShown && finiteAt(f.x, f.z)) {
            shown += (named++ == 0 ? "" : ", ") + format("(%.1f, %.1f)", f.x, f.z);
        }
    }
    if (named == 0) {
        return "at places beyond any number";
    }
    const std::size_t rest = findings.size() - named;
    return "at " + shown + (rest > 0 ? " and " + std::to_string(rest) + " more" : "");
}

std::string count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string foldsLine(const TwxCourseCheck& s, const std::vector<TwxFinding>& found) {
    std::string strips;
    for (int k = 0; k < 7; ++k) {
        if (s.foldsByStrip[k] > 0) {
            strips += (strips.empty() ? "" : ", ") + std::to_string(k) + ": " +
                      std::to_string(s.foldsByStrip[k]);
        }
    }
    return "folded strip triangles (facing away from above): " + std::to_string(s.foldedTriangles) +
           " in " + count(found.size(), "place", "places") + " (by strip " + strips + "), " +
           places(found);
}

std::string probeLine(const TwxCourseCheck& s, const std::vector<TwxFinding>& found) {
    const std::string worst =
        std::isinf(s.worstProbe) ? "on no surface at all" : format("%.3f off", s.worstProbe);
    return "probe balls off the road: " + std::to_string(s.probeMisses) + " of " +
           std::to_string(s.probes) + " landed more than 0.01 from it, in " +
           count(found.size(), "place", "places") + ", the worst " + worst + ", " + places(found);
}

std::string bendLine(const TwxCourseCheck& s) {
    const std::string at = finiteAt(s.tightestBendX, s.tightestBendZ)
                               ? format(" at (%.1f, %.1f)", s.tightestBendX, s.tightestBendZ)
                               : "";
    return format("tightest bend: radius %.1f", s.tightestBend) + at +
           format("; widest offset on its inside %.1f, on either side %.1f",
                  s.tightestBendInsideOffset, s.widestOffset);
}

} // namespace

CourseCheckResult checkOpenedCourse() {
    CourseCheckResult result;
    const int found = twx_check_course(&result.summary, nullptr, 0);
    if (found < 0) {
        throw RunError(kCannotStart,
                       "--check: the scene's course has no road to check (it needs at least "
                       "three points in different places)");
    }
    result.findings.resize(static_cast<std::size_t>(found));
    twx_check_course(&result.summary, result.findings.data(), found);
    return result;
}

std::string courseCheckReport(const std::string& scene, const CourseCheckResult& result) {
    const TwxCourseCheck& s = result.summary;
    const auto found = [&result](int kind) { return ofKind(result.findings, kind); };
    std::vector<std::string> lines;
    // First, as it explains what else is found.
    if (const auto spot = found(TWX_FINDING_NO_EXTENT); !spot.empty()) {
        lines.push_back(format("the course has no extent: its centreline reaches %.3g across, "
                               "less than its road is wide, ",
                               spot[0].value) +
                        places(spot));
    }
    if (const auto folds = found(TWX_FINDING_FOLD); !folds.empty()) {
        lines.push_back(foldsLine(s, folds));
    }
    if (const auto field = found(TWX_FINDING_FIELD_OVER_ROAD); !field.empty()) {
        lines.push_back(format("field over the road: %.1f square units in ", s.fieldOverRoad) +
                        count(field.size(), "place", "places") + ", " + places(field));
    }
    if (const auto centre = found(TWX_FINDING_CENTRELINE_CROSSING); !centre.empty()) {
        lines.push_back("the centreline crosses itself " + count(centre.size(), "time", "times") +
                        ", " + places(centre));
    }
    if (const auto edges = found(TWX_FINDING_EDGE_CROSSING); !edges.empty()) {
        lines.push_back("the road edges cross themselves " + count(edges.size(), "time", "times") +
                        ", " + places(edges));
    }
    if (const auto bends = found(TWX_FINDING_TIGHT_BEND); !bends.empty()) {
        lines.push_back(count(bends.size(), "bend is", "bends are") +
                        " tighter than the widest offset on their inside (they fold the strips "
                        "there), " +
                        places(bends));
    }
    if (const auto probes = found(TWX_FINDING_PROBE); !probes.empty()) {
        lines.push_back(probeLine(s, probes));
    }
    std::string text = scene + ": " +
                       (lines.empty() ? std::string("the course is sound")
                                      : count(lines.size(), "kind", "kinds") + " of finding") +
                       "\n";
    for (const std::string& line : lines) {
        text += "  " + line + "\n";
    }
    text += "  " + bendLine(s) + "\n";
    if (s.probeMisses == 0) {
        text += "  probe balls: " + std::to_string(s.probes) + " dropped, all on the road\n";
    }
    return text;
}

void writeCourseCheckPicture(const std::filesystem::path& picture, int width, int height) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    if (twx_draw_course_check(rgba.data(), width, height) < 0) {
        throw RunError(kRunFailed, "cannot draw the picture " + picture.string());
    }
    writeOutputFile(picture, encodePngRgba(width, height, rgba.data()), "the picture");
}
