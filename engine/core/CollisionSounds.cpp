#include "core/CollisionSounds.h"

#include <algorithm>

#include "core/SoundRelationService.h"
#include "scene/Placements.h"
#include "scene/RelationTable.h"
#include "tumbleway/NameField.h"

void CollisionSounds::contact(const XfilePlacement& first, const XfilePlacement& second) {
    const auto known = std::find_if(m_answers.begin(), m_answers.end(), [&](const Answer& answer) {
        return answer.first.matches(first.name) && answer.second.matches(second.name);
    });
    if (known != m_answers.end()) {
        if (!known->asked) {
            ask(known->wav);
            known->asked = true;
        }
        return;
    }
    const std::string_view a = nameFieldText(first.name);
    const std::string_view b = nameFieldText(second.name);
    std::string wav = m_sounds.collisionSound(a, b);
    ask(wav);
    if (m_answers.size() < kRemembered) {
        m_answers.push_back({NameFieldKey(a), NameFieldKey(b), std::move(wav), true});
    }
}

void CollisionSounds::ask(const std::string& wav) {
    if (wav != RelationTable::kNoData &&
        std::find(m_asked.begin(), m_asked.end(), wav) == m_asked.end()) {
        m_asked.push_back(wav);
    }
}

void CollisionSounds::play() {
    for (const std::string& wav : m_asked) {
        m_sounds.playCollisionSound(wav);
    }
    m_asked.clear();
    for (Answer& answer : m_answers) {
        answer.asked = false;
    }
}
