#include "shell/MessageLog.h"

void MessageLog::add(const QString& text) {
    if (text.isEmpty()) {
        return; // the status line cleared: nothing was said
    }
    entries_.push_back({QDateTime::currentDateTime(), text});
    while (entries_.size() > kMaxEntries) {
        entries_.pop_front();
    }
    emit added(entries_.back());
}

QString MessageLog::lineOf(const Entry& entry) {
    return entry.time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + entry.text;
}
