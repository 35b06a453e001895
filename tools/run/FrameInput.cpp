#include "FrameInput.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "RunError.h"
#include "tumbleway/tumbleway.h"

InputScript readInputScript(const std::filesystem::path& path) {
    std::ifstream file(path);
    if (!file) {
        throw RunError(kCannotStart, "cannot read the input file " + path.string());
    }
    InputScript script;
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        int frame = 0;
        FrameInput value;
        char comma1 = 0;
        char comma2 = 0;
        // Trailing blanks (a carriage return too) are fine; anything else is a mistake.
        if (!(fields >> frame >> comma1 >> value.turn >> comma2 >> value.move) || frame < 0 ||
            comma1 != ',' || comma2 != ',' || !std::isfinite(value.turn) ||
            !std::isfinite(value.move) || !(fields >> std::ws).eof()) {
            throw RunError(kCannotStart, path.string() + ":" + std::to_string(lineNumber) +
                                             ": expected frame,turn,move");
        }
        script.emplace_back(frame, value);
    }
    // A folder opens as a stream but cannot be read from.
    if (file.bad()) {
        throw RunError(kCannotStart, "cannot read the input file " + path.string());
    }
    std::stable_sort(script.begin(), script.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // Of the entries of one frame, the one read last stays.
    InputScript single;
    for (const auto& entry : script) {
        if (!single.empty() && single.back().first == entry.first) {
            single.back() = entry;
        } else {
            single.push_back(entry);
        }
    }
    return single;
}

void applyInput(int tab, const FrameInput& input) {
    switch (tab) {
    case 0:
        if (input.turn != 0) {
            xll_UpdateInputAnglePlay(input.turn);
        }
        if (input.move != 0) {
            xll_UpdateInputMovePlay(input.move);
        }
        break;
    case 1:
        if (input.turn != 0) {
            xll_UpdateInputAngle(input.turn * 0.001f);
        }
        if (input.move != 0) {
            xll_UpdateInputMove(input.move * 0.1f);
        }
        break;
    case 3:
        if (input.turn != 0) {
            xll_UpdateInputRL(input.turn);
        }
        if (input.move != 0) {
            xll_UpdateInputUD(input.move);
        }
        break;
    default:
        break;
    }
}
