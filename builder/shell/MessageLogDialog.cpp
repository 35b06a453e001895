#include "shell/MessageLogDialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/MessageLog.h"

MessageLogDialog::MessageLogDialog(const MessageLog& log, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("messageLog"));
    setWindowTitle(tr("Messages"));
    auto* layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setPlaceholderText(tr("No messages yet."));
    for (const MessageLog::Entry& entry : log.entries()) {
        text_->appendPlainText(MessageLog::lineOf(entry));
    }
    layout->addWidget(text_);
    connect(&log, &MessageLog::added, this, [this](const MessageLog::Entry& entry) {
        text_->appendPlainText(MessageLog::lineOf(entry));
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(tr("Copy all"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, [this] {
        text_->selectAll();
        text_->copy();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(720, 360);
}
