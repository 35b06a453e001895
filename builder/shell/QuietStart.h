#pragma once

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

// Installs the translation of the program's texts for the language: the menus and
// dialogs are written in Japanese, as the program's Japanese users know them, and
// shown in English for every other language. "ja..." or "en..."; empty: the system's.
// Answers the translator installed (owned by the application), or null for none.
QTranslator* installTranslation(QApplication& app, const QString& language);
