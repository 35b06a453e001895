<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Tumble Way</source>
        <translation>Tumble Way について</translation>
    </message>
    <message>
        <source>Tumbleway Builder Version 0.9.6</source>
        <translation>Tumbleway Builder バージョン 0.9.6</translation>
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
        <translation>読み込み</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>assign</source>
        <translation>割り当て</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>サウンド</translation>
    </message>
    <message>
        <source>play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>X-file1</source>
        <translation>Xファイル1</translation>
    </message>
    <message>
        <source>X-file2</source>
        <translation>Xファイル2</translation>
    </message>
    <message>
        <source>release</source>
        <translation>解除</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>フィールド</translation>
    </message>
    <message>
        <source>create</source>
        <translation>作成</translation>
    </message>
    <message>
        <source>scan</source>
        <translation>スキャン</translation>
    </message>
    <message>
        <source>clear</source>
        <translation>クリア</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>プレイ</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編集</translation>
    </message>
    <message>
        <source>MakeField</source>
        <translation>コース作成</translation>
    </message>
    <message>
        <source>ViewParts</source>
        <translation>パーツ表示</translation>
    </message>
    <message>
        <source>lay a point</source>
        <translation>点を置く</translation>
    </message>
    <message>
        <source>move %1</source>
        <translation>%1 を移動</translation>
    </message>
    <message>
        <source>Change height/orientation</source>
        <translation>高さ/向き変更</translation>
    </message>
    <message>
        <source>Change height/incline</source>
        <translation>高さ/傾き変更</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>指定ポイントの情報</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高さ</translation>
    </message>
    <message>
        <source>Incline</source>
        <translation>傾き</translation>
    </message>
    <message>
        <source>Height and orientation</source>
        <translation>高さ・向きの調整</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>向き</translation>
    </message>
    <message>
        <source>change a point</source>
        <translation>点を変更</translation>
    </message>
    <message>
        <source>change a laid point</source>
        <translation>置いた点を変更</translation>
    </message>
    <message>
        <source>adjust %1</source>
        <translation>%1 を調整</translation>
    </message>
    <message>
        <source>Choose a course in the tree, open a scene, or lay a course in MakeField.</source>
        <translation>ツリーでコースを選ぶか、シーンを開くか、「コース作成」でコースを作ってください。</translation>
    </message>
    <message>
        <source>Click points round the course to be, then press create.</source>
        <translation>コースにしたい形に沿って点をクリックし、「作成」を押してください。</translation>
    </message>
    <message>
        <source>Choose a mesh under X-file or a bitmap under BMP in the tree to look at it here.</source>
        <translation>ツリーの X-file の下のメッシュか BMP の下のビットマップを選ぶと、ここに表示されます。</translation>
    </message>
    <message>
        <source>Not assigned: %1</source>
        <translation>割り当てていません: %1</translation>
    </message>
    <message>
        <source>Not released: %1</source>
        <translation>解除していません: %1</translation>
    </message>
    <message>
        <source>choose a course first; a sound belongs to objects placed on it.</source>
        <translation>先にコースを選んでください。サウンドはコースに配置した物体に付きます。</translation>
    </message>
    <message>
        <source>choose a mesh for X-file1, a second one for X-file2 (or none: the sound then plays while X-file1 moves) and a sound, and check all three boxes.</source>
        <translation>Xファイル1 にメッシュを、Xファイル2 に二つ目のメッシュを(選ばなければ Xファイル1 が動く間サウンドが鳴ります)、そしてサウンドを選び、三つのチェックボックスをすべてオンにしてください。</translation>
    </message>
    <message>
        <source>%1 when %2 hits %3</source>
        <translation>%2 が %3 に当たると %1</translation>
    </message>
    <message>
        <source>%1 while %2 moves</source>
        <translation>%2 が動く間 %1</translation>
    </message>
    <message>
        <source>assign %1</source>
        <translation>%1 を割り当て</translation>
    </message>
    <message>
        <source>release %1</source>
        <translation>%1 を解除</translation>
    </message>
    <message>
        <source>Assigned: %1.</source>
        <translation>割り当てました: %1。</translation>
    </message>
    <message>
        <source>Released: %1.</source>
        <translation>解除しました: %1。</translation>
    </message>
    <message>
        <source>Not assigned: %1 is assigned already, or its meshes are not placed on this course.</source>
        <translation>割り当てていません: %1 はすでに割り当て済みか、そのメッシュがこのコースに配置されていません。</translation>
    </message>
    <message>
        <source>Not released: %1 was not assigned on this course.</source>
        <translation>解除していません: %1 はこのコースに割り当てられていません。</translation>
    </message>
    <message>
        <source>place %1</source>
        <translation>%1 を配置</translation>
    </message>
    <message>
        <source>Placed %1 on %2.</source>
        <translation>%1 を %2 に配置しました。</translation>
    </message>
    <message>
        <source>Not placed: choose a course first.</source>
        <translation>配置していません: 先にコースを選んでください。</translation>
    </message>
    <message>
        <source>Not placed: choose a mesh or a bitmap in the library first.</source>
        <translation>配置していません: 先にライブラリでメッシュかビットマップを選んでください。</translation>
    </message>
    <message>
        <source>Not placed: %1 could not be read.</source>
        <translation>配置していません: %1 を読み込めませんでした。</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>The file name is too long: at most 127 characters can be opened.
%1</source>
        <translation>ファイル名が長すぎます。開けるのは 127 文字までです。
%1</translation>
    </message>
    <message>
        <source>Not saved: a scene is saved under a name ending in .xml (%1).</source>
        <translation>保存していません: シーンは .xml で終わる名前で保存します (%1)。</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>%1 を開く</translation>
    </message>
    <message>
        <source>Opened %1.</source>
        <translation>%1 を開きました。</translation>
    </message>
    <message>
        <source>Not opened: %1 could not be read.</source>
        <translation>開いていません: %1 を読み込めませんでした。</translation>
    </message>
    <message>
        <source>Not opened: %1.</source>
        <translation>開いていません: %1。</translation>
    </message>
    <message>
        <source>Opened %1 as %2.</source>
        <translation>%1 を %2 として開きました。</translation>
    </message>
    <message>
        <source>Nothing saved: choose a course in the tree, or create one, first.</source>
        <translation>何も保存していません: 先にツリーでコースを選ぶか、コースを作成してください。</translation>
    </message>
    <message>
        <source>Saved %1.</source>
        <translation>%1 を保存しました。</translation>
    </message>
    <message numerus="yes">
        <source>%n placed bitmap(s)</source>
        <translation>
            <numerusform>配置したビットマップ %n 個</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the height and heading of %n mesh(es)</source>
        <translation>
            <numerusform>メッシュ %n 個の高さと向き</numerusform>
        </translation>
    </message>
    <message>
        <source> Not kept in this format: %1; save under a new name (.xml) to keep them.</source>
        <translation> この形式には残りません: %1。残すには名前を変えて (.xml で) 保存してください。</translation>
    </message>
    <message>
        <source> and </source>
        <translation>、</translation>
    </message>
    <message>
        <source>The scene could not be saved.
%1: %2</source>
        <translation>シーンを保存できませんでした。
%1: %2</translation>
    </message>
    <message>
        <source>Not saved: %1: %2</source>
        <translation>保存していません: %1: %2</translation>
    </message>
    <message>
        <source>No course created: click at least three points in the MakeField view first.</source>
        <translation>コースを作成していません: 先に「コース作成」のビューで 3 点以上をクリックしてください。</translation>
    </message>
    <message>
        <source>No course created: a course needs at least three points; %1 laid.</source>
        <translation>コースを作成していません: コースには 3 点以上が必要です。置いた点は %1 個です。</translation>
    </message>
    <message>
        <source>No course created: click a new point in MakeField first (create takes the points laid since the last clear).</source>
        <translation>コースを作成していません: 先に「コース作成」で新しい点をクリックしてください(「作成」は最後の「クリア」の後に置いた点を使います)。</translation>
    </message>
    <message>
        <source>%1 answers the arrow keys in Play.</source>
        <translation>「プレイ」では %1 が矢印キーで動きます。</translation>
    </message>
    <message>
        <source>create %1</source>
        <translation>%1 を作成</translation>
    </message>
    <message>
        <source>%1: a copy of %2&apos;s points</source>
        <translation>%1: %2 の点の複製</translation>
    </message>
    <message>
        <source>%1 created from %2 points.</source>
        <translation>%2 個の点から %1 を作成しました。</translation>
    </message>
    <message>
        <source>Cleared: lay new points in MakeField, or choose a course.</source>
        <translation>クリアしました: 「コース作成」で新しい点を置くか、コースを選んでください。</translation>
    </message>
    <message>
        <source>delete %1</source>
        <translation>%1 を削除</translation>
    </message>
    <message>
        <source>Deleted %1 from %2.</source>
        <translation>%1 を %2 から削除しました。</translation>
    </message>
    <message>
        <source>Delete %1 and everything placed on it?</source>
        <translation>%1 と、そこに配置したものをすべて削除しますか?</translation>
    </message>
    <message>
        <source>Deleted %1.</source>
        <translation>%1 を削除しました。</translation>
    </message>
    <message>
        <source>X-file</source>
        <translation>Xファイル</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>Course</source>
        <translation>コース</translation>
    </message>
    <message>
        <source>Tumbleway Builder</source>
        <translation>Tumbleway Builder</translation>
    </message>
    <message numerus="yes">
        <source>The scene names %n file(s) that are not found beside it or in the folders files were opened from:</source>
        <translation>
            <numerusform>このシーンが使う %n 個のファイルが、シーンと同じフォルダーにも、ファイルを開いたフォルダーにも見つかりません:</numerusform>
        </translation>
    </message>
    <message>
        <source>

Without them, what they are stays in the scene, shown as missing, and is saved with it.</source>
        <translation>

それらがなくても、シーンの中には「見つからない」として残り、シーンと一緒に保存されます。</translation>
    </message>
    <message>
        <source>Look in a folder...</source>
        <translation>フォルダーから探す...</translation>
    </message>
    <message>
        <source>Open without them</source>
        <translation>それらなしで開く</translation>
    </message>
    <message>
        <source>The folder that holds the missing files</source>
        <translation>見つからないファイルがあるフォルダー</translation>
    </message>
    <message>
        <source>Opened %1 in part as %2: the file is damaged, and only what could be read of it is in the course.</source>
        <translation>%1 を %2 として一部だけ開きました: ファイルが壊れていて、読めた部分だけがコースに入っています。</translation>
    </message>
    <message>
        <source>Opened %1 as %2 without %3, which were not found: they stay in the scene and are saved with it.</source>
        <translation>%1 を %2 として開きました。%3 は見つかりませんでした: シーンの中に残り、シーンと一緒に保存されます。</translation>
    </message>
    <message>
        <source>The scene uses files that are not in its folder (%1): %2.
Copy them beside it, so that it finds them when it is opened again?</source>
        <translation>このシーンは、そのフォルダー (%1) にないファイルを使っています: %2。
次に開いたときに見つかるよう、シーンと同じフォルダーにコピーしますか?</translation>
    </message>
    <message>
        <source> Copied beside it: %1.</source>
        <translation> 同じフォルダーにコピーしました: %1。</translation>
    </message>
    <message>
        <source> Could not copy: %1; it will not find them when it is opened again.</source>
        <translation> コピーできませんでした: %1。次に開いたときには見つかりません。</translation>
    </message>
    <message>
        <source> Not in its folder, so not found when it is opened again: %1.</source>
        <translation> 同じフォルダーにないため、次に開いたときに見つかりません: %1。</translation>
    </message>
    <message>
        <source> Still missing, kept in the scene: %1.</source>
        <translation> まだ見つからず、シーンに残しています: %1。</translation>
    </message>
    <message>
        <source>%1: %2; see Course check</source>
        <translation>%1: %2。コース検査を見てください</translation>
    </message>
    <message>
        <source>Not opened: %1 is not a mesh (.x, .glb, .gltf, .obj, .fbx, .dae, .ply, .stl), bitmap (.bmp), sound (.wav, .ogg, .flac), scene (.xml, .sim) or recorded drive (.replay).</source>
        <translation>開いていません: %1 はメッシュ (.x, .glb, .gltf, .obj, .fbx, .dae, .ply, .stl)、ビットマップ (.bmp)、サウンド (.wav, .ogg, .flac)、シーン (.xml, .sim)、走行の記録 (.replay) のいずれでもありません。</translation>
    </message>
    <message>
        <source>Nothing exported: choose a course in the tree, or create one, first.</source>
        <translation>何も書き出していません: 先にツリーでコースを選ぶか、コースを作成してください。</translation>
    </message>
    <message>
        <source>The course could not be exported.
%1: %2</source>
        <translation>コースを書き出せませんでした。
%1: %2</translation>
    </message>
    <message>
        <source>Not exported: %1: %2</source>
        <translation>書き出していません: %1: %2</translation>
    </message>
    <message>
        <source>Exported the course to %1.</source>
        <translation>コースを %1 に書き出しました。</translation>
    </message>
    <message>
        <source>Raised %1 by %2 and turned it to %3 degrees.</source>
        <translation>%1 を %2 だけ上げ、%3 度に向けました。</translation>
    </message>
    <message>
        <source>Nothing of %1 could be read: %2 is an empty course.</source>
        <translation>%1 は何も読めませんでした: %2 は空のコースです。</translation>
    </message>
</context>
<context>
    <name>CourseCheckDialog</name>
    <message>
        <source>strip triangles folded over</source>
        <translation>折り返したストリップの三角形</translation>
    </message>
    <message>
        <source>field over the road</source>
        <translation>道路に重なったフィールド</translation>
    </message>
    <message>
        <source>the course crosses itself</source>
        <translation>コースの交差</translation>
    </message>
    <message>
        <source>the road&apos;s edges cross</source>
        <translation>道路の縁の交差</translation>
    </message>
    <message>
        <source>a bend tighter than the strips on its inside reach</source>
        <translation>内側のストリップの幅より急なカーブ</translation>
    </message>
    <message>
        <source>balls dropped on the road land off it</source>
        <translation>道路に落としたボールが道路の外に落ちる</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>不明</translation>
    </message>
    <message>
        <source>Course check: %1</source>
        <translation>コース検査: %1</translation>
    </message>
    <message>
        <source>#</source>
        <translation>#</translation>
    </message>
    <message>
        <source>What</source>
        <translation>内容</translation>
    </message>
    <message>
        <source>Where in MakeField (pixels)</source>
        <translation>コース作成タブ上の位置 (ピクセル)</translation>
    </message>
    <message>
        <source>How much</source>
        <translation>程度</translation>
    </message>
    <message>
        <source>not known</source>
        <translation>不明</translation>
    </message>
    <message>
        <source>Nothing: the course is sound.</source>
        <translation>問題はありません: コースは正常です。</translation>
    </message>
</context>
<context>
    <name>CourseChildren</name>
    <message>
        <source>%1: %2 moves</source>
        <translation>%1: %2 が動く</translation>
    </message>
    <message>
        <source>%1: %2 hits %3</source>
        <translation>%1: %2 が %3 に当たる</translation>
    </message>
    <message>
        <source>%1 (missing)</source>
        <translation>%1 (見つからない)</translation>
    </message>
    <message>
        <source>Its file was not found when the scene was opened. It stays in the scene and is saved with it.</source>
        <translation>シーンを開いたときにファイルが見つかりませんでした。シーンの中に残り、シーンと一緒に保存されます。</translation>
    </message>
</context>
<context>
    <name>CourseWarning</name>
    <message numerus="yes">
        <source>%n strip triangle(s) folded over</source>
        <translation>
            <numerusform>帯の三角形 %n 個が裏返っています</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 square units of field over the road</source>
        <translation>フィールドが道路に %1 平方単位重なっています</translation>
    </message>
    <message numerus="yes">
        <source>the course crosses itself %n time(s)</source>
        <translation>
            <numerusform>コースが %n 回交差しています</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the road&apos;s edges cross %n time(s)</source>
        <translation>
            <numerusform>道路の縁が %n 回交差しています</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n bend(s) tighter than the strips on their inside reach</source>
        <translation>
            <numerusform>%n か所のカーブが内側の帯の幅より急です</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 balls dropped on the road land(s) off it</source>
        <translation>
            <numerusform>道路に落とした %1 個の球のうち %n 個が道路の外に落ちます</numerusform>
        </translation>
    </message>
    <message>
        <source>Course check: %1 (tumbleway-run --check shows where).</source>
        <translation>コースの検査: %1(場所は tumbleway-run --check で分かります)。</translation>
    </message>
    <message>
        <source>; </source>
        <translation>、</translation>
    </message>
    <message>
        <source>the course crosses itself once</source>
        <translation>コースが 1 か所で交差しています</translation>
    </message>
    <message>
        <source>the course crosses itself %1 times</source>
        <translation>コースが %1 か所で交差しています</translation>
    </message>
    <message>
        <source>the strips fold at 1 bend</source>
        <translation>1 か所のカーブでストリップが折り返しています</translation>
    </message>
    <message>
        <source>the strips fold at %1 bends</source>
        <translation>%1 か所のカーブでストリップが折り返しています</translation>
    </message>
    <message>
        <source>1 strip triangle folded over</source>
        <translation>ストリップの三角形が 1 つ折り返しています</translation>
    </message>
    <message>
        <source>%1 strip triangles folded over</source>
        <translation>ストリップの三角形が %1 個折り返しています</translation>
    </message>
    <message>
        <source>the road&apos;s edges cross once</source>
        <translation>道路の縁が 1 か所で交差しています</translation>
    </message>
    <message>
        <source>the road&apos;s edges cross %1 times</source>
        <translation>道路の縁が %1 か所で交差しています</translation>
    </message>
    <message>
        <source>the field lies over the road</source>
        <translation>フィールドが道路に重なっています</translation>
    </message>
    <message>
        <source>1 bend too tight</source>
        <translation>急すぎるカーブが 1 か所あります</translation>
    </message>
    <message>
        <source>%1 bends too tight</source>
        <translation>急すぎるカーブが %1 か所あります</translation>
    </message>
    <message>
        <source>balls land off the road</source>
        <translation>ボールが道路の外に落ちます</translation>
    </message>
</context>
<context>
    <name>DisplaySettingsDialog</name>
    <message>
        <source>(not used)</source>
        <translation>(使用しない)</translation>
    </message>
    <message>
        <source>Direct3D Settings</source>
        <translation>Direct3D の設定</translation>
    </message>
    <message>
        <source>&amp;Windowed</source>
        <translation>ウィンドウ(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Fullscreen</source>
        <translation>フルスクリーン(&amp;F)</translation>
    </message>
    <message>
        <source>Display &amp;Adapter:</source>
        <translation>ディスプレイ アダプター(&amp;A):</translation>
    </message>
    <message>
        <source>Render &amp;Device:</source>
        <translation>レンダリング デバイス(&amp;D):</translation>
    </message>
    <message>
        <source>Adapter F&amp;ormat:</source>
        <translation>アダプターのフォーマット(&amp;O):</translation>
    </message>
    <message>
        <source>&amp;Resolution:</source>
        <translation>解像度(&amp;R):</translation>
    </message>
    <message>
        <source>R&amp;efresh Rate:</source>
        <translation>リフレッシュ レート(&amp;E):</translation>
    </message>
    <message>
        <source>&amp;Back Buffer Format:</source>
        <translation>バック バッファーのフォーマット(&amp;B):</translation>
    </message>
    <message>
        <source>De&amp;pth/Stencil Buffer Format:</source>
        <translation>深度/ステンシル バッファーのフォーマット(&amp;P):</translation>
    </message>
    <message>
        <source>&amp;Multisample Type:</source>
        <translation>マルチサンプルの種類(&amp;M):</translation>
    </message>
    <message>
        <source>Multisample &amp;Quality:</source>
        <translation>マルチサンプルの品質(&amp;Q):</translation>
    </message>
    <message>
        <source>&amp;Vertex Processing:</source>
        <translation>頂点処理(&amp;V):</translation>
    </message>
    <message>
        <source>Present &amp;Interval:</source>
        <translation>表示の間隔(&amp;I):</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>名前を変えて保存</translation>
    </message>
    <message>
        <source>Simulation (*.xml)|*.xml|</source>
        <translation>SIM file(*.xml)|*.xml|</translation>
    </message>
    <message>
        <source>Meshes (*.x *.glb *.gltf *.obj *.fbx *.dae *.ply *.stl)|*.x;*.glb;*.gltf;*.obj;*.fbx;*.dae;*.ply;*.stl|Mesh (*.x)|*.x|glTF (*.glb *.gltf)|*.glb;*.gltf|OBJ (*.obj)|*.obj|FBX (*.fbx)|*.fbx|Collada (*.dae)|*.dae|PLY (*.ply)|*.ply|STL (*.stl)|*.stl|Bitmap (*.bmp)|*.bmp|Sound (*.wav *.ogg *.flac)|*.wav;*.ogg;*.flac|Simulation (*.xml)|*.xml|SIM file (*.sim)|*.sim|All files (*.*)|*.*||</source>
        <translation>ﾒｯｼｭ(*.x *.glb *.gltf *.obj *.fbx *.dae *.ply *.stl)|*.x;*.glb;*.gltf;*.obj;*.fbx;*.dae;*.ply;*.stl|X file(*.x)|*.x|glTF(*.glb *.gltf)|*.glb;*.gltf|OBJ(*.obj)|*.obj|FBX(*.fbx)|*.fbx|Collada(*.dae)|*.dae|PLY(*.ply)|*.ply|STL(*.stl)|*.stl|BITMAP(*.bmp)|*.bmp|ｻｳﾝﾄﾞ(*.wav *.ogg *.flac)|*.wav;*.ogg;*.flac|Simulation (*.xml)|*.xml|SIM file(*.sim)|*.sim|全てのﾌｧｲﾙ(*.*)|*.*||</translation>
    </message>
</context>
<context>
    <name>GameActions</name>
    <message>
        <source>Rotate left/right</source>
        <translation>左右に回転</translation>
    </message>
    <message>
        <source>Rotate up/down</source>
        <translation>上下に回転</translation>
    </message>
    <message>
        <source>Play sound</source>
        <translation>サウンドを再生</translation>
    </message>
    <message>
        <source>Rotate left</source>
        <translation>左に回転</translation>
    </message>
    <message>
        <source>Rotate right</source>
        <translation>右に回転</translation>
    </message>
    <message>
        <source>Rotate up</source>
        <translation>上に回転</translation>
    </message>
    <message>
        <source>Rotate down</source>
        <translation>下に回転</translation>
    </message>
    <message>
        <source>View Horizontal</source>
        <translation>水平に見る</translation>
    </message>
    <message>
        <source>View Vertical</source>
        <translation>垂直に見る</translation>
    </message>
    <message>
        <source>Configure Display</source>
        <translation>表示の設定</translation>
    </message>
    <message>
        <source>Configure Input</source>
        <translation>入力の設定</translation>
    </message>
    <message>
        <source>Left Up</source>
        <translation>左を上げる</translation>
    </message>
    <message>
        <source>Both Up</source>
        <translation>両方を上げる</translation>
    </message>
    <message>
        <source>Right Up</source>
        <translation>右を上げる</translation>
    </message>
    <message>
        <source>Left Down</source>
        <translation>左を下げる</translation>
    </message>
    <message>
        <source>Both Down</source>
        <translation>両方を下げる</translation>
    </message>
    <message>
        <source>Right Down</source>
        <translation>右を下げる</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>キャンセル</translation>
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
        <translation>Direct3D を初期化できませんでした。
最新の DirectX が正しくインストールされて
いるか確かめてください。また、このプログラムが
インストールされた DirectX DLL に合った
ヘッダー ファイルでコンパイルされているかも
確かめてください。</translation>
    </message>
    <message>
        <source>Could not find any compatible Direct3D
devices.</source>
        <translation>互換性のある Direct3D デバイスが
見つかりませんでした。</translation>
    </message>
    <message>
        <source>This sample cannot run in a desktop
window with the current display settings.
Please change your desktop settings to a
16- or 32-bit display mode and re-run this
sample.</source>
        <translation>現在の画面の設定では、このプログラムを
デスクトップのウィンドウで実行できません。
デスクトップを 16 ビットか 32 ビットの
表示モードに変えてから、もう一度
実行してください。</translation>
    </message>
    <message>
        <source>No hardware-accelerated Direct3D devices
were found.</source>
        <translation>ハードウェア アクセラレーションに対応した
Direct3D デバイスが見つかりませんでした。</translation>
    </message>
    <message>
        <source>This sample requires functionality that is
not available on your Direct3D hardware
accelerator.</source>
        <translation>このプログラムに必要な機能が、お使いの
Direct3D ハードウェア アクセラレーターに
ありません。</translation>
    </message>
    <message>
        <source>Your Direct3D hardware accelerator cannot
render into a window.
Press F2 while the app is running to see a
list of available devices and modes.</source>
        <translation>お使いの Direct3D ハードウェア アクセラレーターは
ウィンドウに描画できません。
実行中に F2 を押すと、使えるデバイスと
モードの一覧が表示されます。</translation>
    </message>
    <message>
        <source>Your Direct3D hardware accelerator cannot
render into a window with the current
desktop display settings.
Press F2 while the app is running to see a
list of available devices and modes.</source>
        <translation>お使いの Direct3D ハードウェア アクセラレーターは
現在のデスクトップの画面設定では
ウィンドウに描画できません。
実行中に F2 を押すと、使えるデバイスと
モードの一覧が表示されます。</translation>
    </message>
    <message>
        <source>This sample requires functionality that is
not available on your Direct3D hardware
accelerator with the current desktop display
settings.
Press F2 while the app is running to see a
list of available devices and modes.</source>
        <translation>このプログラムに必要な機能が、現在の
デスクトップの画面設定では、お使いの
Direct3D ハードウェア アクセラレーターで
使えません。
実行中に F2 を押すと、使えるデバイスと
モードの一覧が表示されます。</translation>
    </message>
    <message>
        <source>A D3D object has a non-zero reference
count (meaning things were not properly
cleaned up).</source>
        <translation>D3D オブジェクトの参照カウントが 0 では
ありません(後片付けが正しく行われませんでした)。</translation>
    </message>
    <message>
        <source>Could not load required media.</source>
        <translation>必要なデータを読み込めませんでした。</translation>
    </message>
    <message>
        <source>Could not reset the Direct3D device.</source>
        <translation>Direct3D デバイスをリセットできませんでした。</translation>
    </message>
    <message>
        <source>Warning: Nothing will be rendered.
The reference rendering device was selected, but your
computer only has a reduced-functionality reference device
installed.  Install the DirectX SDK to get the full
reference device.
</source>
        <translation>警告: 何も描画されません。
リファレンス デバイスが選ばれましたが、この
コンピューターには機能を減らしたリファレンス デバイス
しかインストールされていません。完全なリファレンス
デバイスを使うには DirectX SDK をインストールしてください。
</translation>
    </message>
    <message>
        <source>Not enough video memory.</source>
        <translation>ビデオ メモリが足りません。</translation>
    </message>
    <message>
        <source>Not enough memory.</source>
        <translation>メモリが足りません。</translation>
    </message>
    <message>
        <source>Generic application error. Enable
debug output for detailed information.</source>
        <translation>アプリケーションのエラーです。詳しくは
デバッグ出力を有効にしてください。</translation>
    </message>
    <message>
        <source>

This sample will now exit.</source>
        <translation>

プログラムを終了します。</translation>
    </message>
    <message>
        <source>

Switching to the reference rasterizer,
a software device that implements the entire
Direct3D feature set, but runs very slowly.</source>
        <translation>

リファレンス ラスタライザーに切り替えます。
Direct3D のすべての機能を持つソフトウェア
デバイスですが、動作はとても遅くなります。</translation>
    </message>
</context>
<context>
    <name>InputConfigDialog</name>
    <message>
        <source>Configure Input</source>
        <translation>入力の設定</translation>
    </message>
    <message>
        <source>Choose an action under a device and press Assign, then press the key or button, or move the axis, that should drive it.</source>
        <translation>デバイスの列で操作を選んで「割り当て」を押し、その操作に使うキーかボタンを押すか、軸を動かしてください。</translation>
    </message>
    <message>
        <source>&amp;Assign</source>
        <translation>割り当て(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>クリア(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Defaults</source>
        <translation>初期設定に戻す(&amp;D)</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>Kept by the program</source>
        <translation>プログラムが使うため変更できません</translation>
    </message>
    <message>
        <source>%1 has no axis for &quot;%2&quot;.</source>
        <translation>%1 には「%2」に使える軸がありません。</translation>
    </message>
    <message>
        <source>%1 has no button for &quot;%2&quot;.</source>
        <translation>%1 には「%2」に使えるボタンがありません。</translation>
    </message>
    <message>
        <source>Press the key for &quot;%1&quot; (Esc cancels).</source>
        <translation>「%1」に使うキーを押してください(Esc で取り消し)。</translation>
    </message>
    <message>
        <source>Move the axis for &quot;%1&quot; on %2 (Esc cancels).</source>
        <translation>%2 で「%1」に使う軸を動かしてください(Esc で取り消し)。</translation>
    </message>
    <message>
        <source>Press the button for &quot;%1&quot; on %2 (Esc cancels).</source>
        <translation>%2 で「%1」に使うボタンを押してください(Esc で取り消し)。</translation>
    </message>
    <message>
        <source>Nothing changed.</source>
        <translation>何も変更していません。</translation>
    </message>
    <message>
        <source>That key cannot be used; press another one (Esc cancels).</source>
        <translation>そのキーは使えません。別のキーを押してください(Esc で取り消し)。</translation>
    </message>
    <message>
        <source>%1 is kept for &quot;%2&quot;.</source>
        <translation>%1 は「%2」に使われているため変更できません。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is now %2.</source>
        <translation>「%1」を %2 にしました。</translation>
    </message>
    <message>
        <source>Every device is back to its first bindings.</source>
        <translation>すべてのデバイスを初期の割り当てに戻しました。</translation>
    </message>
    <message>
        <source>Keyboard</source>
        <translation>キーボード</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Ready</source>
        <translation>準備完了</translation>
    </message>
    <message>
        <source>Arrow keys drive: nothing</source>
        <translation>矢印キーで動かす物: なし</translation>
    </message>
    <message>
        <source>Arrow keys drive: %1</source>
        <translation>矢印キーで動かす物: %1</translation>
    </message>
    <message>
        <source>open another scene</source>
        <translation>別のシーンを開く</translation>
    </message>
    <message>
        <source>frame %1 ms</source>
        <translation>フレーム %1 ms</translation>
    </message>
    <message>
        <source>Tumbleway Builder</source>
        <translation>Tumbleway Builder</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Open an existing game session file</source>
        <translation>既存のゲームセッションファイルを開く</translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation>最近使ったファイル(&amp;R)</translation>
    </message>
    <message>
        <source>Open one of the files opened or saved lately</source>
        <translation>最近開いたか保存したファイルを開く</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>上書き保存</translation>
    </message>
    <message>
        <source>Save the current course as velmora.sim in the current folder</source>
        <translation>現在のコースを現在のフォルダーに velmora.sim として保存する</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>名前を変えて保存</translation>
    </message>
    <message>
        <source>Save the current course as an XML scene under a name you choose</source>
        <translation>現在のコースを、選んだ名前の XML シーンとして保存する</translation>
    </message>
    <message>
        <source>Config &amp;display...	F2</source>
        <translation>表示の設定(&amp;D)...	F2</translation>
    </message>
    <message>
        <source>Choose the display adapter, mode and frame rate</source>
        <translation>ディスプレイ アダプター、表示モード、フレームレートを選ぶ</translation>
    </message>
    <message>
        <source>Configure &amp;input...	F3</source>
        <translation>入力の設定(&amp;I)...	F3</translation>
    </message>
    <message>
        <source>Choose the keys and controller that steer</source>
        <translation>操作に使うキーとコントローラーを選ぶ</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Quit Tumbleway Builder</source>
        <translation>Tumbleway Builder を終了する</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Take back the last edit</source>
        <translation>最後の編集を取り消す</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直し</translation>
    </message>
    <message>
        <source>Do again the edit taken back last</source>
        <translation>最後に取り消した編集をやり直す</translation>
    </message>
    <message>
        <source>Undone: %1</source>
        <translation>元に戻しました: %1</translation>
    </message>
    <message>
        <source>Redone: %1</source>
        <translation>やり直しました: %1</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>Delete the course, placed object or sound relation chosen in the tree</source>
        <translation>ツリーで選んだコース、配置した物体、サウンドの関係を削除する</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>プレイ</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編集</translation>
    </message>
    <message>
        <source>MakeField</source>
        <translation>コース作成</translation>
    </message>
    <message>
        <source>ViewParts</source>
        <translation>パーツ表示</translation>
    </message>
    <message>
        <source>Drive the scene</source>
        <translation>シーンの中を走らせる</translation>
    </message>
    <message>
        <source>Place objects on the course</source>
        <translation>コースに物体を配置する</translation>
    </message>
    <message>
        <source>Lay the points of a course</source>
        <translation>コースの点を置く</translation>
    </message>
    <message>
        <source>Look at a mesh or bitmap alone</source>
        <translation>メッシュかビットマップを単独で見る</translation>
    </message>
    <message>
        <source>&amp;Drive</source>
        <translation>走行(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>User &amp;guide</source>
        <translation>ユーザーガイド(&amp;G)</translation>
    </message>
    <message>
        <source>Read how to lay, place, play and save</source>
        <translation>コースの作り方、配置、プレイ、保存の方法を読む</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>バージョン情報(&amp;A)</translation>
    </message>
    <message>
        <source>Show the program&apos;s name and version</source>
        <translation>プログラムの名前とバージョンを表示する</translation>
    </message>
    <message>
        <source>Tumbleway Builder[*]</source>
        <translation>Tumbleway Builder[*]</translation>
    </message>
    <message>
        <source>%1[*] - Tumbleway Builder</source>
        <translation>%1[*] - Tumbleway Builder</translation>
    </message>
    <message>
        <source>The recovery copy could not be written: %1</source>
        <translation>復元用のコピーを書き込めませんでした: %1</translation>
    </message>
    <message>
        <source>Tumbleway Builder did not end cleanly last time. Restore the unsaved work it kept (%1)?</source>
        <translation>Tumbleway Builder は前回正しく終了しませんでした。保存されていなかった作業 (%1) を復元しますか?</translation>
    </message>
    <message>
        <source>Restored: %1. Save it to keep it.</source>
        <translation>復元しました: %1。残すには保存してください。</translation>
    </message>
    <message>
        <source>quit</source>
        <translation>終了する</translation>
    </message>
    <message>
        <source>&amp;Messages...</source>
        <translation>メッセージ(&amp;M)...</translation>
    </message>
    <message>
        <source>Read every message the status line showed, whole, with its time</source>
        <translation>ステータス行に出たすべてのメッセージを、時刻とともに全文で読む</translation>
    </message>
    <message>
        <source>&amp;Course check...</source>
        <translation>コース検査(&amp;C)...</translation>
    </message>
    <message>
        <source>Show what the course check finds on the current course, marked where it is in MakeField</source>
        <translation>現在のコースでコース検査が見つけたものを、コース作成タブ上の位置に印を付けて表示する</translation>
    </message>
    <message>
        <source>No course check: choose a course in the tree, or create one, first.</source>
        <translation>コース検査はできません: 先にツリーでコースを選ぶか、コースを作成してください。</translation>
    </message>
    <message>
        <source>the points laid in MakeField (no course made of them yet)</source>
        <translation>コース作成タブで置いた点 (まだコースになっていません)</translation>
    </message>
    <message>
        <source>Not saved: %1. Save before you %2?</source>
        <translation>保存されていません: %1。%2前に保存しますか?</translation>
    </message>
    <message>
        <source>Unsaved work cannot be kept for recovery: %1</source>
        <translation>保存していない作業を復元用に残せません: %1</translation>
    </message>
    <message>
        <source>Restored: %1. Save it to keep it; its recovery copy stays in %2.</source>
        <translation>復元しました: %1。残すには保存してください。復元用のコピーは %2 に残っています。</translation>
    </message>
    <message>
        <source>&amp;Export course...</source>
        <translation>コースを書き出す(&amp;E)...</translation>
    </message>
    <message>
        <source>Write the current course as a glTF file (.glb) for Blender, Godot and other tools</source>
        <translation>現在のコースを Blender や Godot などのツール向けに glTF ファイル (.glb) として書き出します</translation>
    </message>
    <message>
        <source>Export course</source>
        <translation>コースを書き出す</translation>
    </message>
    <message>
        <source>glTF binary (*.glb)</source>
        <translation>glTF バイナリ (*.glb)</translation>
    </message>
    <message>
        <source>Not saved, so nothing else was done: %1</source>
        <translation>保存されていないため、ほかには何もしていません: %1</translation>
    </message>
</context>
<context>
    <name>MessageLogDialog</name>
    <message>
        <source>Messages</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>No messages yet.</source>
        <translation>まだメッセージはありません。</translation>
    </message>
    <message>
        <source>Copy all</source>
        <translation>すべてコピー</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>The user guide (docs/user-guide.md) is not beside this program or its installation.</source>
        <translation>ユーザーガイド (docs/user-guide.md) がこのプログラムの場所にもインストール先にもありません。</translation>
    </message>
    <message>
        <source>Tumbleway Builder — user guide</source>
        <translation>Tumbleway Builder — ユーザーガイド</translation>
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
        <translation>アクセスが拒否されました</translation>
    </message>
    <message>
        <source>another builder holds it</source>
        <translation>別のビルダーが使用中です</translation>
    </message>
    <message>
        <source>the lock cannot be made</source>
        <translation>ロックを作成できません</translation>
    </message>
    <message>
        <source>%1 cannot be made: %2</source>
        <translation>%1 を作成できません: %2</translation>
    </message>
    <message>
        <source>%1 cannot be locked: %2</source>
        <translation>%1 をロックできません: %2</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 を読めません: %2</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>フォルダーではありません</translation>
    </message>
</context>
<context>
    <name>ReplayController</name>
    <message>
        <source>Recorded drive (*.replay)</source>
        <translation>走行の記録 (*.replay)</translation>
    </message>
    <message>
        <source>Record the drive from now on: the steering of every frame and the scene as it is</source>
        <translation>今からの走行を記録する: 毎フレームの操作と、今のシーン</translation>
    </message>
    <message>
        <source>Replay the last recording on the current course as it is now</source>
        <translation>最後の記録を、今の状態の現在のコースで再生する</translation>
    </message>
    <message>
        <source>Open a recorded drive and replay it on its own scene</source>
        <translation>走行の記録を開き、記録されたシーンで再生する</translation>
    </message>
    <message>
        <source>&amp;Open a recording...</source>
        <translation>記録を開く(&amp;O)...</translation>
    </message>
    <message>
        <source>Save the last recording under a name you choose</source>
        <translation>最後の記録を、選んだ名前で保存する</translation>
    </message>
    <message>
        <source>&amp;Save the recording...</source>
        <translation>記録を保存(&amp;S)...</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>走行</translation>
    </message>
    <message>
        <source>Recording: frame %1</source>
        <translation>記録中: フレーム %1</translation>
    </message>
    <message>
        <source>Replay: frame %1 of %2</source>
        <translation>再生: フレーム %1 / %2</translation>
    </message>
    <message>
        <source>Not recording: a replay is running; stop it first.</source>
        <translation>記録していません: 再生中です。先に再生を止めてください。</translation>
    </message>
    <message>
        <source>Nothing to record: choose a course in the tree, or open a scene, first.</source>
        <translation>記録するものがありません: 先にツリーでコースを選ぶか、シーンを開いてください。</translation>
    </message>
    <message>
        <source>Nothing to record: no placed object is driven; choose one under the course in the tree, or click it in Play.</source>
        <translation>記録するものがありません: 動かす物体がありません。ツリーのコースの下で選ぶか、「プレイ」でクリックしてください。</translation>
    </message>
    <message>
        <source>Not recording: %1.</source>
        <translation>記録していません: %1。</translation>
    </message>
    <message>
        <source>Recording: frame 0</source>
        <translation>記録中: フレーム 0</translation>
    </message>
    <message>
        <source>Recording: drive with the arrow keys; %1 stops.</source>
        <translation>記録中: 矢印キーで走らせてください。%1 で止まります。</translation>
    </message>
    <message>
        <source>Nothing recorded.</source>
        <translation>何も記録していません。</translation>
    </message>
    <message>
        <source>the last recording</source>
        <translation>最後の記録</translation>
    </message>
    <message numerus="yes">
        <source>Recorded %n frame(s).</source>
        <translation>
            <numerusform>%n フレームを記録しました。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Recording stopped after %n frame(s): %1.</source>
        <translation>
            <numerusform>%n フレームで記録が止まりました: %1。</numerusform>
        </translation>
    </message>
    <message>
        <source>There is no recording to save.</source>
        <translation>保存する記録がありません。</translation>
    </message>
    <message>
        <source>Save the recording</source>
        <translation>記録を保存</translation>
    </message>
    <message>
        <source>The recording was not saved: %1 replays it until the next one, and Drive &gt; Save the recording keeps it.</source>
        <translation>記録は保存していません: 次の記録までは %1 で再生でき、「走行」&gt;「記録を保存」で残せます。</translation>
    </message>
    <message>
        <source>The recording could not be saved.
%1: %2</source>
        <translation>記録を保存できませんでした。
%1: %2</translation>
    </message>
    <message>
        <source>Not saved: %1: %2</source>
        <translation>保存していません: %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>Saved the recording of %n frame(s) as %1.</source>
        <translation>
            <numerusform>%n フレームの記録を %1 として保存しました。</numerusform>
        </translation>
    </message>
    <message>
        <source>Open a recording</source>
        <translation>記録を開く</translation>
    </message>
    <message>
        <source>Not opened: %1; a drive is being recorded, stop it first.</source>
        <translation>開いていません: %1。走行を記録中です。先に記録を止めてください。</translation>
    </message>
    <message>
        <source>the scene in it cannot be read</source>
        <translation>中のシーンを読み込めません</translation>
    </message>
    <message>
        <source>Opened the scene of %1, but did not replay it: not every object it places could be loaded.</source>
        <translation>%1 のシーンを開きましたが、再生はしていません: 配置する物体の一部を読み込めませんでした。</translation>
    </message>
    <message>
        <source>%1 cannot be replayed: %2. Nothing was changed.</source>
        <translation>%1 は再生できません: %2。何も変更していません。</translation>
    </message>
    <message>
        <source>Nothing to replay: record a drive, or open a recording, first.</source>
        <translation>再生するものがありません: 先に走行を記録するか、記録を開いてください。</translation>
    </message>
    <message>
        <source>Not replayed: a drive is being recorded; stop it first.</source>
        <translation>再生していません: 走行を記録中です。先に記録を止めてください。</translation>
    </message>
    <message>
        <source>Nothing to replay on: choose a course in the tree first.</source>
        <translation>再生するコースがありません: 先にツリーでコースを選んでください。</translation>
    </message>
    <message>
        <source>Not replayed: the recording drives a %1 that this course does not place.</source>
        <translation>再生していません: 記録で動かす %1 がこのコースに配置されていません。</translation>
    </message>
    <message>
        <source>Not replayed: %1.</source>
        <translation>再生していません: %1。</translation>
    </message>
    <message>
        <source>Replay: frame 0 of %1</source>
        <translation>再生: フレーム 0 / %1</translation>
    </message>
    <message>
        <source>Replaying %1 on %2; the translucent ghost is the recorded run. %3 stops.</source>
        <translation>%1 を %2 で再生中です。半透明のゴーストが記録された走りです。%3 で止まります。</translation>
    </message>
    <message>
        <source>Replay stopped at frame %1 of %2: %3.</source>
        <translation>再生はフレーム %1 / %2 で止まりました: %3。</translation>
    </message>
    <message>
        <source>Replay stopped at frame %1 of %2.</source>
        <translation>再生はフレーム %1 / %2 で止まりました。</translation>
    </message>
    <message>
        <source>the scene was edited</source>
        <translation>シーンが編集されました</translation>
    </message>
    <message>
        <source>Play was left</source>
        <translation>「プレイ」から離れました</translation>
    </message>
    <message>
        <source>the scan started</source>
        <translation>スキャンが始まりました</translation>
    </message>
    <message>
        <source>another course was chosen</source>
        <translation>別のコースが選ばれました</translation>
    </message>
    <message>
        <source>the course changed</source>
        <translation>コースが変わりました</translation>
    </message>
    <message>
        <source>another object was chosen to drive</source>
        <translation>動かす物体が変わりました</translation>
    </message>
    <message>
        <source>The course could not be put back as it was: %1.</source>
        <translation>コースを元の状態に戻せませんでした: %1。</translation>
    </message>
    <message>
        <source>Stop &amp;recording</source>
        <translation>記録を停止(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Record a drive</source>
        <translation>走行を記録(&amp;R)</translation>
    </message>
    <message>
        <source>Stop the re&amp;play</source>
        <translation>再生を停止(&amp;P)</translation>
    </message>
    <message>
        <source>Re&amp;play the drive</source>
        <translation>走行を再生(&amp;P)</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>record</source>
        <translation>記録</translation>
    </message>
    <message>
        <source>replay</source>
        <translation>再生</translation>
    </message>
</context>
<context>
    <name>ReplayResultDialog</name>
    <message>
        <source>Replay of %1</source>
        <translation>%1 の再生</translation>
    </message>
    <message>
        <source>Placed object</source>
        <translation>配置した物体</translation>
    </message>
    <message>
        <source>Ended this far from its end in the recording</source>
        <translation>記録での終了位置からの距離</translation>
    </message>
    <message>
        <source>no longer placed</source>
        <translation>もう配置されていません</translation>
    </message>
    <message>
        <source>not in the recording</source>
        <translation>記録にありません</translation>
    </message>
    <message>
        <source>0 (exactly as recorded)</source>
        <translation>0 (記録のとおり)</translation>
    </message>
    <message>
        <source>less than 0.001</source>
        <translation>0.001 未満</translation>
    </message>
    <message numerus="yes">
        <source>Replayed %n frame(s): the %1 kept to its recorded path in every frame, and every object ended exactly where it ended in the recording.</source>
        <translation>
            <numerusform>%n フレームを再生しました: %1 はすべてのフレームで記録どおりの道筋をたどり、すべての物体が記録と同じ位置で終わりました。</numerusform>
        </translation>
    </message>
    <message>
        <source>the %1 kept to its recorded path</source>
        <translation>%1 は記録どおりの道筋をたどりました</translation>
    </message>
    <message>
        <source>the %1 left its recorded path at frame %2 (at most %3 from it)</source>
        <translation>%1 はフレーム %2 で記録の道筋から外れました(最大 %3 の差)</translation>
    </message>
    <message numerus="yes">
        <source>Replayed %n frame(s): %1; the objects ended up to %2 from where they ended in the recording.</source>
        <translation>
            <numerusform>%n フレームを再生しました: %1。物体の終了位置は記録と最大 %2 違いました。</numerusform>
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
        <translation>TumblewayBuilder のウィンドウを開けません: %1。デスクトップのセッションで起動するか、仮想画面を使う xvfb-run の下で起動してください。</translation>
    </message>
</context>
</TS>
