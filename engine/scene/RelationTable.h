#pragma once

#include <map>
#include <string>
#include <utility>

// Which wave sound belongs to a pair of mesh names: (x-file1, x-file2) for a
// collision, (x-file1, "0") for movement. Keys compare as byte strings and a pair is
// ordered: (A, B) and (B, A) are different relations.
class RelationTable {
public:
    // The answer when a pair has no relation.
    static constexpr const char* kNoData = "nodata";
    // The second key of a movement relation.
    static constexpr const char* kMoveKey = "0";

    struct Answer {
        int result; // 1 found, -1 not found
        std::string wav;
    };

    virtual ~RelationTable() = default;

    // Inserts the pair with its sound; a pair already present keeps its first sound.
    void add(const std::string& first, const std::string& second, const std::string& wav);
    Answer lookup(const std::string& first, const std::string& second) const;
    // Erases the pair and answers what it held.
    Answer remove(const std::string& first, const std::string& second);

    bool empty() const { return m_table.empty(); }

private:
    std::map<std::string, std::map<std::string, std::string>> m_table;
};
