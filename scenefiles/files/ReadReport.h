#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "tumbleway/FiniteNumbers.h"

// What a scene file reader found wrong with one file, told to the user in one message
// box (caption "error") once the reading is over: the file is damaged, or elements
// were left out because a number in them is not finite. Each message names the file
// by the name the reader was given.
class ReadReport {
public:
    explicit ReadReport(std::string name) : name_(std::move(name)) {}

    // Appends the element unless one of its numbers is not finite; that one is
    // counted instead.
    template <class List, class Element>
    void keep(List& list, const Element& element) {
        if (allFinite(element)) {
            list.push_back(element);
        } else {
            ++leftOut_;
        }
    }

    // Counts an element left out for a number the element itself does not carry.
    void leaveOut() { ++leftOut_; }

    // The file's bytes are not what a scene file holds; reading goes on as far as it can.
    void damaged() { damaged_ = true; }

    // Shows the message, if there is anything to tell.
    void show() const;

private:
    std::string name_;
    std::size_t leftOut_ = 0;
    bool damaged_ = false;
};
