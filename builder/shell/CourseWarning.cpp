#include "shell/CourseWarning.h"

#include <QStringList>

namespace {

QString counted(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString times(int n) {
    return n == 1 ? QStringLiteral("once") : QStringLiteral("%1 times").arg(n);
}

} // namespace

QString courseCheckWarning(const TwxCourseCheck& check) {
    QStringList found;
    if (check.foldedTriangles > 0) {
        found << counted(check.foldedTriangles, "strip triangle", "strip triangles") +
                     QStringLiteral(" folded over");
    }
    if (check.fieldOverRoad > 0) {
        found << QStringLiteral("%1 square units of field over the road")
                     .arg(static_cast<double>(check.fieldOverRoad), 0, 'f', 1);
    }
    if (check.centrelineCrossings > 0) {
        found << QStringLiteral("the course crosses itself ") + times(check.centrelineCrossings);
    }
    if (check.edgeCrossings > 0) {
        found << QStringLiteral("the road's edges cross ") + times(check.edgeCrossings);
    }
    if (check.tightBends > 0) {
        found << counted(check.tightBends, "bend", "bends") +
                     QStringLiteral(" tighter than the strips on their inside reach");
    }
    if (check.probeMisses > 0) {
        found << QStringLiteral("%1 of %2 balls dropped on the road %3 off it")
                     .arg(check.probeMisses)
                     .arg(check.probes)
                     .arg(QLatin1String(check.probeMisses == 1 ? "lands" : "land"));
    }
    return QStringLiteral("Course check: ") + found.join(QStringLiteral("; ")) +
           QStringLiteral(" (tumbleway-run --check shows where).");
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
