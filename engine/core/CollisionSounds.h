#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "simulation/Simulation.h"
#include "tumbleway/NameField.h"

class SoundRelationService;

// The collision sounds of one frame's contacts. A sound has one buffer, and starting it
// while it plays starts it over, so the thousand contacts of a crowded frame that all
// ask for one sound are heard as the last of them: the sound from its beginning. Each
// pair of mesh names is looked up once a frame, and each sound asked for is started
// once, by play(), after the frame's last contact.
class CollisionSounds final : public ContactListener {
public:
    explicit CollisionSounds(SoundRelationService& sounds) : m_sounds(sounds) {}

    void contact(const XfilePlacement& first, const XfilePlacement& second) override;
    // Starts every sound the contacts so far asked for, each once, in the order first
    // asked, and forgets them.
    void play();

private:
    // A course places few different meshes; past this many pairs of names the rest are
    // looked up at each contact.
    static constexpr std::size_t kRemembered = 64;

    struct Answer {
        NameFieldKey first; // the names, within the placements, which outlive the frame
        NameFieldKey second;
        std::string wav;
        bool asked = false; // already among m_asked
    };

    void ask(const std::string& wav);

    SoundRelationService& m_sounds;
    std::vector<Answer> m_answers;
    std::vector<std::string> m_asked;
};
