#pragma once

#include <QList>
#include <QString>

#include <cstdio>

class QApplication;
class QTranslator;

// The libraries under the program talk on the terminal: the sound library when there
// is no sound card, Qt when the runtime folder is not set. Unless the user asks to see
// them (--verbose), those lines go to a log file instead; the program's own messages
// for the terminal go to the stream handed out.
class QuietStart {
public:
    // Call before the application object exists, so that its own warnings are caught.
    // Answers the terminal's stream (stderr itself when verbose).
    static std::FILE* begin(bool verbose);
    // Where the log goes: the user's state folder.
    static QString logPath();
};

// Installs the translation of the program's texts for the language, and Qt's own for
// its dialogs: Japanese for "ja...", English for every other language; empty: the
// system's. Answers the translators installed (owned by the application).
QList<QTranslator*> installTranslation(QApplication& app, const QString& language);
