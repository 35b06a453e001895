#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <deque>

// Every message the status line showed, with the time it came: the status line has room
// for one line at a time, and a long message or one that was soon replaced can be read
// here in full.
class MessageLog : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QDateTime time;
        QString text;
    };

    // The oldest messages go once the log holds this many.
    static constexpr std::size_t kMaxEntries = 1000;

    using QObject::QObject;

    void add(const QString& text);
    const std::deque<Entry>& entries() const { return entries_; }
    // One entry as the log shows it: the time of day, then the whole text.
    static QString lineOf(const Entry& entry);

signals:
    void added(const MessageLog::Entry& entry);

private:
    std::deque<Entry> entries_;
};
