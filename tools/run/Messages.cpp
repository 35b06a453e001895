#include "Messages.h"

#include <cstdio>

void showMessagesOnStderr() {
    SetMessageBoxHandler([](const std::string& text, const std::string& caption, UINT) {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return IDOK;
    });
}

std::vector<KeptMessage> keepMessagesOf(const std::function<void()>& action) {
    std::vector<KeptMessage> kept;
    // The handler before comes back however the action ends.
    struct Restore {
        MessageBoxHandler previous;
        ~Restore() { SetMessageBoxHandler(previous); }
    } restore{SetMessageBoxHandler(
        [&kept](const std::string& text, const std::string& caption, UINT type) {
            kept.push_back({text, caption, type});
            return IDOK;
        })};
    action();
    return kept;
}

void showMessages(const std::vector<KeptMessage>& messages) {
    for (const KeptMessage& message : messages) {
        MessageBoxA(nullptr, message.text.c_str(), message.caption.c_str(), message.type);
    }
}

std::string joinedText(const std::vector<KeptMessage>& messages) {
    // One line: a failure is one line on stderr, and the engine's messages break theirs.
    std::string all;
    for (const KeptMessage& message : messages) {
        for (const char c : message.text) {
            const bool space = c == '\n' || c == '\r' || c == ' ';
            if (!space) {
                all += c;
            } else if (!all.empty() && all.back() != ' ') {
                all += ' ';
            }
        }
        if (!all.empty() && all.back() != ' ') {
            all += ' ';
        }
    }
    while (!all.empty() && all.back() == ' ') {
        all.pop_back();
    }
    return all;
}
