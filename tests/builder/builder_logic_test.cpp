// The builder's rules that hold without a window: extension dispatch, file names,
// tree ids and names, the display enumeration and its texts, host error messages, how a
// replayed drive is paired with its recording, which recovery copies a crash left, what
// a course check is said in, what an undo keeps of what the player drove.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>

#include <cstring>
#include <string>

#include "drive/CourseSnapshot.h"
#include "drive/DrivePlayer.h"
#include "edit/RecoveryCopies.h"
#include "host/DisplaySettings.h"
#include "host/HostErrors.h"
#include "shell/CourseWarning.h"
#include "shell/FileCommands.h"
#include "shell/FileNames.h"
#include "shell/FileTree.h"
#include "shell/MakeFieldMapping.h"

namespace {

HTREEITEM fakeItem(std::intptr_t n) {
    return reinterpret_cast<HTREEITEM>(n);
}

TEST(OpenDispatch, ExtensionsMatchExactlyInTwoSpellings) {
    EXPECT_EQ(openActionForExtension("x"), OpenAction::AddXfile);
    EXPECT_EQ(openActionForExtension("X"), OpenAction::AddXfile);
    for (const char* mesh : {"glb", "GLTF", "obj", "FBX", "dae", "ply", "STL"}) {
        EXPECT_EQ(openActionForExtension(mesh), OpenAction::AddXfile) << mesh;
    }
    EXPECT_EQ(openActionForExtension("OGG"), OpenAction::AddSound);
    EXPECT_EQ(openActionForExtension("flac"), OpenAction::AddSound);
    EXPECT_EQ(openActionForExtension("BMP"), OpenAction::AddBitmap);
    EXPECT_EQ(openActionForExtension("wav"), OpenAction::AddSound);
    EXPECT_EQ(openActionForExtension("SIM"), OpenAction::OpenBinarySession);
    EXPECT_EQ(openActionForExtension("xml"), OpenAction::OpenXmlSession);
    EXPECT_EQ(openActionForExtension("XML"), OpenAction::OpenXmlSession);
    EXPECT_EQ(openActionForExtension("replay"), OpenAction::OpenReplay);
    EXPECT_EQ(openActionForExtension("REPLAY"), OpenAction::OpenReplay);
    for (const char* other :
         {"Xml", "xMl", "Bmp", "Wav", "Sim", "Replay", "png", "", "x ", "Glb", "oBj", "Flac"}) {
        EXPECT_EQ(openActionForExtension(other), OpenAction::None) << other;
    }
    EXPECT_TRUE(isXmlExtension("XML"));
    EXPECT_FALSE(isXmlExtension("Xml"));
}

TEST(ChosenFiles, SplitIntoPathNameAndExtension) {
    const ChosenFile file = splitChosenFile("/home/me/scenes/my.scene.XML");
    EXPECT_EQ(file.path, "/home/me/scenes/my.scene.XML");
    EXPECT_EQ(file.name, "my.scene.XML");
    EXPECT_EQ(file.ext, "XML");
    EXPECT_EQ(splitChosenFile("/tmp/README").ext, "");
    EXPECT_EQ(splitChosenFile("/tmp/.hidden").ext, "hidden");
}

TEST(ChosenFiles, RecordTakesNamesThatFitAndCutsLongPaths) {
    LF_t record{};
    const std::string folder = "/" + std::string(200, 'd');
    ASSERT_TRUE(fillFileRecord(splitChosenFile(folder + "/ball.x"), &record));
    EXPECT_STREQ(record.name, "ball.x");
    EXPECT_STREQ(record.ext, "x");
    EXPECT_EQ(std::strlen(record.path), 127u);

    const std::string longest(123, 'n');
    EXPECT_TRUE(fillFileRecord(splitChosenFile("/" + longest + ".wav"), &record));
    LF_t untouched{};
    std::strcpy(untouched.name, "keep");
    EXPECT_FALSE(fillFileRecord(splitChosenFile("/" + longest + "n.wav"), &untouched));
    EXPECT_STREQ(untouched.name, "keep");
}

TEST(FileTree, IdsFollowTheLastEntryAndCoursesCountTheRoot) {
    FileTreeEntries tree;
    for (int k = 1; k <= 4; ++k) {
        tree.addRoot(static_cast<TreeKind>(k), fakeItem(k * 16));
    }
    EXPECT_EQ(tree.nextId(), 5);
    EXPECT_EQ(tree.nextCourseNumber(), 1);
    EXPECT_EQ(FileTreeEntries::courseName(tree.nextCourseNumber()), "course1");

    EXPECT_EQ(tree.add(TreeKind::Xfile, fakeItem(100), 1).id, 5);
    EXPECT_EQ(tree.add(TreeKind::Course, fakeItem(101), 1).id, 6);
    EXPECT_EQ(tree.nextCourseNumber(), 2);
    EXPECT_EQ(tree.root(TreeKind::Course), fakeItem(64));
    EXPECT_EQ(tree.findById(3)->kind, TreeKind::Sound);

    // A course item taken back frees its number and, being last, its id.
    tree.remove(fakeItem(101));
    EXPECT_EQ(tree.nextCourseNumber(), 1);
    EXPECT_EQ(tree.nextId(), 6);
    EXPECT_FALSE(tree.findById(6).has_value());

    // A deleted course before the last one: the names given stay unique.
    tree.add(TreeKind::Course, fakeItem(102), 1);
    tree.add(TreeKind::Course, fakeItem(103), 2);
    tree.remove(fakeItem(102));
    EXPECT_EQ(tree.nextCourseNumber(), 3);
}

TEST(FileDialogs, FiltersKeepTheirLabelsAndAllFilesMeansEveryFile) {
    const QStringList open = FileCommands::dialogFilters(FileCommands::kOpenFilter);
    ASSERT_EQ(open.size(), 13);
    // First every mesh format at once, then one filter each.
    EXPECT_EQ(open[0], QStringLiteral("Meshes (*.x *.glb *.gltf *.obj *.fbx *.dae *.ply *.stl) "
                                      "(*.x *.glb *.gltf *.obj *.fbx *.dae *.ply *.stl)"));
    EXPECT_EQ(open[1], QStringLiteral("Mesh (*.x) (*.x)"));
    EXPECT_EQ(open[2], QStringLiteral("glTF (*.glb *.gltf) (*.glb *.gltf)"));
    EXPECT_EQ(open[9], QStringLiteral("Sound (*.wav *.ogg *.flac) (*.wav *.ogg *.flac)"));
    EXPECT_EQ(open[12], QStringLiteral("All files (*.*) (*)"));
    const QStringList save = FileCommands::dialogFilters(FileCommands::kSaveFilter);
    ASSERT_EQ(save.size(), 1);
    EXPECT_EQ(save[0], QStringLiteral("Simulation (*.xml) (*.xml)"));
}

GLFacts hardware() {
    GLFacts gl;
    gl.renderer = "Radeon";
    gl.maxSamples = 8;
    gl.alphaBits = 8;
    return gl;
}

TEST(DisplayEnumeration, OneAdapterPerUsableScreen) {
    const DisplayEnumeration e = enumerateDisplay(
        hardware(),
        {{"DP-1", 1920, 1080, 24, 60}, {"tiny", 600, 400, 24, 75}, {"odd", 800, 600, 8, 60}});
    // The 8-bit screen has no accepted colour format.
    ASSERT_EQ(e.adapters.size(), 2u);
    EXPECT_EQ(e.adapters[0].description, "Radeon on DP-1");
    EXPECT_EQ(e.adapters[0].desktopMode.format, D3DFMT_X8R8G8B8);
    ASSERT_EQ(e.adapters[0].modes.size(), 1u);
    // Below 640 x 480 there is no full-screen mode, so only windowed combos.
    EXPECT_TRUE(e.adapters[1].modes.empty());
    for (const auto& combo : e.adapters[1].devices[0].combos) {
        EXPECT_TRUE(combo.windowed);
    }
}

TEST(DisplayEnumeration, DeviceTypeAndOffersFollowTheRenderer) {
    const DisplayEnumeration hw = enumerateDisplay(hardware(), {{"s", 1280, 1024, 24, 60}});
    const DeviceInfo& hal = hw.adapters[0].devices[0];
    EXPECT_EQ(hal.type, D3DDEVTYPE_HAL);
    // X8R8G8B8 and A8R8G8B8 back buffers, windowed and full screen.
    EXPECT_EQ(hal.combos.size(), 4u);
    const DeviceCombo& windowed = hal.combos[0];
    EXPECT_EQ(windowed.multisampleTypes, (std::vector<D3DMULTISAMPLE_TYPE>{
                                             D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES,
                                             D3DMULTISAMPLE_4_SAMPLES, D3DMULTISAMPLE_8_SAMPLES}));
    EXPECT_EQ(windowed.vertexProcessingTypes, std::vector<DWORD>{HARDWARE_VP});
    EXPECT_EQ(windowed.presentIntervals.size(), 3u);
    EXPECT_EQ(hal.combos[2].presentIntervals.size(), 6u);

    GLFacts soft;
    soft.renderer = "llvmpipe (LLVM 15.0.6, 256 bits)";
    soft.software = true;
    soft.maxSamples = 4;
    const DisplayEnumeration sw = enumerateDisplay(soft, {{"s", 1280, 1024, 16, 60}});
    const DeviceInfo& ref = sw.adapters[0].devices[0];
    EXPECT_EQ(ref.type, D3DDEVTYPE_REF);
    EXPECT_EQ(ref.combos[0].adapterFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(ref.combos[0].vertexProcessingTypes, std::vector<DWORD>{SOFTWARE_VP});
}

TEST(DisplayEnumeration, InitialSettingsAreWindowedAtIntervalOne) {
    DisplaySettings settings;
    ASSERT_TRUE(chooseInitialSettings(enumerateDisplay(hardware(), {{"s", 1280, 1024, 24, 75}}),
                                      &settings));
    EXPECT_TRUE(settings.windowed);
    EXPECT_EQ(swapIntervalOf(settings.current().presentInterval), 1);
    EXPECT_EQ(settings.fullscreenSettings.mode, (DisplayMode{1280, 1024, D3DFMT_X8R8G8B8, 75}));
    EXPECT_FALSE(chooseInitialSettings(DisplayEnumeration{}, &settings));
}

TEST(DisplayTexts, NamesAndTheirFallbacks) {
    EXPECT_EQ(deviceTypeText(D3DDEVTYPE_REF), "D3DDEVTYPE_REF");
    EXPECT_EQ(deviceTypeText(D3DDEVTYPE_NULLREF), "Unknown devType");
    EXPECT_EQ(multisampleTypeText(D3DMULTISAMPLE_NONMASKABLE), "D3DMULTISAMPLE_NONMASKABLE");
    EXPECT_EQ(multisampleTypeText(D3DMULTISAMPLE_16_SAMPLES), "D3DMULTISAMPLE_16_SAMPLES");
    EXPECT_EQ(multisampleTypeText(static_cast<D3DMULTISAMPLE_TYPE>(17)),
              "Unknown Multisample Type");
    EXPECT_EQ(vertexProcessingText(PURE_HARDWARE_VP), "PURE_HARDWARE_VP");
    EXPECT_EQ(vertexProcessingText(9), "Unknown VertexProcessingType");
    EXPECT_EQ(presentIntervalText(D3DPRESENT_INTERVAL_IMMEDIATE), "D3DPRESENT_INTERVAL_IMMEDIATE");
    EXPECT_EQ(presentIntervalText(3), "Unknown PresentInterval");
    EXPECT_EQ(swapIntervalOf(D3DPRESENT_INTERVAL_IMMEDIATE), 0);
    EXPECT_EQ(swapIntervalOf(D3DPRESENT_INTERVAL_FOUR), 4);
    EXPECT_EQ(displayFormatText(D3DFMT_D24S8), "D3DFMT_D24S8");
    EXPECT_EQ(displayFormatText(static_cast<D3DFORMAT>(12345)), "D3DFMT_UNKNOWN");
    EXPECT_EQ(resolutionText(1024, 768), "1024 by 768");
    EXPECT_EQ(refreshRateText(0), "Default Rate");
    EXPECT_EQ(refreshRateText(60), "60 Hz");
}

TEST(HostErrors, SuffixesByKindAndUnknownCodes) {
    EXPECT_EQ(hostErrorMessage(host_error::kResetFailed, HostErrorKind::Fatal),
              "Could not reset the Direct3D device.\n\nThis sample will now exit.");
    EXPECT_EQ(hostErrorText(host_error::kFileNotFound), hostErrorText(host_error::kMediaNotFound));
    EXPECT_EQ(hostErrorText(static_cast<HRESULT>(0x80004005u)),
              "Generic application error. Enable\ndebug output for detailed information.");
    const std::string switched =
        hostErrorMessage(host_error::kHalNotCompatible, HostErrorKind::SwitchedToReference);
    EXPECT_NE(switched.find("\n\nSwitching to the reference rasterizer,\n"), std::string::npos);
    EXPECT_EQ(hostErrorIcon(HostErrorKind::Warning), MB_ICONWARNING);
    EXPECT_EQ(hostErrorIcon(HostErrorKind::Fatal), MB_ICONERROR);
}

} // namespace

namespace {

ReplayEndPose endAt(const char* name, float x) {
    ReplayEndPose pose{name, {}};
    pose.world[12] = x;
    return pose;
}

} // namespace

TEST(DriveComparison, MeshesArePairedByNameInOrderSoOthersComingOrGoingLeaveThemPaired) {
    const std::vector<ReplayEndPose> recorded = {endAt("ball.x", 1), endAt("car.x", 2),
                                                 endAt("ball.x", 3), endAt("cone.x", 4)};
    // The first ball deleted, a box placed, the second ball moved by 3.
    const std::vector<ReplayEndPose> now = {endAt("car.x", 2), endAt("ball.x", 6),
                                            endAt("cone.x", 4), endAt("box.x", 0)};
    const std::vector<MeshEnd> ends = compareEnds(recorded, now);
    ASSERT_EQ(ends.size(), 5u);
    EXPECT_EQ(ends[0].recordedIndex, 1);
    EXPECT_TRUE(ends[0].same);
    // The n-th ball now pairs with the n-th recorded one, not with the nearest.
    EXPECT_EQ(ends[1].recordedIndex, 0);
    EXPECT_DOUBLE_EQ(ends[1].distance, 5.0);
    EXPECT_FALSE(ends[1].same);
    EXPECT_EQ(ends[2].recordedIndex, 3);
    EXPECT_EQ(ends[3].recordedIndex, -1); // the box is not in the recording
    EXPECT_EQ(ends[4].index, -1);         // the second recorded ball is no longer placed
    EXPECT_EQ(ends[4].recordedIndex, 2);

    DriveComparison comparison;
    comparison.ends = ends;
    EXPECT_DOUBLE_EQ(comparison.farthestEnd(), 5.0);
    EXPECT_FALSE(comparison.identical());
}

TEST(DriveComparison, TheDrivenMeshIsFoundAsTheNthOfItsName) {
    Replay replay;
    replay.endPoses = {endAt("car.x", 0), endAt("ball.x", 0), endAt("car.x", 0)};
    replay.controlled = 2; // the second car
    EXPECT_EQ(pairedDrivenMesh(replay, {"ball.x", "car.x", "box.x", "car.x"}), 3);
    EXPECT_EQ(pairedDrivenMesh(replay, {"car.x", "ball.x"}), -1);
    replay.controlled = 0;
    EXPECT_EQ(pairedDrivenMesh(replay, {"ball.x", "car.x"}), 1);
}

SessionXfile ballAt(float x, float radius = 1) {
    SessionXfile mesh{};
    std::strcpy(mesh.name, "ball.x");
    mesh.x = x;
    mesh.radius = radius;
    return mesh;
}

CourseSnapshot courseOf(const std::vector<SessionXfile>& meshes) {
    CourseSnapshot course;
    course.item = course.record.item = fakeItem(7);
    course.record.meshes.assign(meshes.begin(), meshes.end());
    course.extras.meshes.resize(meshes.size());
    return course;
}

// The course after the player drove every mesh 5 on and turned it a quarter.
CourseSnapshot played(CourseSnapshot course) {
    for (SessionXfile& mesh : course.record.meshes) {
        mesh.x += 5;
        mesh.yaw += 0.25F;
    }
    return course;
}

std::vector<float> field(const CourseSnapshot& course, float SessionXfile::*member) {
    std::vector<float> values;
    for (const SessionXfile& mesh : course.record.meshes) {
        values.push_back(mesh.*member);
    }
    return values;
}

std::vector<float> xs(const CourseSnapshot& course) {
    return field(course, &SessionXfile::x);
}

// Undo after Play, then redo after Play again: what the edit changed goes back and
// forth, what it left alone stays where the player drove it.
TEST(UndoAfterPlay, PutsBackWhatTheEditChangedAndKeepsWhatPlayMoved) {
    struct Case {
        const char* edit;
        std::vector<SessionXfile> before, after;
        std::vector<float> undoneX, redoneX;
    };
    const std::vector<Case> cases = {
        {"drag the second",
         {ballAt(1), ballAt(2), ballAt(3)},
         {ballAt(1), ballAt(10), ballAt(3)},
         {6, 2, 8},
         {11, 10, 13}},
        {"place one",
         {ballAt(1), ballAt(2)},
         {ballAt(1), ballAt(2), ballAt(4)},
         {6, 7},
         {11, 12, 4}},
        // Three alike: the one deleted is told from the others by its place.
        {"delete the middle",
         {ballAt(1), ballAt(2), ballAt(3)},
         {ballAt(1), ballAt(3)},
         {6, 2, 8},
         {11, 13}},
        {"adjust the second",
         {ballAt(1), ballAt(2), ballAt(3)},
         {ballAt(1), ballAt(2, 4), ballAt(3)},
         {6, 7, 8},
         {11, 12, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edit);
        const CourseSnapshot before = courseOf(c.before);
        const CourseSnapshot after = courseOf(c.after);
        const CourseSnapshot undone = keepPlayedPlaces(before, after, played(after));
        EXPECT_EQ(xs(undone), c.undoneX);
        const CourseSnapshot redone = keepPlayedPlaces(after, before, played(undone));
        EXPECT_EQ(xs(redone), c.redoneX);
        EXPECT_EQ(redone.record.meshes.front().yaw, 0.5F); // turned in both Plays
        // What else the edit changed is as it was before and after it.
        EXPECT_EQ(field(undone, &SessionXfile::radius), field(before, &SessionXfile::radius));
        EXPECT_EQ(field(redone, &SessionXfile::radius), field(after, &SessionXfile::radius));
    }
    // A course laid out otherwise than the edit left it is put back as it was.
    const CourseSnapshot before = courseOf({ballAt(1)});
    const CourseSnapshot after = courseOf({ballAt(1), ballAt(2)});
    EXPECT_EQ(xs(keepPlayedPlaces(before, after, played(before))), std::vector<float>{1});
}

// What a crash leaves: the folder of a live builder, without the builder.
QString leaveLikeACrash(const QString& root) {
    const QStringList before = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const QString aside = root + QStringLiteral("-aside");
    QString folder;
    {
        RecoveryCopies live(root);
        CourseSnapshot course;
        QString error;
        EXPECT_TRUE(
            live.write({{QStringLiteral("course1"), QStringLiteral("/s/a\tb\n/c.xml"), course}},
                       {{QStringLiteral("/m/car.x"), QStringLiteral("/m/\"tab\"\t.wav")},
                        {QStringLiteral("/m"), root + QStringLiteral("/old")}},
                       &error))
            << error.toStdString();
        for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (!before.contains(name)) {
                folder = name;
            }
        }
        // The copy keeps its lock file, naming this very process: the next builder may
        // well get the same process id.
        EXPECT_TRUE(QDir().rename(root + QLatin1Char('/') + folder, aside));
    }
    EXPECT_TRUE(QDir().rename(aside, root + QLatin1Char('/') + folder));
    return root + QLatin1Char('/') + folder;
}

TEST(RecoveryCopies, ACrashedBuildersCopiesAreOfferedWholeEvenWithItsProcessId) {
    QTemporaryDir home;
    const QString root = home.path() + QStringLiteral("/recovery");
    const QString crashed = leaveLikeACrash(root);
    const RecoveryCopies running(root); // a builder of today, never offered

    const std::vector<RecoveryCopies::LeftBehind> left = RecoveryCopies::leftBehind(root);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].folder, crashed);
    ASSERT_EQ(left[0].courses.size(), 1u);
    EXPECT_EQ(left[0].courses[0].scene, crashed + QStringLiteral("/1.xml"));
    EXPECT_EQ(left[0].courses[0].file, QStringLiteral("/s/a\tb\n/c.xml"));
    EXPECT_EQ(left[0].context.libraryFiles,
              QStringList({QStringLiteral("/m/car.x"), QStringLiteral("/m/\"tab\"\t.wav")}));
    // Folders inside the copies themselves go with them: only /m is kept.
    EXPECT_EQ(left[0].context.assetFolders, QStringList({QStringLiteral("/m")}));
    // Offered to one builder at a time.
    EXPECT_TRUE(RecoveryCopies::leftBehind(root).empty());

    RecoveryCopies::discard(left[0]);
    EXPECT_FALSE(QFileInfo::exists(crashed));
}

TEST(RecoveryCopies, AFolderThatCannotBeMadeIsNamedWithItsReason) {
    QTemporaryDir home;
    QFile file(home.path() + QStringLiteral("/recovery"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    RecoveryCopies copies(file.fileName());
    EXPECT_TRUE(copies.problem().contains(QStringLiteral("not a folder")))
        << copies.problem().toStdString();
    QString error;
    EXPECT_FALSE(copies.write({}, {}, &error));
    EXPECT_EQ(error, copies.problem());
    QString problem;
    EXPECT_TRUE(RecoveryCopies::leftBehind(file.fileName(), &problem).empty());
    EXPECT_TRUE(problem.contains(QStringLiteral("not a folder"))) << problem.toStdString();
}

TEST(CourseCheckHeadline, TheWorstFindingInAFewWords) {
    const auto check = [](auto change) {
        TwxCourseCheck c{};
        change(c);
        return courseCheckHeadline(c).toStdString();
    };
    EXPECT_EQ(check([](TwxCourseCheck&) {}), "");
    EXPECT_EQ(check([](TwxCourseCheck& c) {
                  c.foldedTriangles = 18;
                  c.tightBends = 4;
                  c.edgeCrossings = 2;
              }),
              "the strips fold at 4 bends");
    EXPECT_EQ(check([](TwxCourseCheck& c) {
                  c.centrelineCrossings = 1;
                  c.foldedTriangles = 30;
                  c.tightBends = 2;
              }),
              "the course crosses itself once");
    EXPECT_EQ(check([](TwxCourseCheck& c) { c.foldedTriangles = 1; }),
              "1 strip triangle folded over");
    EXPECT_EQ(check([](TwxCourseCheck& c) {
                  c.edgeCrossings = 2;
                  c.fieldOverRoad = 3.5f;
              }),
              "the road's edges cross 2 times");
    EXPECT_EQ(check([](TwxCourseCheck& c) {
                  c.fieldOverRoad = 0.5f;
                  c.probeMisses = 3;
              }),
              "the field lies over the road");
    EXPECT_EQ(check([](TwxCourseCheck& c) { c.tightBends = 1; }), "1 bend too tight");
    EXPECT_EQ(check([](TwxCourseCheck& c) { c.probeMisses = 2; }), "balls land off the road");
}

// A ground place maps to the view pixel its click would be at; points on one line give
// no map.
TEST(MakeFieldMappings, FoundFromTheLaidPointsAndNoneFromALine) {
    const auto pixelOf = [](QPointF ground) {
        return QPointF(320 + 2 * ground.x() - 0.5 * ground.y(), 240 - 3 * ground.y());
    };
    std::vector<MakeFieldMapping::Pair> pairs;
    for (const QPointF ground : {QPointF(0, 0), QPointF(10, 0), QPointF(0, 10), QPointF(7, -4)}) {
        pairs.push_back({pixelOf(ground), ground});
    }
    const auto mapping = MakeFieldMapping::fromPoints(pairs);
    ASSERT_TRUE(mapping.has_value());
    const QPointF mapped = mapping->pixelOfLaid(5, 6);
    EXPECT_NEAR(mapped.x(), pixelOf({5, 6}).x(), 1e-3);
    EXPECT_NEAR(mapped.y(), pixelOf({5, 6}).y(), 1e-3);

    pairs.resize(2);
    EXPECT_FALSE(MakeFieldMapping::fromPoints(pairs).has_value());
    pairs.push_back({pixelOf({20, 0}), QPointF(20, 0)}); // on the line of the first two
    EXPECT_FALSE(MakeFieldMapping::fromPoints(pairs).has_value());
}
