#pragma once

#include <QDialog>
#include <QIcon>

// The program's icon, drawn rather than shipped: a ball rolling on a banked road.
QIcon programIcon();

// "About Tumble Way": icon, program name and version, OK.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};
