#include "shell/CourseWarning.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString text(const char* source, int n = -1) {
    return QCoreApplication::translate("CourseWarning", source, nullptr, n);
}

} // namespace

QString courseCheckWarning(const TwxCourseCheck& check) {
    QStringList found;
    if (check.foldedTriangles > 0) {
        found << text(QT_TRANSLATE_N_NOOP("CourseWarning", "%n strip triangle(s) folded over"),
                      check.foldedTriangles);
    }
    if (check.fieldOverRoad > 0) {
        found << text(QT_TRANSLATE_NOOP("CourseWarning", "%1 square units of field over the road"))
                     .arg(static_cast<double>(check.fieldOverRoad), 0, 'f', 1);
    }
    if (check.centrelineCrossings > 0) {
        found << text(QT_TRANSLATE_N_NOOP("CourseWarning", "the course crosses itself %n time(s)"),
                      check.centrelineCrossings);
    }
    if (check.edgeCrossings > 0) {
        found << text(QT_TRANSLATE_N_NOOP("CourseWarning", "the road's edges cross %n time(s)"),
                      check.edgeCrossings);
    }
    if (check.tightBends > 0) {
        found << text(
            QT_TRANSLATE_N_NOOP("CourseWarning",
                                "%n bend(s) tighter than the strips on their inside reach"),
            check.tightBends);
    }
    if (check.probeMisses > 0) {
        found << text(QT_TRANSLATE_N_NOOP("CourseWarning",
                                          "%n of %1 balls dropped on the road land(s) off it"),
                      check.probeMisses)
                     .arg(check.probes);
    }
    return text(QT_TRANSLATE_NOOP("CourseWarning",
                                  "Course check: %1 (tumbleway-run --check shows where)."))
        .arg(found.join(text(QT_TRANSLATE_NOOP("CourseWarning", "; "))));
}

QString courseCheckHeadline(const TwxCourseCheck& check) {
    // Worst first: a course that crosses itself is wrong whatever else it does, and a
    // fold at a bend says more than the triangle count.
    if (check.centrelineCrossings > 0) {
        return QStringLiteral("the course crosses itself ") + times(check.centrelineCrossings);
    }
    if (check.foldedTriangles > 0 && check.tightBends > 0) {
        return QStringLiteral("the strips fold at ") + counted(check.tightBends, "bend", "bends");
    }
    if (check.foldedTriangles > 0) {
        return counted(check.foldedTriangles, "strip triangle", "strip triangles") +
               QStringLiteral(" folded over");
    }
    if (check.edgeCrossings > 0) {
        return QStringLiteral("the road's edges cross ") + times(check.edgeCrossings);
    }
    if (check.fieldOverRoad > 0) {
        return QStringLiteral("the field lies over the road");
    }
    if (check.tightBends > 0) {
        return counted(check.tightBends, "bend", "bends") + QStringLiteral(" too tight");
    }
    if (check.probeMisses > 0) {
        return QStringLiteral("balls land off the road");
    }
    return {};
}
