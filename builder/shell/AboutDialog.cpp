#include "shell/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        QPainterPath road;
        road.moveTo(0, s * 0.95);
        road.cubicTo(s * 0.3, s * 0.55, s * 0.7, s * 0.95, s, s * 0.6);
        road.lineTo(s, s);
        road.lineTo(0, s);
        road.closeSubpath();
        painter.fillPath(road, QColor(0x55, 0x60, 0x6b));
        QRadialGradient shade(QPointF(s * 0.42, s * 0.32), s * 0.4);
        shade.setColorAt(0, QColor(0xff, 0xd0, 0x60));
        shade.setColorAt(1, QColor(0xc8, 0x50, 0x10));
        painter.setBrush(shade);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(s * 0.5, s * 0.42), s * 0.3, s * 0.3);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Tumble Way"));
    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(programIcon().pixmap(48, 48));
    auto* text = new QLabel(tr("Tumbleway Builder Version 0.9.6"), this);
    auto* row = new QHBoxLayout;
    row->addWidget(iconLabel);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}
