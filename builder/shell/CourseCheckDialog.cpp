#include "shell/CourseCheckDialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

#include "shell/AppForm.h"
#include "shell/MakeFieldMapping.h"

namespace {

constexpr int kMaxFindings = 256;
// What a window manager's title bar and borders may add to the dialog's height.
constexpr int kFrameAllowance = 40;
constexpr int kKinds = 6;

} // namespace

bool checkCurrentCourse(AppForm& form, CourseCheckFindings* out) {
    RenderHost::EngineScope scope(form.host());
    HTREEITEM course = nullptr;
    if (twx_current_course(&course) != TWX_OK) {
        return false;
    }
    TwxCourseCheck check{};
    std::vector<TwxFinding> found(kMaxFindings);
    const int count = twx_check_course(&check, found.data(), kMaxFindings);
    if (count < 0) {
        return false;
    }
    found.resize(static_cast<std::size_t>(std::min(count, kMaxFindings)));
    LSession_t record;
    if (twx_get_course(course, &record) < 0) {
        return false;
    }
    std::vector<MakeFieldMapping::Pair> pairs;
    auto calculated = record.calculatedPoints.begin();
    for (const LPoint_t& dot : record.dottedPoints) {
        out->laid << QPointF(dot.x, dot.y);
        if (calculated != record.calculatedPoints.end()) {
            pairs.push_back({QPointF(dot.x, dot.y), QPointF(calculated->x, calculated->z)});
            ++calculated;
        }
    }
    xll_app_delete_Session_Iterator(&record);
    const std::optional<MakeFieldMapping> mapping = MakeFieldMapping::fromPoints(pairs);
    out->course = reinterpret_cast<QTreeWidgetItem*>(course)->text(0);
    for (const TwxFinding& finding : found) {
        CourseCheckFindings::Finding placed{finding, {}, false};
        float laidX = 0;
        float laidZ = 0;
        if (mapping && twx_laid_place_of(finding.x, finding.z, &laidX, &laidZ) == TWX_OK) {
            placed.pixel = mapping->pixelOfLaid(laidX, laidZ);
            placed.placed = true;
        }
        out->findings.push_back(placed);
    }
    return true;
}

QColor CourseCheckDialog::colourOf(int kind) {
    // As tumbleway-run --picture rings them.
    static const QColor colours[kKinds] = {Qt::red,  Qt::magenta, Qt::yellow, QColor(255, 140, 0),
                                           Qt::cyan, Qt::blue};
    return kind >= 0 && kind < kKinds ? colours[kind] : Qt::white;
}

QString CourseCheckDialog::nameOf(int kind) {
    switch (kind) {
    case TWX_FINDING_FOLD:
        return tr("strip triangles folded over");
    case TWX_FINDING_FIELD_OVER_ROAD:
        return tr("field over the road");
    case TWX_FINDING_CENTRELINE_CROSSING:
        return tr("the course crosses itself");
    case TWX_FINDING_EDGE_CROSSING:
        return tr("the road's edges cross");
    case TWX_FINDING_TIGHT_BEND:
        return tr("a bend tighter than the strips on its inside reach");
    case TWX_FINDING_PROBE:
        return tr("balls dropped on the road land off it");
    default:
        return tr("unknown");
    }
}

CourseCheckDialog::CourseCheckDialog(const CourseCheckFindings& check, QSize viewSize,
                                     QWidget* parent)
    : QDialog(parent), picture_(viewSize, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("courseCheck"));
    setWindowTitle(tr("Course check: %1").arg(check.course));

    // MakeField's view: the laid loop, its points, and a numbered ring per finding.
    picture_.fill(QColor(0x44, 0x44, 0x44));
    QPainter painter(&picture_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x60, 0xD0), 3));
    painter.drawPolygon(check.laid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0xA0, 0x40));
    for (const QPointF& point : check.laid) {
        painter.drawEllipse(point, 4, 4);
    }
    painter.setBrush(Qt::NoBrush);
    int number = 0;
    for (const auto& finding : check.findings) {
        ++number;
        if (!finding.placed) {
            continue;
        }
        painter.setPen(QPen(colourOf(finding.found.kind), 2));
        painter.drawEllipse(finding.pixel, 12, 12);
        painter.drawText(finding.pixel + QPointF(14, -8), QString::number(number));
    }
    painter.end();

    auto* layout = new QVBoxLayout(this);
    auto* view = new QLabel(this);
    layout->addWidget(view);

    QStringList legend;
    for (int kind = 0; kind < kKinds; ++kind) {
        legend << QStringLiteral("<span style=\"color:%1\">&#9711;</span> %2")
                      .arg(colourOf(kind).name(), nameOf(kind).toHtmlEscaped());
    }
    auto* key = new QLabel(legend.join(QStringLiteral(" &nbsp; ")), this);
    key->setWordWrap(true);
    layout->addWidget(key);

    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels(
        {tr("#"), tr("What"), tr("Where in MakeField (pixels)"), tr("How much")});
    number = 0;
    for (const auto& finding : check.findings) {
        const QString where = finding.placed ? QStringLiteral("%1, %2")
                                                   .arg(std::lround(finding.pixel.x()))
                                                   .arg(std::lround(finding.pixel.y()))
                                             : tr("not known");
        auto* row = new QTreeWidgetItem(
            list_, {QString::number(++number), nameOf(finding.found.kind), where,
                    QString::number(static_cast<double>(finding.found.value), 'g', 4)});
        row->setForeground(0, colourOf(finding.found.kind));
    }
    if (check.findings.empty()) {
        new QTreeWidgetItem(list_, {QString(), tr("Nothing: the course is sound.")});
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);

    // A maximised window's view is about as big as the screen: shown whole, with the
    // list below it, the picture would push the Close button off the screen. It is shown
    // smaller then, within what the screen leaves beside the rest of the dialog.
    QPixmap shown = QPixmap::fromImage(picture_);
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QSize rest = layout->sizeHint() - view->sizeHint();
        const QSize room = screen->availableGeometry().size() - rest - QSize(0, kFrameAllowance);
        if (room.isValid() && (shown.width() > room.width() || shown.height() > room.height())) {
            shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
    }
    view->setPixmap(shown);
}
