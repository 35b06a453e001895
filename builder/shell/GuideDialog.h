#pragma once

class QWidget;

// Shows the user guide (docs/user-guide.md of the project or of the installation) in a
// window of its own; says where it was looked for when it is not there.
void showUserGuide(QWidget* parent);
