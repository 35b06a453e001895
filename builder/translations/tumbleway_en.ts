<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Tumble Way</source>
        <translation>About Tumble Way</translation>
    </message>
    <message>
        <source>Tumbleway Builder Version 0.9.6</source>
        <translation>Tumbleway Builder Version 0.9.6</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AppForm</name>
    <message>
        <source>import</source>
        <translation>import</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>delete</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>assign</source>
        <translation>assign</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>X-file1</source>
        <translation>X-file1</translation>
    </message>
    <message>
        <source>X-file2</source>
        <translation>X-file2</translation>
    </message>
    <message>
        <source>release</source>
        <translation>release</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>create</source>
        <translation>create</translation>
    </message>
    <message>
        <source>scan</source>
        <translation>scan</translation>
    </message>
    <message>
        <source>clear</source>
        <translation>clear</translation>
    </message>
    <message>
        <source>place %1</source>
        <translation>place %1</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>MakeField</source>
        <translation>MakeField</translation>
    </message>
    <message>
        <source>ViewParts</source>
        <translation>ViewParts</translation>
    </message>
    <message>
        <source>lay a point</source>
        <translation>lay a point</translation>
    </message>
    <message>
        <source>move %1</source>
        <translation>move %1</translation>
    </message>
    <message>
        <source>change a point</source>
        <translation>change a point</translation>
    </message>
    <message>
        <source>change a laid point</source>
        <translation>change a laid point</translation>
    </message>
    <message>
        <source>adjust %1</source>
        <translation>adjust %1</translation>
    </message>
    <message>
        <source>assign %1</source>
        <translation>assign %1</translation>
    </message>
    <message>
        <source>release %1</source>
        <translation>release %1</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>stop</translation>
    </message>
    <message>
        <source>Not opened: %1.</source>
        <translation>Not opened: %1.</translation>
    </message>
    <message>
        <source>Not saved: a scene is saved under a name ending in .xml (%1).</source>
        <translation>Not saved: a scene is saved under a name ending in .xml (%1).</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>open %1</translation>
    </message>
    <message>
        <source>Opened %1.</source>
        <translation>Opened %1.</translation>
    </message>
    <message>
        <source>Not opened: %1 could not be read.</source>
        <translation>Not opened: %1 could not be read.</translation>
    </message>
    <message>
        <source>Opened %1 as %2.</source>
        <translation>Opened %1 as %2.</translation>
    </message>
    <message>
        <source>Nothing saved: choose a course in the tree, or create one, first.</source>
        <translation>Nothing saved: choose a course in the tree, or create one, first.</translation>
    </message>
    <message>
        <source>Saved %1.</source>
        <translation>Saved %1.</translation>
    </message>
    <message>
        <source>Not saved: %1: %2</source>
        <translation>Not saved: %1: %2</translation>
    </message>
    <message>
        <source>No course created: click at least three points in the MakeField view first.</source>
        <translation>No course created: click at least three points in the MakeField view first.</translation>
    </message>
    <message>
        <source>No course created: a course needs at least three points; %1 laid.</source>
        <translation>No course created: a course needs at least three points; %1 laid.</translation>
    </message>
    <message>
        <source>No course created: click a new point in MakeField first (create takes the points laid since the last clear).</source>
        <translation>No course created: click a new point in MakeField first (create takes the points laid since the last clear).</translation>
    </message>
    <message>
        <source>%1 answers the arrow keys in Play.</source>
        <translation>%1 answers the arrow keys in Play.</translation>
    </message>
    <message>
        <source>create %1</source>
        <translation>create %1</translation>
    </message>
    <message>
        <source>%1: a copy of %2&apos;s points</source>
        <translation>%1: a copy of %2&apos;s points</translation>
    </message>
    <message>
        <source>%1 created from %2 points.</source>
        <translation>%1 created from %2 points.</translation>
    </message>
    <message>
        <source>Cleared: lay new points in MakeField, or choose a course.</source>
        <translation>Cleared: lay new points in MakeField, or choose a course.</translation>
    </message>
    <message>
        <source>delete %1</source>
        <translation>delete %1</translation>
    </message>
    <message>
        <source>Deleted %1 from %2.</source>
        <translation>Deleted %1 from %2.</translation>
    </message>
    <message>
        <source>Delete %1 and everything placed on it?</source>
        <translation>Delete %1 and everything placed on it?</translation>
    </message>
    <message>
        <source>Deleted %1.</source>
        <translation>Deleted %1.</translation>
    </message>
    <message>
        <source>Change height/orientation</source>
        <translation>Change height/orientation</translation>
    </message>
    <message>
        <source>Change height/incline</source>
        <translation>Change height/incline</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>Incline</source>
        <translation>Incline</translation>
    </message>
    <message>
        <source>Height and orientation</source>
        <translation>Height and orientation</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Orientation</translation>
    </message>
    <message>
        <source>Choose a course in the tree, open a scene, or lay a course in MakeField.</source>
        <translation>Choose a course in the tree, open a scene, or lay a course in MakeField.</translation>
    </message>
    <message>
        <source>Click points round the course to be, then press create.</source>
        <translation>Click points round the course to be, then press create.</translation>
    </message>
    <message>
        <source>Choose a mesh under X-file or a bitmap under BMP in the tree to look at it here.</source>
        <translation>Choose a mesh under X-file or a bitmap under BMP in the tree to look at it here.</translation>
    </message>
    <message>
        <source>Not assigned: %1</source>
        <translation>Not assigned: %1</translation>
    </message>
    <message>
        <source>Not released: %1</source>
        <translation>Not released: %1</translation>
    </message>
    <message>
        <source>choose a course first; a sound belongs to objects placed on it.</source>
        <translation>choose a course first; a sound belongs to objects placed on it.</translation>
    </message>
    <message>
        <source>choose a mesh for X-file1, a second one for X-file2 (or none: the sound then plays while X-file1 moves) and a sound, and check all three boxes.</source>
        <translation>choose a mesh for X-file1, a second one for X-file2 (or none: the sound then plays while X-file1 moves) and a sound, and check all three boxes.</translation>
    </message>
    <message>
        <source>%1 when %2 hits %3</source>
        <translation>%1 when %2 hits %3</translation>
    </message>
    <message>
        <source>%1 while %2 moves</source>
        <translation>%1 while %2 moves</translation>
    </message>
    <message>
        <source>Assigned: %1.</source>
        <translation>Assigned: %1.</translation>
    </message>
    <message>
        <source>Released: %1.</source>
        <translation>Released: %1.</translation>
    </message>
    <message>
        <source>Not assigned: %1 is assigned already, or its meshes are not placed on this course.</source>
        <translation>Not assigned: %1 is assigned already, or its meshes are not placed on this course.</translation>
    </message>
    <message>
        <source>Not released: %1 was not assigned on this course.</source>
        <translation>Not released: %1 was not assigned on this course.</translation>
    </message>
    <message>
        <source>Placed %1 on %2.</source>
        <translation>Placed %1 on %2.</translation>
    </message>
    <message>
        <source>Not placed: choose a course first.</source>
        <translation>Not placed: choose a course first.</translation>
    </message>
    <message>
        <source>Not placed: choose a mesh or a bitmap in the library first.</source>
        <translation>Not placed: choose a mesh or a bitmap in the library first.</translation>
    </message>
    <message>
        <source>Not placed: %1 could not be read.</source>
        <translation>Not placed: %1 could not be read.</translation>
    </message>
    <message>
        <source>The file name is too long: at most 127 characters can be opened.
%1</source>
        <translation>The file name is too long: at most 127 characters can be opened.
%1</translation>
    </message>
    <message numerus="yes">
        <source>%n placed bitmap(s)</source>
        <translation>
            <numerusform>%n placed bitmap</numerusform>
            <numerusform>%n placed bitmaps</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the height and heading of %n mesh(es)</source>
        <translation>
            <numerusform>the height and heading of %n mesh</numerusform>
            <numerusform>the height and heading of %n meshes</numerusform>
        </translation>
    </message>
    <message>
        <source> Not kept in this format: %1; save under a new name (.xml) to keep them.</source>
        <translation> Not kept in this format: %1; save under a new name (.xml) to keep them.</translation>
    </message>
    <message>
        <source> and </source>
        <translation> and </translation>
    </message>
    <message>
        <source>The scene could not be saved.
%1: %2</source>
        <translation>The scene could not be saved.
%1: %2</translation>
    </message>
    <message>
        <source>X-file</source>
        <translation>X-file</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>Course</source>
        <translation>Course</translation>
    </message>
    <message>
        <source>Tumbleway Builder</source>
        <translation>Tumbleway Builder</translation>
    </message>
    <message numerus="yes">
        <source>The scene names %n file(s) that are not found beside it or in the folders files were opened from:</source>
        <translation>
            <numerusform>The scene names %n file that is not found beside it or in the folders files were opened from:</numerusform>
            <numerusform>The scene names %n files that are not found beside it or in the folders files were opened from:</numerusform>
        </translation>
    </message>
    <message>
        <source>

Without them, what they are stays in the scene, shown as missing, and is saved with it.</source>
        <translation>

Without them, they stay in the scene, shown as missing, and are saved with it.</translation>
    </message>
    <message>
        <source>Look in a folder...</source>
        <translation>Look in a folder...</translation>
    </message>
    <message>
        <source>Open without them</source>
        <translation>Open without them</translation>
    </message>
    <message>
        <source>The folder that holds the missing files</source>
        <translation>The folder that holds the missing files</translation>
    </message>
    <message>
        <source>Opened %1 in part as %2: the file is damaged, and only what could be read of it is in the course.</source>
        <translation>Opened %1 in part as %2: the file is damaged, and only what could be read of it is in the course.</translation>
    </message>
    <message>
        <source>Opened %1 as %2 without %3, which were not found: they stay in the scene and are saved with it.</source>
        <translation>Opened %1 as %2 without %3, which were not found: they stay in the scene and are saved with it.</translation>
    </message>
    <message>
        <source>The scene uses files that are not in its folder (%1): %2.
Copy them beside it, so that it finds them when it is opened again?</source>
        <translation>The scene uses files that are not in its folder (%1): %2.
Copy them beside it, so that it finds them when it is opened again?</translation>
    </message>
    <message>
        <source> Copied beside it: %1.</source>
        <translation> Copied beside it: %1.</translation>
    </message>
    <message>
        <source> Could not copy: %1; it will not find them when it is opened again.</source>
        <translation> Could not copy: %1; it will not find them when it is opened again.</translation>
    </message>
    <message>
        <source> Not in its folder, so not found when it is opened again: %1.</source>
        <translation> Not in its folder, so not found when it is opened again: %1.</translation>
    </message>
    <message>
        <source> Still missing, kept in the scene: %1.</source>
        <translation> Still missing, kept in the scene: %1.</translation>
    </message>
    <message>
        <source>%1: %2; see Course check</source>
        <translation>%1: %2; see Course check</translation>
    </message>
    <message>
        <source>Not opened: %1 is not a mesh (.x, .glb, .gltf, .obj, .fbx, .dae, .ply, .stl), bitmap (.bmp), sound (.wav, .ogg, .flac), scene (.xml, .sim) or recorded drive (.replay).</source>
        <translation>Not opened: %1 is not a mesh (.x, .glb, .gltf, .obj, .fbx, .dae, .ply, .stl), bitmap (.bmp), sound (.wav, .ogg, .flac), scene (.xml, .sim) or recorded drive (.replay).</translation>
    </message>
    <message>
        <source>Nothing exported: choose a course in the tree, or create one, first.</source>
        <translation>Nothing exported: choose a course in the tree, or create one, first.</translation>
    </message>
    <message>
        <source>The course could not be exported.
%1: %2</source>
        <translation>The course could not be exported.
%1: %2</translation>
    </message>
    <message>
        <source>Not exported: %1: %2</source>
        <translation>Not exported: %1: %2</translation>
    </message>
    <message>
        <source>Exported the course to %1.</source>
        <translation>Exported the course to %1.</translation>
    </message>
    <message>
        <source>Raised %1 by %2 and turned it to %3 degrees.</source>
        <translation>Raised %1 by %2 and turned it to %3 degrees.</translation>
    </message>
    <message>
        <source>Nothing of %1 could be read: %2 is an empty course.</source>
        <translation>Nothing of %1 could be read: %2 is an empty course.</translation>
    </message>
</context>
<context>
    <name>CourseCheckDialog</name>
    <message>
        <source>strip triangles folded over</source>
        <translation>strip triangles folded over</translation>
    </message>
    <message>
        <source>field over the road</source>
        <translation>field over the road</translation>
    </message>
    <message>
        <source>the course crosses itself</source>
        <translation>the course crosses itself</translation>
    </message>
    <message>
        <source>the road&apos;s edges cross</source>
        <translation>the road&apos;s edges cross</translation>
    </message>
    <message>
        <source>a bend tighter than the strips on its inside reach</source>
        <translation>a bend tighter than the strips on its inside reach</translation>
    </message>
    <message>
        <source>balls dropped on the road land off it</source>
        <translation>balls dropped on the road land off it</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>Course check: %1</source>
        <translation>Course check: %1</translation>
    </message>
    <message>
        <source>#</source>
        <translation>#</translation>
    </message>
    <message>
        <source>What</source>
        <translation>What</translation>
    </message>
    <message>
        <source>Where in MakeField (pixels)</source>
        <translation>Where in MakeField (pixels)</translation>
    </message>
    <message>
        <source>How much</source>
        <translation>How much</translation>
    </message>
    <message>
        <source>not known</source>
        <translation>not known</translation>
    </message>
    <message>
        <source>Nothing: the course is sound.</source>
        <translation>Nothing: the course is sound.</translation>
    </message>
</context>
<context>
    <name>CourseChildren</name>
    <message>
        <source>%1: %2 moves</source>
        <translation>%1: %2 moves</translation>
    </message>
    <message>
        <source>%1: %2 hits %3</source>
        <translation>%1: %2 hits %3</translation>
    </message>
    <message>
        <source>%1 (missing)</source>
        <translation>%1 (missing)</translation>
    </message>
    <message>
        <source>Its file was not found when the scene was opened. It stays in the scene and is saved with it.</source>
        <translation>Its file was not found when the scene was opened. It stays in the scene and is saved with it.</translation>
    </message>
</context>
<context>
    <name>CourseWarning</name>
    <message numerus="yes">
        <source>%n strip triangle(s) folded over</source>
        <translation>
            <numerusform>%n strip triangle folded over</numerusform>
            <numerusform>%n strip triangles folded over</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 square units of field over the road</source>
        <translation>%1 square units of field over the road</translation>
    </message>
    <message numerus="yes">
        <source>the course crosses itself %n time(s)</source>
        <translation>
            <numerusform>the course crosses itself once</numerusform>
            <numerusform>the course crosses itself %n times</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the road&apos;s edges cross %n time(s)</source>
        <translation>
            <numerusform>the road&apos;s edges cross once</numerusform>
            <numerusform>the road&apos;s edges cross %n times</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n bend(s) tighter than the strips on their inside reach</source>
        <translation>
            <numerusform>%n bend tighter than the strips on their inside reach</numerusform>
            <numerusform>%n bends tighter than the strips on their inside reach</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 balls dropped on the road land(s) off it</source>
        <translation>
            <numerusform>%n of %1 balls dropped on the road lands off it</numerusform>
            <numerusform>%n of %1 balls dropped on the road land off it</numerusform>
        </translation>
    </message>
    <message>
        <source>Course check: %1 (tumbleway-run --check shows where).</source>
        <translation>Course check: %1 (tumbleway-run --check shows where).</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
    <message>
        <source>the course crosses itself once</source>
        <translation>the course crosses itself once</translation>
    </message>
    <message>
        <source>the course crosses itself %1 times</source>
        <translation>the course crosses itself %1 times</translation>
    </message>
    <message>
        <source>the strips fold at 1 bend</source>
        <translation>the strips fold at 1 bend</translation>
    </message>
    <message>
        <source>the strips fold at %1 bends</source>
        <translation>the strips fold at %1 bends</translation>
    </message>
    <message>
        <source>1 strip triangle folded over</source>
        <translation>1 strip triangle folded over</translation>
    </message>
    <message>
        <source>%1 strip triangles folded over</source>
        <translation>%1 strip triangles folded over</translation>
    </message>
    <message>
        <source>the road&apos;s edges cross once</source>
        <translation>the road&apos;s edges cross once</translation>
    </message>
    <message>
        <source>the road&apos;s edges cross %1 times</source>
        <translation>the road&apos;s edges cross %1 times</translation>
    </message>
    <message>
        <source>the field lies over the road</source>
        <translation>the field lies over the road</translation>
    </message>
    <message>
        <source>1 bend too tight</source>
        <translation>1 bend too tight</translation>
    </message>
    <message>
        <source>%1 bends too tight</source>
        <translation>%1 bends too tight</translation>
    </message>
    <message>
        <source>balls land off the road</source>
        <translation>balls land off the road</translation>
    </message>
</context>
<context>
    <name>DisplaySettingsDialog</name>
    <message>
        <source>(not used)</source>
        <translation>(not used)</translation>
    </message>
    <message>
        <source>Direct3D Settings</source>
        <translation>Direct3D Settings</translation>
    </message>
    <message>
        <source>&amp;Windowed</source>
        <translation>&amp;Windowed</translation>
    </message>
    <message>
        <source>&amp;Fullscreen</source>
        <translation>&amp;Fullscreen</translation>
    </message>
    <message>
        <source>Display &amp;Adapter:</source>
        <translation>Display &amp;Adapter:</translation>
    </message>
    <message>
        <source>Render &amp;Device:</source>
        <translation>Render &amp;Device:</translation>
    </message>
    <message>
        <source>Adapter F&amp;ormat:</source>
        <translation>Adapter F&amp;ormat:</translation>
    </message>
    <message>
        <source>&amp;Resolution:</source>
        <translation>&amp;Resolution:</translation>
    </message>
    <message>
        <source>R&amp;efresh Rate:</source>
        <translation>R&amp;efresh Rate:</translation>
    </message>
    <message>
        <source>&amp;Back Buffer Format:</source>
        <translation>&amp;Back Buffer Format:</translation>
    </message>
    <message>
        <source>De&amp;pth/Stencil Buffer Format:</source>
        <translation>De&amp;pth/Stencil Buffer Format:</translation>
    </message>
    <message>
        <source>&amp;Multisample Type:</source>
        <translation>&amp;Multisample Type:</translation>
    </message>
    <message>
        <source>Multisample &amp;Quality:</source>
        <translation>Multisample &amp;Quality:</translation>
    </message>
    <message>
        <source>&amp;Vertex Processing:</source>
        <translation>&amp;Vertex Processing:</translation>
    </message>
    <message>
        <source>Present &amp;Interval:</source>
        <translation>Present &amp;Interval:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>Simulation (*.xml)|*.xml|</source>
        <translation>Simulation (*.xml)|*.xml|</translation>
    </message>
    <message>
        <source>Meshes (*.x *.glb *.gltf *.obj *.fbx *.dae *.ply *.stl)|*.x;*.glb;*.gltf;*.obj;*.fbx;*.dae;*.ply;*.stl|Mesh (*.x)|*.x|glTF (*.glb *.gltf)|*.glb;*.gltf|OBJ (*.obj)|*.obj|FBX (*.fbx)|*.fbx|Collada (*.dae)|*.dae|PLY (*.ply)|*.ply|STL (*.stl)|*.stl|Bitmap (*.bmp)|*.bmp|Sound (*.wav *.ogg *.flac)|*.wav;*.ogg;*.flac|Simulation (*.xml)|*.xml|SIM file (*.sim)|*.sim|All files (*.*)|*.*||</source>
        <translation>Meshes (*.x *.glb *.gltf *.obj *.fbx *.dae *.ply *.stl)|*.x;*.glb;*.gltf;*.obj;*.fbx;*.dae;*.ply;*.stl|Mesh (*.x)|*.x|glTF (*.glb *.gltf)|*.glb;*.gltf|OBJ (*.obj)|*.obj|FBX (*.fbx)|*.fbx|Collada (*.dae)|*.dae|PLY (*.ply)|*.ply|STL (*.stl)|*.stl|Bitmap (*.bmp)|*.bmp|Sound (*.wav *.ogg *.flac)|*.wav;*.ogg;*.flac|Simulation (*.xml)|*.xml|SIM file (*.sim)|*.sim|All files (*.*)|*.*||</translation>
    </message>
</context>
<context>
    <name>GameActions</name>
    <message>
        <source>Rotate left/right</source>
        <translation>Rotate left/right</translation>
    </message>
    <message>
        <source>Rotate up/down</source>
        <translation>Rotate up/down</translation>
    </message>
    <message>
        <source>Play sound</source>
        <translation>Play sound</translation>
    </message>
    <message>
        <source>Rotate left</source>
        <translation>Rotate left</translation>
    </message>
    <message>
        <source>Rotate right</source>
        <translation>Rotate right</translation>
    </message>
    <message>
        <source>Rotate up</source>
        <translation>Rotate up</translation>
    </message>
    <message>
        <source>Rotate down</source>
        <translation>Rotate down</translation>
    </message>
    <message>
        <source>View Horizontal</source>
        <translation>View Horizontal</translation>
    </message>
    <message>
        <source>View Vertical</source>
        <translation>View Vertical</translation>
    </message>
    <message>
        <source>Configure Display</source>
        <translation>Configure Display</translation>
    </message>
    <message>
        <source>Configure Input</source>
        <translation>Configure Input</translation>
    </message>
    <message>
        <source>Left Up</source>
        <translation>Left Up</translation>
    </message>
    <message>
        <source>Both Up</source>
        <translation>Both Up</translation>
    </message>
    <message>
        <source>Right Up</source>
        <translation>Right Up</translation>
    </message>
    <message>
        <source>Left Down</source>
        <translation>Left Down</translation>
    </message>
    <message>
        <source>Both Down</source>
        <translation>Both Down</translation>
    </message>
    <message>
        <source>Right Down</source>
        <translation>Right Down</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>CANCEL</translation>
    </message>
</context>
<context>
    <name>HostErrors</name>
    <message>
        <source>Could not initialize Direct3D. You may
want to check that the latest version of
DirectX is correctly installed on your
system.  Also make sure that this program
was compiled with header files that match
the installed DirectX DLLs.</source>
        <translation>Could not initialize Direct3D. You may
want to check that the latest version of
DirectX is correctly installed on your
system.  Also make sure that this program
was compiled with header files that match
the installed DirectX DLLs.</translation>
    </message>
    <message>
        <source>Could not find any compatible Direct3D
devices.</source>
        <translation>Could not find any compatible Direct3D
devices.</translation>
    </message>
    <message>
        <source>This sample cannot run in a desktop
window with the current display settings.
Please change your desktop settings to a
16- or 32-bit display mode and re-run this
sample.</source>
        <translation>This sample cannot run in a desktop
window with the current display settings.
Please change your desktop settings to a
16- or 32-bit display mode and re-run this
sample.</translation>
    </message>
    <message>
        <source>No hardware-accelerated Direct3D devices
were found.</source>
        <translation>No hardware-accelerated Direct3D devices
were found.</translation>
    </message>
    <message>
        <source>This sample requires functionality that is
not available on your Direct3D hardware
accelerator.</source>
        <translation>This sample requires functionality that is
not available on your Direct3D hardware
accelerator.</translation>
    </message>
    <message>
        <source>Your Direct3D hardware accelerator cannot
render into a window.
Press F2 while the app is running to see a
list of available devices and modes.</source>
        <translation>Your Direct3D hardware accelerator cannot
render into a window.
Press F2 while the app is running to see a
list of available devices and modes.</translation>
    </message>
    <message>
        <source>Your Direct3D hardware accelerator cannot
render into a window with the current
desktop display settings.
Press F2 while the app is running to see a
list of available devices and modes.</source>
        <translation>Your Direct3D hardware accelerator cannot
render into a window with the current
desktop display settings.
Press F2 while the app is running to see a
list of available devices and modes.</translation>
    </message>
    <message>
        <source>This sample requires functionality that is
not available on your Direct3D hardware
accelerator with the current desktop display
settings.
Press F2 while the app is running to see a
list of available devices and modes.</source>
        <translation>This sample requires functionality that is
not available on your Direct3D hardware
accelerator with the current desktop display
settings.
Press F2 while the app is running to see a
list of available devices and modes.</translation>
    </message>
    <message>
        <source>A D3D object has a non-zero reference
count (meaning things were not properly
cleaned up).</source>
        <translation>A D3D object has a non-zero reference
count (meaning things were not properly
cleaned up).</translation>
    </message>
    <message>
        <source>Could not load required media.</source>
        <translation>Could not load required media.</translation>
    </message>
    <message>
        <source>Could not reset the Direct3D device.</source>
        <translation>Could not reset the Direct3D device.</translation>
    </message>
    <message>
        <source>Warning: Nothing will be rendered.
The reference rendering device was selected, but your
computer only has a reduced-functionality reference device
installed.  Install the DirectX SDK to get the full
reference device.
</source>
        <translation>Warning: Nothing will be rendered.
The reference rendering device was selected, but your
computer only has a reduced-functionality reference device
installed.  Install the DirectX SDK to get the full
reference device.
</translation>
    </message>
    <message>
        <source>Not enough video memory.</source>
        <translation>Not enough video memory.</translation>
    </message>
    <message>
        <source>Not enough memory.</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>Generic application error. Enable
debug output for detailed information.</source>
        <translation>Generic application error. Enable
debug output for detailed information.</translation>
    </message>
    <message>
        <source>

This sample will now exit.</source>
        <translation>

This sample will now exit.</translation>
    </message>
    <message>
        <source>

Switching to the reference rasterizer,
a software device that implements the entire
Direct3D feature set, but runs very slowly.</source>
        <translation>

Switching to the reference rasterizer,
a software device that implements the entire
Direct3D feature set, but runs very slowly.</translation>
    </message>
</context>
<context>
    <name>InputConfigDialog</name>
    <message>
        <source>Configure Input</source>
        <translation>Configure Input</translation>
    </message>
    <message>
        <source>Choose an action under a device and press Assign, then press the key or button, or move the axis, that should drive it.</source>
        <translation>Choose an action under a device and press Assign, then press the key or button, or move the axis, that should drive it.</translation>
    </message>
    <message>
        <source>&amp;Assign</source>
        <translation>&amp;Assign</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>&amp;Defaults</source>
        <translation>&amp;Defaults</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>Kept by the program</source>
        <translation>Kept by the program</translation>
    </message>
    <message>
        <source>%1 has no axis for &quot;%2&quot;.</source>
        <translation>%1 has no axis for &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>%1 has no button for &quot;%2&quot;.</source>
        <translation>%1 has no button for &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>Press the key for &quot;%1&quot; (Esc cancels).</source>
        <translation>Press the key for &quot;%1&quot; (Esc cancels).</translation>
    </message>
    <message>
        <source>Move the axis for &quot;%1&quot; on %2 (Esc cancels).</source>
        <translation>Move the axis for &quot;%1&quot; on %2 (Esc cancels).</translation>
    </message>
    <message>
        <source>Press the button for &quot;%1&quot; on %2 (Esc cancels).</source>
        <translation>Press the button for &quot;%1&quot; on %2 (Esc cancels).</translation>
    </message>
    <message>
        <source>Nothing changed.</source>
        <translation>Nothing changed.</translation>
    </message>
    <message>
        <source>That key cannot be used; press another one (Esc cancels).</source>
        <translation>That key cannot be used; press another one (Esc cancels).</translation>
    </message>
    <message>
        <source>%1 is kept for &quot;%2&quot;.</source>
        <translation>%1 is kept for &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is now %2.</source>
        <translation>&quot;%1&quot; is now %2.</translation>
    </message>
    <message>
        <source>Every device is back to its first bindings.</source>
        <translation>Every device is back to its first bindings.</translation>
    </message>
    <message>
        <source>Keyboard</source>
        <translation>Keyboard</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Ready</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>Arrow keys drive: nothing</source>
        <translation>Arrow keys drive: nothing</translation>
    </message>
    <message>
        <source>Arrow keys drive: %1</source>
        <translation>Arrow keys drive: %1</translation>
    </message>
    <message>
        <source>open another scene</source>
        <translation>open another scene</translation>
    </message>
    <message>
        <source>frame %1 ms</source>
        <translation>frame %1 ms</translation>
    </message>
    <message>
        <source>Tumbleway Builder</source>
        <translation>Tumbleway Builder</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation>Open &amp;recent</translation>
    </message>
    <message>
        <source>Open one of the files opened or saved lately</source>
        <translation>Open one of the files opened or saved lately</translation>
    </message>
    <message>
        <source>Save the current course as velmora.sim in the current folder</source>
        <translation>Save the current course as velmora.sim in the current folder</translation>
    </message>
    <message>
        <source>Save the current course as an XML scene under a name you choose</source>
        <translation>Save the current course as an XML scene under a name you choose</translation>
    </message>
    <message>
        <source>Config &amp;display...	F2</source>
        <translation>Config &amp;display...	F2</translation>
    </message>
    <message>
        <source>Choose the display adapter, mode and frame rate</source>
        <translation>Choose the display adapter, mode and frame rate</translation>
    </message>
    <message>
        <source>Configure &amp;input...	F3</source>
        <translation>Configure &amp;input...	F3</translation>
    </message>
    <message>
        <source>Choose the keys and controller that steer</source>
        <translation>Choose the keys and controller that steer</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Quit Tumbleway Builder</source>
        <translation>Quit Tumbleway Builder</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Take back the last edit</source>
        <translation>Take back the last edit</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Do again the edit taken back last</source>
        <translation>Do again the edit taken back last</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>Delete the course, placed object or sound relation chosen in the tree</source>
        <translation>Delete the course, placed object or sound relation chosen in the tree</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>User &amp;guide</source>
        <translation>User &amp;guide</translation>
    </message>
    <message>
        <source>Read how to lay, place, play and save</source>
        <translation>Read how to lay, place, play and save</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>Show the program&apos;s name and version</source>
        <translation>Show the program&apos;s name and version</translation>
    </message>
    <message>
        <source>%1[*] - Tumbleway Builder</source>
        <translation>%1[*] - Tumbleway Builder</translation>
    </message>
    <message>
        <source>The recovery copy could not be written: %1</source>
        <translation>The recovery copy could not be written: %1</translation>
    </message>
    <message>
        <source>Tumbleway Builder did not end cleanly last time. Restore the unsaved work it kept (%1)?</source>
        <translation>Tumbleway Builder did not end cleanly last time. Restore the unsaved work it kept (%1)?</translation>
    </message>
    <message>
        <source>Restored: %1. Save it to keep it.</source>
        <translation>Restored: %1. Save it to keep it.</translation>
    </message>
    <message>
        <source>quit</source>
        <translation>quit</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>Open an existing game session file</source>
        <translation>Open an existing game session file</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>Undone: %1</source>
        <translation>Undone: %1</translation>
    </message>
    <message>
        <source>Redone: %1</source>
        <translation>Redone: %1</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>MakeField</source>
        <translation>MakeField</translation>
    </message>
    <message>
        <source>ViewParts</source>
        <translation>ViewParts</translation>
    </message>
    <message>
        <source>Drive the scene</source>
        <translation>Drive the scene</translation>
    </message>
    <message>
        <source>Place objects on the course</source>
        <translation>Place objects on the course</translation>
    </message>
    <message>
        <source>Lay the points of a course</source>
        <translation>Lay the points of a course</translation>
    </message>
    <message>
        <source>Look at a mesh or bitmap alone</source>
        <translation>Look at a mesh or bitmap alone</translation>
    </message>
    <message>
        <source>&amp;Drive</source>
        <translation>&amp;Drive</translation>
    </message>
    <message>
        <source>Tumbleway Builder[*]</source>
        <translation>Tumbleway Builder[*]</translation>
    </message>
    <message>
        <source>&amp;Messages...</source>
        <translation>&amp;Messages...</translation>
    </message>
    <message>
        <source>Read every message the status line showed, whole, with its time</source>
        <translation>Read every message the status line showed, whole, with its time</translation>
    </message>
    <message>
        <source>&amp;Course check...</source>
        <translation>&amp;Course check...</translation>
    </message>
    <message>
        <source>Show what the course check finds on the current course, marked where it is in MakeField</source>
        <translation>Show what the course check finds on the current course, marked where it is in MakeField</translation>
    </message>
    <message>
        <source>No course check: choose a course in the tree, or create one, first.</source>
        <translation>No course check: choose a course in the tree, or create one, first.</translation>
    </message>
    <message>
        <source>the points laid in MakeField (no course made of them yet)</source>
        <translation>the points laid in MakeField (no course made of them yet)</translation>
    </message>
    <message>
        <source>Not saved: %1. Save before you %2?</source>
        <translation>Not saved: %1. Save before you %2?</translation>
    </message>
    <message>
        <source>Unsaved work cannot be kept for recovery: %1</source>
        <translation>Unsaved work cannot be kept for recovery: %1</translation>
    </message>
    <message>
        <source>Restored: %1. Save it to keep it; its recovery copy stays in %2.</source>
        <translation>Restored: %1. Save it to keep it; its recovery copy stays in %2.</translation>
    </message>
    <message>
        <source>&amp;Export course...</source>
        <translation>&amp;Export course...</translation>
    </message>
    <message>
        <source>Write the current course as a glTF file (.glb) for Blender, Godot and other tools</source>
        <translation>Write the current course as a glTF file (.glb) for Blender, Godot and other tools</translation>
    </message>
    <message>
        <source>Export course</source>
        <translation>Export course</translation>
    </message>
    <message>
        <source>glTF binary (*.glb)</source>
        <translation>glTF binary (*.glb)</translation>
    </message>
    <message>
        <source>Not saved, so nothing else was done: %1</source>
        <translation>Not saved, so nothing else was done: %1</translation>
    </message>
</context>
<context>
    <name>MessageLogDialog</name>
    <message>
        <source>Messages</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>No messages yet.</source>
        <translation>No messages yet.</translation>
    </message>
    <message>
        <source>Copy all</source>
        <translation>Copy all</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>The user guide (docs/user-guide.md) is not beside this program or its installation.</source>
        <translation>The user guide (docs/user-guide.md) is not beside this program or its installation.</translation>
    </message>
    <message>
        <source>Tumbleway Builder — user guide</source>
        <translation>Tumbleway Builder — user guide</translation>
    </message>
    <message>
        <source>Tumbleway Builder</source>
        <translation>Tumbleway Builder</translation>
    </message>
</context>
<context>
    <name>RecoveryCopies</name>
    <message>
        <source>permission denied</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>another builder holds it</source>
        <translation>another builder holds it</translation>
    </message>
    <message>
        <source>the lock cannot be made</source>
        <translation>the lock cannot be made</translation>
    </message>
    <message>
        <source>%1 cannot be made: %2</source>
        <translation>%1 cannot be made: %2</translation>
    </message>
    <message>
        <source>%1 cannot be locked: %2</source>
        <translation>%1 cannot be locked: %2</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 cannot be read: %2</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>it is not a folder</translation>
    </message>
</context>
<context>
    <name>ReplayController</name>
    <message>
        <source>Recorded drive (*.replay)</source>
        <translation>Recorded drive (*.replay)</translation>
    </message>
    <message>
        <source>Record the drive from now on: the steering of every frame and the scene as it is</source>
        <translation>Record the drive from now on: the steering of every frame and the scene as it is</translation>
    </message>
    <message>
        <source>Replay the last recording on the current course as it is now</source>
        <translation>Replay the last recording on the current course as it is now</translation>
    </message>
    <message>
        <source>Open a recorded drive and replay it on its own scene</source>
        <translation>Open a recorded drive and replay it on its own scene</translation>
    </message>
    <message>
        <source>&amp;Open a recording...</source>
        <translation>&amp;Open a recording...</translation>
    </message>
    <message>
        <source>Save the last recording under a name you choose</source>
        <translation>Save the last recording under a name you choose</translation>
    </message>
    <message>
        <source>&amp;Save the recording...</source>
        <translation>&amp;Save the recording...</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>Recording: frame %1</source>
        <translation>Recording: frame %1</translation>
    </message>
    <message>
        <source>Replay: frame %1 of %2</source>
        <translation>Replay: frame %1 of %2</translation>
    </message>
    <message>
        <source>Not recording: a replay is running; stop it first.</source>
        <translation>Not recording: a replay is running; stop it first.</translation>
    </message>
    <message>
        <source>Nothing to record: choose a course in the tree, or open a scene, first.</source>
        <translation>Nothing to record: choose a course in the tree, or open a scene, first.</translation>
    </message>
    <message>
        <source>Nothing to record: no placed object is driven; choose one under the course in the tree, or click it in Play.</source>
        <translation>Nothing to record: no placed object is driven; choose one under the course in the tree, or click it in Play.</translation>
    </message>
    <message>
        <source>Not recording: %1.</source>
        <translation>Not recording: %1.</translation>
    </message>
    <message>
        <source>Recording: frame 0</source>
        <translation>Recording: frame 0</translation>
    </message>
    <message>
        <source>Recording: drive with the arrow keys; %1 stops.</source>
        <translation>Recording: drive with the arrow keys; %1 stops.</translation>
    </message>
    <message>
        <source>Nothing recorded.</source>
        <translation>Nothing recorded.</translation>
    </message>
    <message>
        <source>the last recording</source>
        <translation>the last recording</translation>
    </message>
    <message numerus="yes">
        <source>Recorded %n frame(s).</source>
        <translation>
            <numerusform>Recorded %n frame.</numerusform>
            <numerusform>Recorded %n frames.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Recording stopped after %n frame(s): %1.</source>
        <translation>
            <numerusform>Recording stopped after %n frame: %1.</numerusform>
            <numerusform>Recording stopped after %n frames: %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>There is no recording to save.</source>
        <translation>There is no recording to save.</translation>
    </message>
    <message>
        <source>Save the recording</source>
        <translation>Save the recording</translation>
    </message>
    <message>
        <source>The recording was not saved: %1 replays it until the next one, and Drive &gt; Save the recording keeps it.</source>
        <translation>The recording was not saved: %1 replays it until the next one, and Drive &gt; Save the recording keeps it.</translation>
    </message>
    <message>
        <source>The recording could not be saved.
%1: %2</source>
        <translation>The recording could not be saved.
%1: %2</translation>
    </message>
    <message>
        <source>Not saved: %1: %2</source>
        <translation>Not saved: %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>Saved the recording of %n frame(s) as %1.</source>
        <translation>
            <numerusform>Saved the recording of %n frame as %1.</numerusform>
            <numerusform>Saved the recording of %n frames as %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>Open a recording</source>
        <translation>Open a recording</translation>
    </message>
    <message>
        <source>Not opened: %1; a drive is being recorded, stop it first.</source>
        <translation>Not opened: %1; a drive is being recorded, stop it first.</translation>
    </message>
    <message>
        <source>the scene in it cannot be read</source>
        <translation>the scene in it cannot be read</translation>
    </message>
    <message>
        <source>Opened the scene of %1, but did not replay it: not every object it places could be loaded.</source>
        <translation>Opened the scene of %1, but did not replay it: not every object it places could be loaded.</translation>
    </message>
    <message>
        <source>%1 cannot be replayed: %2. Nothing was changed.</source>
        <translation>%1 cannot be replayed: %2. Nothing was changed.</translation>
    </message>
    <message>
        <source>Nothing to replay: record a drive, or open a recording, first.</source>
        <translation>Nothing to replay: record a drive, or open a recording, first.</translation>
    </message>
    <message>
        <source>Not replayed: a drive is being recorded; stop it first.</source>
        <translation>Not replayed: a drive is being recorded; stop it first.</translation>
    </message>
    <message>
        <source>Nothing to replay on: choose a course in the tree first.</source>
        <translation>Nothing to replay on: choose a course in the tree first.</translation>
    </message>
    <message>
        <source>Not replayed: the recording drives a %1 that this course does not place.</source>
        <translation>Not replayed: the recording drives a %1 that this course does not place.</translation>
    </message>
    <message>
        <source>Not replayed: %1.</source>
        <translation>Not replayed: %1.</translation>
    </message>
    <message>
        <source>Replay: frame 0 of %1</source>
        <translation>Replay: frame 0 of %1</translation>
    </message>
    <message>
        <source>Replaying %1 on %2; the translucent ghost is the recorded run. %3 stops.</source>
        <translation>Replaying %1 on %2; the translucent ghost is the recorded run. %3 stops.</translation>
    </message>
    <message>
        <source>Replay stopped at frame %1 of %2: %3.</source>
        <translation>Replay stopped at frame %1 of %2: %3.</translation>
    </message>
    <message>
        <source>Replay stopped at frame %1 of %2.</source>
        <translation>Replay stopped at frame %1 of %2.</translation>
    </message>
    <message>
        <source>the scene was edited</source>
        <translation>the scene was edited</translation>
    </message>
    <message>
        <source>Play was left</source>
        <translation>Play was left</translation>
    </message>
    <message>
        <source>the scan started</source>
        <translation>the scan started</translation>
    </message>
    <message>
        <source>another course was chosen</source>
        <translation>another course was chosen</translation>
    </message>
    <message>
        <source>the course changed</source>
        <translation>the course changed</translation>
    </message>
    <message>
        <source>another object was chosen to drive</source>
        <translation>another object was chosen to drive</translation>
    </message>
    <message>
        <source>The course could not be put back as it was: %1.</source>
        <translation>The course could not be put back as it was: %1.</translation>
    </message>
    <message>
        <source>Stop &amp;recording</source>
        <translation>Stop &amp;recording</translation>
    </message>
    <message>
        <source>&amp;Record a drive</source>
        <translation>&amp;Record a drive</translation>
    </message>
    <message>
        <source>Stop the re&amp;play</source>
        <translation>Stop the re&amp;play</translation>
    </message>
    <message>
        <source>Re&amp;play the drive</source>
        <translation>Re&amp;play the drive</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>stop</translation>
    </message>
    <message>
        <source>record</source>
        <translation>record</translation>
    </message>
    <message>
        <source>replay</source>
        <translation>replay</translation>
    </message>
</context>
<context>
    <name>ReplayResultDialog</name>
    <message>
        <source>Replay of %1</source>
        <translation>Replay of %1</translation>
    </message>
    <message>
        <source>Placed object</source>
        <translation>Placed object</translation>
    </message>
    <message>
        <source>Ended this far from its end in the recording</source>
        <translation>Ended this far from its end in the recording</translation>
    </message>
    <message>
        <source>no longer placed</source>
        <translation>no longer placed</translation>
    </message>
    <message>
        <source>not in the recording</source>
        <translation>not in the recording</translation>
    </message>
    <message>
        <source>0 (exactly as recorded)</source>
        <translation>0 (exactly as recorded)</translation>
    </message>
    <message>
        <source>less than 0.001</source>
        <translation>less than 0.001</translation>
    </message>
    <message numerus="yes">
        <source>Replayed %n frame(s): the %1 kept to its recorded path in every frame, and every object ended exactly where it ended in the recording.</source>
        <translation>
            <numerusform>Replayed %n frame: the %1 kept to its recorded path in every frame, and every object ended exactly where it ended in the recording.</numerusform>
            <numerusform>Replayed %n frames: the %1 kept to its recorded path in every frame, and every object ended exactly where it ended in the recording.</numerusform>
        </translation>
    </message>
    <message>
        <source>the %1 kept to its recorded path</source>
        <translation>the %1 kept to its recorded path</translation>
    </message>
    <message>
        <source>the %1 left its recorded path at frame %2 (at most %3 from it)</source>
        <translation>the %1 left its recorded path at frame %2 (at most %3 from it)</translation>
    </message>
    <message numerus="yes">
        <source>Replayed %n frame(s): %1; the objects ended up to %2 from where they ended in the recording.</source>
        <translation>
            <numerusform>Replayed %n frame: %1; the objects ended up to %2 from where they ended in the recording.</numerusform>
            <numerusform>Replayed %n frames: %1; the objects ended up to %2 from where they ended in the recording.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SliderDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>TumblewayBuilder cannot open its window: %1. Start it in a desktop session, or under xvfb-run for a virtual screen.</source>
        <translation>TumblewayBuilder cannot open its window: %1. Start it in a desktop session, or under xvfb-run for a virtual screen.</translation>
    </message>
</context>
</TS>
