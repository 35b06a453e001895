#pragma once

#include <functional>
#include <string>
#include <vector>

#include "win32/win32.h"

// The message boxes the engine and the file readers show, without a window.

// Each message goes to stderr as one line, "[caption] text".
void showMessagesOnStderr();

struct KeptMessage {
    std::string text;
    std::string caption;
    UINT type = 0;
};

// Runs the action with the messages it shows kept back instead, and returns them.
std::vector<KeptMessage> keepMessagesOf(const std::function<void()>& action);

// Shows kept messages as if they had been shown when they were made.
void showMessages(const std::vector<KeptMessage>& messages);

// The texts of the messages, joined by spaces.
std::string joinedText(const std::vector<KeptMessage>& messages);
