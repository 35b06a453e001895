#pragma once

#include <QDialog>

class MessageLog;
class QPlainTextEdit;

// View → Messages: the message log, oldest first, each message whole and wrapped to the
// window; messages that come while it is open are added at the foot.
class MessageLogDialog : public QDialog {
    Q_OBJECT
public:
    MessageLogDialog(const MessageLog& log, QWidget* parent);

    QPlainTextEdit* text() const { return text_; }

private:
    QPlainTextEdit* text_;
};
