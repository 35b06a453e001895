#pragma once

#include <algorithm>
#include <cstdint>
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

// A name (as nameFieldText reads one: no zero within) made ready to be matched against
// fields thousands of times a frame: its first eight bytes and, for a shorter name, its
// terminator are compared as one word, and only longer names compare the rest.
class NameFieldKey {
public:
    explicit NameFieldKey(std::string_view text) : m_text(text) {
        unsigned char word[kWord] = {};
        unsigned char mask[kWord] = {};
        const std::size_t head = std::min(text.size() + 1, kWord); // with the terminator
        std::memcpy(word, text.data(), std::min(text.size(), kWord));
        std::memset(mask, 0xff, head);
        std::memcpy(&m_word, word, kWord);
        std::memcpy(&m_mask, mask, kWord);
    }

    bool matches(const char (&field)[kNameFieldSize]) const {
        std::uint64_t word = 0;
        std::memcpy(&word, field, kWord);
        if ((word & m_mask) != m_word) {
            return false;
        }
        const std::size_t n = m_text.size();
        return n < kWord || (n < kNameFieldSize && (n == kNameFieldSize - 1 || field[n] == '\0') &&
                             std::equal(m_text.begin() + kWord, m_text.end(), field + kWord));
    }

private:
    static constexpr std::size_t kWord = sizeof(std::uint64_t);
    static_assert(kNameFieldSize > kWord);

    std::string_view m_text;
    std::uint64_t m_word = 0;
    std::uint64_t m_mask = 0;
};

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
