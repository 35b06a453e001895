#pragma once

#include <cstddef>
#include <cstdint>
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

// Numbers the elements first, first + 1, ... in list order.
template <typename List>
void renumber(List& list, std::int32_t first) {
    for (auto& element : list) {
        element.id = first++;
    }
}
