<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AboutDialog</name>
    <message>
        <location filename="../shell/AboutDialog.cpp" line="41"/>
        <source>About Tumble Way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AboutDialog.cpp" line="44"/>
        <source>Tumbleway Builder Version 0.9.6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AboutDialog.cpp" line="50"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AppForm</name>
    <message>
        <location filename="../shell/AppForm.cpp" line="86"/>
        <source>Tumbleway</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="178"/>
        <source>import</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="179"/>
        <source>delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="187"/>
        <source>Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="189"/>
        <location filename="../shell/AppForm.cpp" line="214"/>
        <source>assign</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="194"/>
        <location filename="../shell/AppForm.cpp" line="198"/>
        <source>Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="196"/>
        <source>play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="198"/>
        <source>X-file1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="198"/>
        <source>X-file2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="215"/>
        <source>release</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="221"/>
        <source>Field</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="223"/>
        <source>create</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="224"/>
        <location filename="../shell/AppForm.cpp" line="650"/>
        <source>scan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="225"/>
        <location filename="../shell/AppFormTree.cpp" line="217"/>
        <source>clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="234"/>
        <source>place %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="256"/>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="256"/>
        <source>Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="256"/>
        <source>MakeField</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="257"/>
        <source>ViewParts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="435"/>
        <source>lay a point</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="470"/>
        <source>move %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="496"/>
        <source>高さ/向き変更</source>
        <translation>Change height/orientation</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="507"/>
        <source>高さ/傾き変更</source>
        <translation>Change height/incline</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="509"/>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="521"/>
        <source>指定ポイントの情報</source>
        <translation>Point</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="522"/>
        <location filename="../shell/AppForm.cpp" line="534"/>
        <source>高さ</source>
        <translation>Height</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="523"/>
        <source>傾き</source>
        <translation>Incline</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="533"/>
        <source>高さ・向きの調整</source>
        <translation>Height and orientation</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="535"/>
        <source>向き</source>
        <translation>Orientation</translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="557"/>
        <source>change a point</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="559"/>
        <source>change a laid point</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="563"/>
        <source>adjust %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="633"/>
        <source>assign %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="633"/>
        <source>release %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppForm.cpp" line="650"/>
        <source>stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="110"/>
        <source>Not opened: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="117"/>
        <source>Not opened: %1 is not a mesh (.x), bitmap (.bmp), sound (.wav) or scene (.xml, .sim).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="130"/>
        <source>Not saved: a scene is saved under a name ending in .xml (%1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="150"/>
        <location filename="../shell/AppFormFiles.cpp" line="196"/>
        <source>open %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="151"/>
        <source>Opened %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="159"/>
        <source>Not opened: %1 could not be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="203"/>
        <source>Opened %1 as %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="219"/>
        <location filename="../shell/AppFormFiles.cpp" line="254"/>
        <source>Nothing saved: choose a course in the tree, or create one, first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="232"/>
        <location filename="../shell/AppFormFiles.cpp" line="272"/>
        <source>Saved %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="236"/>
        <source> Not kept in this format: %1 placed bitmap(s), the height of %2 raised mesh(es); save under a new name (.xml) to keep them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="265"/>
        <source>Not saved: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormFiles.cpp" line="276"/>
        <source>Saved %1. Not in its folder, so not found when it is opened again: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="22"/>
        <source>No course created: click at least three points in the MakeField view first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="26"/>
        <source>No course created: a course needs at least three points; %1 laid.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="30"/>
        <source>No course created: click a new point in MakeField first (create takes the points laid since the last clear).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="158"/>
        <source>%1 answers the arrow keys in Play.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="199"/>
        <source>create %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="208"/>
        <source>%1: a copy of %2&apos;s points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="210"/>
        <source>%1 created from %2 points.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="221"/>
        <source>Cleared: lay new points in MakeField, or choose a course.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="243"/>
        <location filename="../shell/AppFormTree.cpp" line="280"/>
        <source>delete %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="260"/>
        <source>Deleted %1 from %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="269"/>
        <source>Delete %1 and everything placed on it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/AppFormTree.cpp" line="285"/>
        <source>Deleted %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CourseChildren</name>
    <message>
        <location filename="../shell/CourseChildren.cpp" line="32"/>
        <source>%1: %2 moves</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/CourseChildren.cpp" line="34"/>
        <source>%1: %2 hits %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DisplaySettingsDialog</name>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="35"/>
        <source>(not used)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="52"/>
        <source>Direct3D Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="73"/>
        <source>&amp;Windowed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="74"/>
        <source>&amp;Fullscreen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="82"/>
        <source>Display &amp;Adapter:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="83"/>
        <source>Render &amp;Device:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="89"/>
        <source>Adapter F&amp;ormat:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="90"/>
        <source>&amp;Resolution:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="91"/>
        <source>R&amp;efresh Rate:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="92"/>
        <source>&amp;Back Buffer Format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="93"/>
        <source>De&amp;pth/Stencil Buffer Format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="94"/>
        <source>&amp;Multisample Type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="95"/>
        <source>Multisample &amp;Quality:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="96"/>
        <source>&amp;Vertex Processing:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="97"/>
        <source>Present &amp;Interval:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="100"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host/DisplaySettingsDialog.cpp" line="101"/>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <location filename="../shell/FileCommands.cpp" line="54"/>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <location filename="../shell/FileCommands.cpp" line="77"/>
        <source>名前を変えて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <location filename="../shell/FileCommands.h" line="50"/>
        <source>X file(*.x)|*.x|BITMAP(*.bmp)|*.bmp|ｻｳﾝﾄﾞ(*.wav)|*.wav|Simulation (*.xml)|*.xml|SIM file(*.sim)|*.sim|全てのﾌｧｲﾙ(*.*)|*.*||</source>
        <translation>Mesh (*.x)|*.x|Bitmap (*.bmp)|*.bmp|Sound (*.wav)|*.wav|Simulation (*.xml)|*.xml|SIM file (*.sim)|*.sim|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <location filename="../shell/FileCommands.h" line="52"/>
        <source>SIM file(*.xml)|*.xml|</source>
        <translation>Simulation (*.xml)|*.xml|</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../shell/MainWindow.cpp" line="53"/>
        <source>Ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="63"/>
        <source>Arrow keys drive: nothing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="64"/>
        <source>Arrow keys drive: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="69"/>
        <source>open another scene</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="77"/>
        <source>frame %1 ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="97"/>
        <location filename="../shell/MainWindow.cpp" line="100"/>
        <location filename="../shell/MainWindow.cpp" line="188"/>
        <source>Tumbleway Builder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="116"/>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="117"/>
        <source>開く</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="117"/>
        <source>既存のゲームセッションファイルを開く</source>
        <translation>Open an existing game session file</translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="119"/>
        <source>Open &amp;recent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="120"/>
        <source>Open one of the files opened or saved lately</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="121"/>
        <source>上書き保存</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="122"/>
        <source>Save the current course as velmora.sim in the current folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="125"/>
        <source>名前を変えて保存</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="126"/>
        <source>Save the current course as an XML scene under a name you choose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="130"/>
        <source>Config &amp;display...	F2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="131"/>
        <source>Choose the display adapter, mode and frame rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="132"/>
        <source>Configure &amp;input...	F3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="133"/>
        <source>Choose the keys and controller that steer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="135"/>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="135"/>
        <source>Quit Tumbleway Builder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="138"/>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="139"/>
        <source>Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="142"/>
        <source>Take back the last edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="143"/>
        <source>Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="147"/>
        <source>Do again the edit taken back last</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="152"/>
        <source>&amp;Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="153"/>
        <source>Delete the course, placed object or sound relation chosen in the tree</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="156"/>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="167"/>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="169"/>
        <source>User &amp;guide</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="170"/>
        <source>Read how to lay, place, play and save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="172"/>
        <source>&amp;About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="172"/>
        <source>Show the program&apos;s name and version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="189"/>
        <source>%1[*] - Tumbleway Builder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="228"/>
        <source>%1 has changes that are not saved. Save them before you %2?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="256"/>
        <source>The recovery copy could not be written: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="270"/>
        <source>Tumbleway Builder did not end cleanly last time. Restore the unsaved work it kept (%1)?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="285"/>
        <source>Restored: %1. Save it to keep it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/MainWindow.cpp" line="292"/>
        <source>quit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <location filename="../shell/GuideDialog.cpp" line="35"/>
        <source>User guide</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/GuideDialog.cpp" line="36"/>
        <source>The user guide (docs/user-guide.md) is not beside this program or its installation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../shell/GuideDialog.cpp" line="43"/>
        <source>Tumbleway Builder — user guide</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SliderDialog</name>
    <message>
        <location filename="../shell/SliderDialog.cpp" line="47"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
