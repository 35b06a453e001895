// The current course flattened into the record the host saves.
#include "core/SessionWriter.h"

#include "scene/Placements.h"
#include "tumbleway/NameField.h"

void fillSessionOf(const LCourse_t& course, LSession_t& session) {
    session.dottedPoints.insert(session.dottedPoints.end(), course.dottedPoints.begin(),
                                course.dottedPoints.end());
    session.calculatedPoints.insert(session.calculatedPoints.end(), course.calculatedPoints.begin(),
                                    course.calculatedPoints.end());
    for (const auto& placement : course.bitmapPlacements) {
        SessionBitmap bitmap{};
        bitmap.id = placement.id;
        setNameField(bitmap.name, nameFieldText(placement.name));
        bitmap.x = placement.x;
        bitmap.y = placement.y;
        bitmap.z = placement.z;
        session.bitmaps.push_back(bitmap);
    }
    for (const auto& placement : course.xfilePlacements) {
        SessionXfile mesh{};
        mesh.id = placement.id();
        mesh.flag = placement.flag;
        // The body holds the live pose.
        const CSceneObject& body = course.xfilePlacements.body(placement);
        mesh.x = body.stepPosition.x;
        mesh.y = body.stepPosition.y;
        mesh.z = body.stepPosition.z;
        mesh.yaw = body.yawOffset;
        mesh.radius = placement.radius;
        setNameField(mesh.name, nameFieldText(placement.name));
        session.meshes.push_back(mesh);
    }
    for (const auto& entry : course.sounds) {
        SessionSound sound{};
        sound.id = entry.id;
        sound.carried[0] = entry.carried[0];
        sound.carried[1] = entry.carried[1];
        sound.flag = entry.flag;
        setNameField(sound.name, nameFieldText(entry.name));
        sound.item = entry.item;
        session.sounds.push_back(sound);
    }
    session.relations.insert(session.relations.end(), course.relations.begin(),
                             course.relations.end());
}

void emptySession(LSession_t& session) {
    session.meshes.clear();
    session.bitmaps.clear();
    session.sounds.clear();
    session.relations.clear();
    session.calculatedPoints.clear();
    session.dottedPoints.clear();
}
