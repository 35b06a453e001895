#pragma once

#include <cstddef>
#include <iterator>
#include <type_traits>

// The element at index of a list, counted from 0; null when there is none.
template <typename List>
auto* elementAt(List& list, int index) {
    using Element = std::remove_reference_t<decltype(*list.begin())>;
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        return static_cast<Element*>(nullptr);
    }
    return &*std::next(list.begin(), index);
}
