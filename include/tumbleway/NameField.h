#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

#include "tumbleway/tumbleway.h"

// Names of files, meshes and sounds live in zero-terminated fields of kNameFieldSize
// bytes. Both file formats go through these two helpers so that a name can never run
// past its field, whatever the file or the record holds.

// The name held by a field: its bytes up to the terminating zero. A field without a
// zero (filled by someone else) yields its first kNameFieldSize - 1 bytes, as if it
// had been terminated where a well-formed one must be.
inline std::string_view nameFieldText(const char (&field)[kNameFieldSize]) {
    return {field, ::strnlen(field, kNameFieldSize - 1)};
}

// Whether the field's name is text, a name as nameFieldText reads it (no zero within):
// decided without measuring the field, for lookups made thousands of times a frame.
inline bool nameFieldHolds(const char (&field)[kNameFieldSize], std::string_view text) {
    return text.size() < kNameFieldSize && std::memcmp(field, text.data(), text.size()) == 0 &&
           (text.size() == kNameFieldSize - 1 || field[text.size()] == '\0');
}

// Stores text in a field: cut at an embedded zero and at kNameFieldSize - 1 bytes,
// then zero-terminated; the bytes after the name are zero.
inline void setNameField(char (&field)[kNameFieldSize], std::string_view text) {
    const std::size_t limit = std::min<std::size_t>(text.size(), kNameFieldSize - 1);
    if (limit == 0) { // an empty view's data may be null, which the C functions refuse
        std::memset(field, 0, kNameFieldSize);
        return;
    }
    const std::size_t length = ::strnlen(text.data(), limit);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, kNameFieldSize - length);
}
