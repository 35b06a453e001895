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
    // One text for one and one for more: the line is short, and English says "once".
    const auto counted = [](int n, const char* one, const char* many) {
        return n == 1 ? text(one) : text(many).arg(n);
    };
    // Worst first: a course that crosses itself is wrong whatever else it does, and a
    // fold at a bend says more than the triangle count.
    if (check.centrelineCrossings > 0) {
        return counted(check.centrelineCrossings,
                       QT_TRANSLATE_NOOP("CourseWarning", "the course crosses itself once"),
                       QT_TRANSLATE_NOOP("CourseWarning", "the course crosses itself %1 times"));
    }
    if (check.foldedTriangles > 0 && check.tightBends > 0) {
        return counted(check.tightBends,
                       QT_TRANSLATE_NOOP("CourseWarning", "the strips fold at 1 bend"),
                       QT_TRANSLATE_NOOP("CourseWarning", "the strips fold at %1 bends"));
    }
    if (check.foldedTriangles > 0) {
        return counted(check.foldedTriangles,
                       QT_TRANSLATE_NOOP("CourseWarning", "1 strip triangle folded over"),
                       QT_TRANSLATE_NOOP("CourseWarning", "%1 strip triangles folded over"));
    }
    if (check.edgeCrossings > 0) {
        return counted(check.edgeCrossings,
                       QT_TRANSLATE_NOOP("CourseWarning", "the road's edges cross once"),
                       QT_TRANSLATE_NOOP("CourseWarning", "the road's edges cross %1 times"));
    }
    if (check.fieldOverRoad > 0) {
        return text(QT_TRANSLATE_NOOP("CourseWarning", "the field lies over the road"));
    }
    if (check.tightBends > 0) {
        return counted(check.tightBends, QT_TRANSLATE_NOOP("CourseWarning", "1 bend too tight"),
                       QT_TRANSLATE_NOOP("CourseWarning", "%1 bends too tight"));
    }
    if (check.probeMisses > 0) {
        return text(QT_TRANSLATE_NOOP("CourseWarning", "balls land off the road"));
    }
    return {};
}
