#pragma once

#include <QDialog>
#include <QImage>
#include <QPolygonF>
#include <QString>

#include <vector>

#include "tumbleway/tumbleway_ext.h"

class AppForm;
class QTreeWidget;

// What the course check found on the current course, placed in MakeField's view.
struct CourseCheckFindings {
    QString course; // its tree name
    QPolygonF laid; // the laid points, in MakeField's view pixels
    struct Finding {
        TwxFinding found;    // the kind and the measure; x and z are world places
        QPointF pixel;       // where it is in MakeField's view
        bool placed = false; // false when the laid points give no place for it
    };
    std::vector<Finding> findings;
};

// Checks the current course; false (nothing filled) when there is no course to check.
bool checkCurrentCourse(AppForm& form, CourseCheckFindings* out);

// The check's findings on a picture of MakeField's view (the laid points and a ring round
// every finding), with a legend of the kinds and a list of the findings with their view
// pixels, where a right click in MakeField reaches them.
class CourseCheckDialog : public QDialog {
    Q_OBJECT
public:
    CourseCheckDialog(const CourseCheckFindings& check, QSize viewSize, QWidget* parent);

    QTreeWidget* list() const { return list_; }
    const QImage& picture() const { return picture_; }

    // The colour a kind of finding is ringed in.
    static QColor colourOf(int kind);
    static QString nameOf(int kind);

private:
    QTreeWidget* list_;
    QImage picture_;
};
