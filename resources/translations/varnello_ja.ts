<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>cli</name>
    <message>
        <source>Show only errors: no progress, no summary.</source>
        <translation>エラーだけを表示します。進行状況とまとめは表示しません。</translation>
    </message>
    <message>
        <source>Usage: varnello-convert [options] PICTURE...</source>
        <translation>使い方: varnello-convert [オプション] 画像...</translation>
    </message>
    <message>
        <source>no picture was given</source>
        <translation>画像が指定されていません</translation>
    </message>
    <message>
        <source>%1: will not write %2: %3</source>
        <translation>%1: %2には書きません: %3</translation>
    </message>
    <message>
        <source>standard input (-) can be read only once</source>
        <translation>標準入力（-）は1回しか読めません</translation>
    </message>
    <message>
        <source>--preview takes one picture, but %1 were given</source>
        <translation>--previewは画像1つにしか使えませんが、%1個指定されています</translation>
    </message>
    <message>
        <source>%1: no such folder</source>
        <translation>%1: そのようなフォルダーはありません</translation>
    </message>
    <message>
        <source>-o %1 takes one picture, but %2 were given; to convert several, give a folder that exists</source>
        <translation>-o %1は画像1つにしか使えませんが、%2個指定されています。複数を変換するには既存のフォルダーを指定してください</translation>
    </message>
    <message>
        <source>a picture from standard input needs -o FILE or -o -</source>
        <translation>標準入力からの画像には-o ファイルか-o -が必要です</translation>
    </message>
    <message>
        <source>%1: this is a folder; give the pictures in it, such as %2*.jpg</source>
        <translation>%1: これはフォルダーです。中の画像を%2*.jpgのように指定してください</translation>
    </message>
    <message>
        <source>%1: the name is too short to make a BIN name from (fewer than three characters); use -o FILE</source>
        <translation>%1: 名前が3文字より短いのでBINファイルの名前を作れません。-o ファイルを使ってください</translation>
    </message>
    <message>
        <source>it is the picture itself</source>
        <translation>画像ファイルそのものです</translation>
    </message>
    <message>
        <source>it is also given as a picture to convert</source>
        <translation>変換する画像としても指定されています</translation>
    </message>
    <message>
        <source>%1 is converted into it too</source>
        <translation>%1もそこに変換されます</translation>
    </message>
    <message>
        <source>the preview and the BIN file would be one file</source>
        <translation>プレビューとBINファイルが同じファイルになります</translation>
    </message>
    <message>
        <source>converting: %1 of %2</source>
        <translation>変換中: %1／%2</translation>
    </message>
    <message>
        <source>%1 pictures converted</source>
        <translation>%1個の画像を変換しました</translation>
    </message>
    <message>
        <source>%1 pictures: %2 converted, %3 failed</source>
        <translation>画像%1個: %2個を変換、%3個は失敗</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>標準入力</translation>
    </message>
    <message>
        <source>nothing came in</source>
        <translation>何も入力されませんでした</translation>
    </message>
    <message>
        <source>%1: too large: the picture is %2 x %3 pixels, --max-size allows %4 x %5</source>
        <translation>%1: 大きすぎます: 画像は%2×%3画素、--max-sizeは%4×%5まで</translation>
    </message>
    <message>
        <source>Try &apos;varnello-convert --help&apos; for more.
</source>
        <translation>詳しくは&apos;varnello-convert --help&apos;を実行してください。
</translation>
    </message>
    <message>
        <source>The order of each pixel&apos;s two bytes: le, low byte first (the BIN file&apos;s, the default), or be, high byte first. With --from-bin, the order the BIN files were written in.</source>
        <translation>1画素2バイトの順序: leは下位バイトが先（BINファイルの順序、既定）、beは上位バイトが先です。--from-binでは、BINファイルが書かれた順序です。</translation>
    </message>
    <message>
        <source>Dither before the 65K-colour encoding: none (the default: each channel truncated, as the window does), ordered (an 8x8 Bayer pattern) or fs (Floyd-Steinberg error diffusion).</source>
        <translation>65K色にする前にディザリングします: none（既定: ウィンドウと同じく各色の下位ビットを切り捨て）、ordered（8x8のBayerパターン）、fs（Floyd-Steinbergの誤差拡散）。</translation>
    </message>
    <message>
        <source>Scale each picture to exactly this size, such as 320x240, the panel&apos;s. A picture of that size is left as it is.</source>
        <translation>各画像をちょうどこの大きさ（例: パネルの大きさの320x240）に拡大縮小します。すでにその大きさの画像はそのままです。</translation>
    </message>
    <message>
        <source>How --fit scales: contain (the default: the whole picture, centred on the background), cover (the whole panel, the overhang cut off on both sides) or stretch (the aspect given up).</source>
        <translation>--fitの合わせ方: contain（既定: 画像全体を背景の中央に置く）、cover（パネル全体を埋め、はみ出した分は両側で切り取る）、stretch（縦横比を保たない）。</translation>
    </message>
    <message>
        <source>Turn each picture clockwise by 90, 180 or 270 degrees, before --fit.</source>
        <translation>--fitの前に、各画像を時計回りに90・180・270度回します。</translation>
    </message>
    <message>
        <source>The other way: read BIN files of WxH pixels and write what the display unit shows of each as a 24-bit BMP file, NAME.bmp beside the BIN file (a file already there is not replaced, unless -o names it).</source>
        <translation>逆向きの変換: 幅x高さ画素のBINファイルを読み、表示ユニットが表示する画像を24ビットBMPファイルとしてBINファイルの隣のNAME.bmpに書きます（-oで指定しない限り、すでにあるファイルは置き換えません）。</translation>
    </message>
    <message>
        <source>The pictures to convert (with --from-bin, the BIN files); - is standard input.</source>
        <translation>変換する画像（--from-binではBINファイル）。-は標準入力です。</translation>
    </message>
    <message>
        <source>the file exists; name it with -o to replace it</source>
        <translation>ファイルがすでにあります。置き換えるには-oで指定してください</translation>
    </message>
    <message>
        <source>%1: is %2 bytes long, but a BIN file of %3 x %4 pixels is %5 bytes</source>
        <translation>%1: 長さが%2バイトですが、%3×%4画素のBINファイルは%5バイトです</translation>
    </message>
    <message>
        <source>%1: cannot read BIN file: %2</source>
        <translation>%1: BINファイルを読み込めません: %2</translation>
    </message>
    <message>
        <source>Converts BMP, JPEG, PNG and GIF pictures into 65K-colour BIN files for the display unit:
two bytes a pixel, 5-6-5 bits of red, green and blue, low byte first, rows from the top.
Unless options below change them, the bytes are the same as the window program writes.

Each BIN file is written beside its picture, named as the window&apos;s batch run names it:
the last three characters of the name become BIN (photo.jpg gives photo.BIN). An older
file of that name is replaced whole; a picture given on the command line never is. A
device or a pipe (-o /dev/null) is written into, never replaced.</source>
        <translation>BMP・JPEG・PNG・GIF画像を表示ユニット用の65K色BINファイルに変換します。1画素2バイト、
赤・緑・青を5・6・5ビット、下位バイトが先、行は上から順です。下のオプションで変えない
限り、バイト列はウィンドウのプログラムが書くものと同じです。

BINファイルは画像の隣に、ウィンドウの自動処理と同じ名前で書きます。名前の最後の
3文字がBINになります（photo.jpgからphoto.BIN）。同じ名前の古いファイルは丸ごと
置き換えますが、コマンドラインで指定した画像を置き換えることはありません。デバイスや
パイプ（-o /dev/null）には書き込むだけで、置き換えません。</translation>
    </message>
    <message>
        <source>Exit status: 0 when every picture was converted, 1 when any failed,
2 when the command line was wrong.

Examples:
  varnello-convert photo.jpg
  varnello-convert -o out/ pictures/*.bmp
  varnello-convert --max-size 320x240 -o logo.BIN logo.bmp
  cat photo.jpg | varnello-convert -o - - &gt; photo.BIN

For firmware: logo.c and logo.h hold logo.png fitted to a 320x240
panel and dithered, as a C array; photo.BIN holds photo.jpg turned
a quarter to fill a 240x320 panel, high byte first; shown.bmp is
what the display unit shows of photo.BIN, read back the same way.
  varnello-convert --fit 320x240 --dither fs --format c logo.png
  varnello-convert --rotate 90 --fit 240x320 --fit-mode cover \
      --byte-order be photo.jpg
  varnello-convert --from-bin 240x320 --byte-order be -o shown.bmp \
      photo.BIN
</source>
        <translation>終了ステータス: すべての画像を変換できたとき0、変換できない画像があったとき1、
コマンドラインが正しくないとき2。

例:
  varnello-convert photo.jpg
  varnello-convert -o out/ pictures/*.bmp
  varnello-convert --max-size 320x240 -o logo.BIN logo.bmp
  cat photo.jpg | varnello-convert -o - - &gt; photo.BIN

ファームウェア向け: logo.cとlogo.hにはlogo.pngを320x240のパネルに
合わせてディザリングしたものがCの配列で入ります。photo.BINにはphoto.jpgを
90度回して240x320のパネルを埋めたものが上位バイトを先にして入ります。
shown.bmpはphoto.BINを同じ設定で読み戻し、表示ユニットが表示する画像です。
  varnello-convert --fit 320x240 --dither fs --format c logo.png
  varnello-convert --rotate 90 --fit 240x320 --fit-mode cover \
      --byte-order be photo.jpg
  varnello-convert --from-bin 240x320 --byte-order be -o shown.bmp \
      photo.BIN
</translation>
    </message>
    <message>
        <source>Write into the folder PATH (one that exists), or, for one picture or one C source of several, into the file PATH; - is standard output.</source>
        <translation>既存のフォルダーPATHに書きます。画像が1つのとき、または複数の画像を1つのCソースにするときはファイルPATHに書きます。-は標準出力です。</translation>
    </message>
    <message>
        <source>a file or folder name</source>
        <translation>ファイル名かフォルダー名</translation>
    </message>
    <message>
        <source>Also write what the display unit will show as a 24-bit BMP file (one picture only).</source>
        <translation>表示ユニットに表示される画像も24ビットBMPファイルとして書きます（画像1つのみ）。</translation>
    </message>
    <message>
        <source>a file name</source>
        <translation>ファイル名</translation>
    </message>
    <message>
        <source>Refuse pictures wider or taller than this, such as 640x480, once cut, turned and fitted. Default: no limit.</source>
        <translation>切り取り・回転・拡大縮小の後で、これより幅か高さが大きい画像は変換しません（例: 640x480）。既定: 制限なし。</translation>
    </message>
    <message>
        <source>WIDTHxHEIGHT, such as 640x480</source>
        <translation>幅x高さ（例: 640x480）</translation>
    </message>
    <message>
        <source>Convert N pictures at a time (default: the number of cores).</source>
        <translation>N個の画像を同時に変換します（既定: コア数）。</translation>
    </message>
    <message>
        <source>a whole number of at least 1</source>
        <translation>1以上の整数</translation>
    </message>
    <message>
        <source>Wait until each file is on the disk, so that it survives a power cut. Slower.</source>
        <translation>停電でも失われないよう、ファイルごとにディスクへの書き込みを待ちます。遅くなります。</translation>
    </message>
    <message>
        <source>Describe each picture and what was made of it as JSON on standard output, instead of the summary.</source>
        <translation>まとめの代わりに、各画像と作ったファイルをJSONで標準出力に書きます。</translation>
    </message>
    <message>
        <source>Convert but write nothing: say what each output would be.</source>
        <translation>変換だけして何も書き込みません。書き込むはずのファイルを表示します。</translation>
    </message>
    <message>
        <source>le or be</source>
        <translation>leかbe</translation>
    </message>
    <message>
        <source>Keep only W x H pixels from X, Y of each picture (0,0 is its top left), before anything else.</source>
        <translation>ほかの処理の前に、各画像の X, Y から W×H 画素だけを残します（0,0 が左上）。</translation>
    </message>
    <message>
        <source>X,Y,WIDTH,HEIGHT, such as 0,0,320,240</source>
        <translation>X,Y,幅,高さ（例: 0,0,320,240）</translation>
    </message>
    <message>
        <source>Transparent pixels: ignore takes the colour the file stores for them (the default), blend lays them over the --background colour.</source>
        <translation>透明な画素: ignoreはファイルに記録された色を使い（既定）、blendは--backgroundの色に重ねます。</translation>
    </message>
    <message>
        <source>ignore or blend</source>
        <translation>ignoreかblend</translation>
    </message>
    <message>
        <source>Pixels less than half opaque become exactly this colour, for firmware that skips it when it draws.</source>
        <translation>不透明度が半分未満の画素をちょうどこの色にします。描画時にこの色を飛ばすファームウェア向けです。</translation>
    </message>
    <message>
        <source>a colour as RRGGBB in hex, such as ff00ff</source>
        <translation>色をRRGGBBの16進数で（例: ff00ff）</translation>
    </message>
    <message>
        <source>The colour of the bands that --fit-mode contain adds and that --alpha blend lays pictures over, in hex (default: 000000, black).</source>
        <translation>--fit-mode containで足す帯の色と、--alpha blendで画像を重ねる色を16進数で指定します（既定: 000000、黒）。</translation>
    </message>
    <message>
        <source>a colour as RRGGBB in hex, such as ff8000</source>
        <translation>色をRRGGBBの16進数で（例: ff8000）</translation>
    </message>
    <message>
        <source>90, 180 or 270</source>
        <translation>90・180・270のどれか</translation>
    </message>
    <message>
        <source>WIDTHxHEIGHT, such as 320x240</source>
        <translation>幅x高さ（例: 320x240）</translation>
    </message>
    <message>
        <source>contain, cover or stretch</source>
        <translation>contain・cover・stretchのどれか</translation>
    </message>
    <message>
        <source>none, ordered or fs</source>
        <translation>none・ordered・fsのどれか</translation>
    </message>
    <message>
        <source>Every frame of an animated GIF, each its own output, numbered before the last dot of the name (anim-001.BIN, anim-002.BIN, ...). Without it, the first frame.</source>
        <translation>アニメーションGIFのすべてのフレームを、名前の最後のドットの前に番号を付けた別々のファイルにします（anim-001.BIN、anim-002.BIN、…）。指定しないときは最初のフレームです。</translation>
    </message>
    <message>
        <source>Write bin (the default), or c: C source NAME.c and its header NAME.h beside the picture, with the bytes in the array NAME, NAME being the picture&apos;s name made into a C identifier.</source>
        <translation>bin（既定）かcを書きます。cは画像の隣のCソースNAME.cとヘッダーNAME.hで、バイト列を配列NAMEに入れます。NAMEは画像の名前をCの識別子にしたものです。</translation>
    </message>
    <message>
        <source>bin or c</source>
        <translation>binかc</translation>
    </message>
    <message>
        <source>With --format c, the array&apos;s name instead of the picture&apos;s (one picture).</source>
        <translation>--format cで、画像の名前の代わりに使う配列の名前です（画像1つのみ）。</translation>
    </message>
    <message>
        <source>a C identifier that means nothing else to C or C++, such as logo_le</source>
        <translation>CやC++で他の意味を持たないCの識別子（例: logo_le）</translation>
    </message>
    <message>
        <source>With --format c, the array&apos;s elements: u8, the bytes (the default), or u16, each pixel&apos;s 5-6-5 word as a uint16_t (byte-swapped with --byte-order be).</source>
        <translation>--format cでの配列の要素: u8はバイト（既定）、u16は各画素の5-6-5の語をuint16_tで（--byte-order beではバイトを入れ替えて）入れます。</translation>
    </message>
    <message>
        <source>u8 or u16</source>
        <translation>u8かu16</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>このヘルプを表示します。</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>バージョンを表示します。</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>オプション:</translation>
    </message>
    <message>
        <source>--from-bin cannot be combined with %1</source>
        <translation>--from-binと%1は一緒に使えません</translation>
    </message>
    <message>
        <source>%1 needs %2</source>
        <translation>%1には%2が必要です</translation>
    </message>
    <message>
        <source>--name names one picture, but %1 were given</source>
        <translation>--nameは画像1つの名前ですが、%1個指定されています</translation>
    </message>
    <message>
        <source>--frames makes several files, which standard output cannot take</source>
        <translation>--framesは複数のファイルを作るので、標準出力には書けません</translation>
    </message>
    <message>
        <source>--frames cannot be combined with --preview</source>
        <translation>--framesと--previewは一緒に使えません</translation>
    </message>
    <message>
        <source>--json and -o - would both write to standard output</source>
        <translation>--jsonと-o -が両方とも標準出力に書くことになります</translation>
    </message>
    <message>
        <source>there is no option %1</source>
        <translation>%1というオプションはありません</translation>
    </message>
    <message>
        <source>there is no option %1; did you mean %2?</source>
        <translation>%1というオプションはありません。%2のことですか?</translation>
    </message>
    <message>
        <source>%1 needs a value: %2</source>
        <translation>%1には値が必要です: %2</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1は値をとりません</translation>
    </message>
    <message>
        <source>%1 wants %2, not &quot;%3&quot;</source>
        <translation>%1には%2を指定してください。「%3」は使えません</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>標準出力</translation>
    </message>
    <message>
        <source>would write %1: %2 x %3 pixels, %4 bytes of BIN data
</source>
        <translation>%1に書き込みます（予定）: %2×%3画素、BINデータ%4バイト
</translation>
    </message>
    <message>
        <source>%1: an animation of %2 frames; the first was converted (--frames converts each)</source>
        <translation>%1: %2フレームのアニメーションです。最初のフレームを変換しました（--framesで各フレームを変換します）</translation>
    </message>
    <message>
        <source>the C source and its header would be one file</source>
        <translation>Cソースとそのヘッダーが同じファイルになります</translation>
    </message>
    <message>
        <source>the preview and the C header would be one file</source>
        <translation>プレビューとCヘッダーが同じファイルになります</translation>
    </message>
    <message>
        <source>would write %1: the C header, %2 x %3 pixels
</source>
        <translation>%1に書き込みます（予定）: Cヘッダー、%2×%3画素
</translation>
    </message>
    <message>
        <source>not a picture in a format this program reads</source>
        <translation>このプログラムが読める形式の画像ではありません</translation>
    </message>
    <message>
        <source>more than %1 bytes came in, the most this program reads</source>
        <translation>このプログラムが読む上限の%1バイトを超えるデータが入力されました</translation>
    </message>
    <message>
        <source>%1: is more than %2 bytes long, but a BIN file of %3 x %4 pixels is %2 bytes</source>
        <translation>%1: 長さが%2バイトを超えていますが、%3×%4画素のBINファイルは%2バイトです</translation>
    </message>
    <message>
        <source>standard output is closed</source>
        <translation>標準出力が閉じています</translation>
    </message>
</context>
<context>
    <name>core</name>
    <message>
        <source>no file name was given</source>
        <translation>ファイル名が指定されていません</translation>
    </message>
    <message>
        <source>there is no picture</source>
        <translation>画像がありません</translation>
    </message>
    <message>
        <source>the file ends after %1 bytes, but its header describes %2</source>
        <translation>ファイルが%1バイトで終わっていますが、ヘッダーには%2バイトとあります</translation>
    </message>
    <message>
        <source>the file ends inside its BMP header</source>
        <translation>ファイルがBMPヘッダーの途中で終わっています</translation>
    </message>
    <message>
        <source>a BMP info header of %1 bytes is not a layout this program knows</source>
        <translation>%1バイトの情報ヘッダーを持つBMPは、このプログラムの知らない形式です</translation>
    </message>
    <message>
        <source>an OS/2 Huffman-coded BMP is not supported</source>
        <translation>OS/2のハフマン符号化BMPには対応していません</translation>
    </message>
    <message>
        <source>the picture data of the BMP starts inside its header</source>
        <translation>BMPの画素データがヘッダーの中から始まっています</translation>
    </message>
    <message>
        <source>a BMP with CMYK colours is not supported</source>
        <translation>CMYKカラーのBMPには対応していません</translation>
    </message>
    <message>
        <source>a BMP with compression method %1 is not supported</source>
        <translation>圧縮方式%1のBMPには対応していません</translation>
    </message>
    <message>
        <source>the BMP has no palette: its pixel data starts at byte %1, where the palette belongs</source>
        <translation>BMPにパレットがありません: パレットのあるべき%1バイト目から画素データが始まっています</translation>
    </message>
    <message>
        <source>a BMP of 64 bits a pixel is not supported</source>
        <translation>1画素64ビットのBMPには対応していません</translation>
    </message>
    <message>
        <source>a BMP of %1 bits a pixel is not valid</source>
        <translation>1画素%1ビットのBMPは正しくありません</translation>
    </message>
    <message>
        <source>run-length coding is not valid for a BMP of %1 bits a pixel</source>
        <translation>1画素%1ビットのBMPにランレングス符号化は使えません</translation>
    </message>
    <message>
        <source>channel masks are not valid for a BMP of %1 bits a pixel</source>
        <translation>1画素%1ビットのBMPにカラーマスクは使えません</translation>
    </message>
    <message>
        <source>a BMP of %1 x %2 pixels holds no picture</source>
        <translation>%1×%2画素のBMPには画像がありません</translation>
    </message>
    <message>
        <source>a BMP with rows from the top cannot be run-length coded</source>
        <translation>上から並ぶ行のBMPはランレングス符号化できません</translation>
    </message>
    <message>
        <source>the run-length pixel data ends before its last row (the file is incomplete)</source>
        <translation>ランレングスの画素データが最後の行の前で終わっています（ファイルが不完全です）</translation>
    </message>
    <message>
        <source>the picture does not fit into memory</source>
        <translation>画像がメモリに入りません</translation>
    </message>
    <message>
        <source>%1 bytes of memory are needed for the BIN data</source>
        <translation>BINデータに%1バイトのメモリが必要です</translation>
    </message>
    <message>
        <source>cannot read picture</source>
        <translation>画像を読み込めません</translation>
    </message>
    <message>
        <source>cannot write file</source>
        <translation>ファイルを書き込めません</translation>
    </message>
    <message>
        <source>not enough memory</source>
        <translation>メモリが足りません</translation>
    </message>
    <message>
        <source>nothing has been converted yet</source>
        <translation>まだ何も変換されていません</translation>
    </message>
    <message>
        <source>the JPEG data ends early (the file is incomplete)</source>
        <translation>JPEGデータが途中で終わっています（ファイルが不完全です）</translation>
    </message>
    <message>
        <source>the JPEG data is damaged: %1</source>
        <translation>JPEGデータが壊れています: %1</translation>
    </message>
    <message>
        <source>%1-bit JPEG pictures are not supported</source>
        <translation>%1ビットのJPEG画像には対応していません</translation>
    </message>
    <message>
        <source>lossless JPEG pictures are not supported</source>
        <translation>ロスレスJPEG画像には対応していません</translation>
    </message>
    <message>
        <source>hierarchical JPEG pictures are not supported</source>
        <translation>階層型JPEG画像には対応していません</translation>
    </message>
    <message>
        <source>JPEG pictures of %1 colour components are not supported</source>
        <translation>色成分が%1個のJPEG画像には対応していません</translation>
    </message>
    <message>
        <source>the JPEG picture needs more than the %1 MiB its decoder may take</source>
        <translation>このJPEG画像のデコードには、使用を許された%1MiBを超えるメモリが必要です</translation>
    </message>
    <message>
        <source>the PNG data ends before its end chunk (the file is incomplete)</source>
        <translation>PNGデータが終了チャンクの前で終わっています（ファイルが不完全です）</translation>
    </message>
    <message>
        <source>the GIF data ends inside its picture (the file is incomplete)</source>
        <translation>GIFデータが画像の途中で終わっています（ファイルが不完全です）</translation>
    </message>
    <message>
        <source>a chunk of the PNG is damaged (its checksum does not match)</source>
        <translation>PNGのチャンクが壊れています（チェックサムが一致しません）</translation>
    </message>
    <message>
        <source>the compressed image data of the PNG is damaged</source>
        <translation>PNGの圧縮された画像データが壊れています</translation>
    </message>
    <message>
        <source>the compressed image data of the PNG is damaged (its Adler-32 checksum does not match)</source>
        <translation>PNGの圧縮された画像データが壊れています（Adler-32チェックサムが一致しません）</translation>
    </message>
    <message>
        <source>the compressed image data of the PNG stops before its end</source>
        <translation>PNGの圧縮された画像データが終わりの前で途切れています</translation>
    </message>
    <message>
        <source>the compressed image data of the PNG holds more than its rows</source>
        <translation>PNGの圧縮された画像データが全行の分より多くあります</translation>
    </message>
    <message>
        <source>the PNG image data ends before its last row</source>
        <translation>PNGの画像データが最後の行の前で終わっています</translation>
    </message>
    <message>
        <source>the PNG holds no image data, or its chunks are out of order</source>
        <translation>PNGに画像データがないか、チャンクの順序が正しくありません</translation>
    </message>
    <message>
        <source>the PNG has no palette for its colours</source>
        <translation>PNGに色のパレットがありません</translation>
    </message>
    <message>
        <source>the PNG needs a kind of chunk this program does not know</source>
        <translation>PNGにこのプログラムが知らない種類の必須チャンクがあります</translation>
    </message>
    <message>
        <source>the PNG holds more text or colour profile data than this program accepts</source>
        <translation>PNGのテキストまたはカラープロファイルのデータが、このプログラムで扱える量を超えています</translation>
    </message>
    <message>
        <source>the PNG header is not valid</source>
        <translation>PNGのヘッダーが正しくありません</translation>
    </message>
    <message>
        <source>the PNG data is not valid</source>
        <translation>PNGデータが正しくありません</translation>
    </message>
    <message>
        <source>the compressed pixel data of the GIF is damaged</source>
        <translation>GIFの圧縮された画素データが壊れています</translation>
    </message>
    <message>
        <source>the LZW minimum code size of the GIF is %1; only %2 to %3 can be decoded</source>
        <translation>GIFのLZW最小コードサイズが%1です。読めるのは%2から%3までです</translation>
    </message>
    <message>
        <source>the GIF data is damaged</source>
        <translation>GIFデータが壊れています</translation>
    </message>
    <message>
        <source>the GIF file holds no picture</source>
        <translation>GIFファイルに画像がありません</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 pixels)</source>
        <translation>画像が大きすぎます（%1×%2画素）</translation>
    </message>
    <message>
        <source>the %1 picture inside the BMP cannot be read</source>
        <translation>BMPの中の%1画像を読み込めません</translation>
    </message>
    <message>
        <source>not a picture in a format this program reads</source>
        <translation>このプログラムが読める形式の画像ではありません</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>ファイルがありません</translation>
    </message>
    <message>
        <source>this is a folder, not a picture file</source>
        <translation>画像ファイルではなくフォルダーです</translation>
    </message>
    <message>
        <source>this is not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>the file is too large (%1 bytes)</source>
        <translation>ファイルが大きすぎます（%1バイト）</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>ファイルが大きすぎます</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>ファイルが空です</translation>
    </message>
    <message>
        <source>no free name for a temporary file</source>
        <translation>一時ファイルの名前を確保できません</translation>
    </message>
    <message>
        <source>the link belongs to another user in a shared folder (sticky, world-writable); it is not followed</source>
        <translation>共有フォルダー（スティッキービット付きで誰でも書き込めるフォルダー）にある他のユーザーのシンボリックリンクなので、たどりません</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>読み取り専用のファイルです</translation>
    </message>
    <message>
        <source>the file changed while it was opened</source>
        <translation>開く間にファイルが変わりました</translation>
    </message>
    <message>
        <source>this is a folder</source>
        <translation>フォルダーです</translation>
    </message>
    <message>
        <source>this is a block device (a disk or a partition), which is never written</source>
        <translation>ブロックデバイス（ディスクまたはパーティション）です。書き込みません</translation>
    </message>
    <message>
        <source>this is a socket, which is never written</source>
        <translation>ソケットです。書き込みません</translation>
    </message>
    <message>
        <source>this is not a file that can be written</source>
        <translation>書き込めるファイルではありません</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>標準出力</translation>
    </message>
    <message>
        <source>standard output is closed</source>
        <translation>標準出力が閉じています</translation>
    </message>
    <message>
        <source>no such file or folder</source>
        <translation>そのようなファイルまたはフォルダーはありません</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>アクセスが拒否されました</translation>
    </message>
    <message>
        <source>no space left on the device</source>
        <translation>デバイスに空き領域がありません</translation>
    </message>
    <message>
        <source>the disk quota is used up</source>
        <translation>ディスクの割り当て量を使い切りました</translation>
    </message>
    <message>
        <source>the file system is read-only</source>
        <translation>読み取り専用のファイルシステムです</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>パスの途中にフォルダーでないものがあります</translation>
    </message>
    <message>
        <source>the name is too long</source>
        <translation>名前が長すぎます</translation>
    </message>
    <message>
        <source>too many symbolic links</source>
        <translation>シンボリックリンクが多すぎます</translation>
    </message>
    <message>
        <source>the device reported an input/output error</source>
        <translation>デバイスが入出力エラーを報告しました</translation>
    </message>
    <message>
        <source>the file is too large for the file system</source>
        <translation>ファイルシステムにとってファイルが大きすぎます</translation>
    </message>
    <message>
        <source>too many files are open</source>
        <translation>開いているファイルが多すぎます</translation>
    </message>
    <message>
        <source>the file is in use</source>
        <translation>ファイルは使用中です</translation>
    </message>
    <message>
        <source>the file cannot be moved to another file system</source>
        <translation>別のファイルシステムへはファイルを移せません</translation>
    </message>
    <message>
        <source>the program reading from the pipe has closed it</source>
        <translation>パイプを読むプログラムがパイプを閉じました</translation>
    </message>
    <message>
        <source>no program reads from the pipe</source>
        <translation>パイプを読むプログラムがありません</translation>
    </message>
    <message>
        <source>the stream is not open for writing</source>
        <translation>書き込み用に開かれていません</translation>
    </message>
    <message>
        <source>the file exists already</source>
        <translation>ファイルが既にあります</translation>
    </message>
    <message>
        <source>the device does not take this operation</source>
        <translation>デバイスがこの操作を受け付けません</translation>
    </message>
    <message>
        <source>the device is not ready</source>
        <translation>デバイスの準備ができていません</translation>
    </message>
    <message>
        <source>the name is not valid on this system</source>
        <translation>このシステムでは使えない名前です</translation>
    </message>
    <message>
        <source>system error %1 (%2)</source>
        <translation>システムエラー %1 (%2)</translation>
    </message>
    <message>
        <source>the crop %1 (%2 x %3 pixels) reaches outside the picture of %4 x %5 pixels</source>
        <translation>切り取り範囲%1（%2×%3画素）が%4×%5画素の画像の外にはみ出しています</translation>
    </message>
    <message>
        <source>frame %1</source>
        <translation>フレーム%1</translation>
    </message>
    <message>
        <source>a picture of %1 x %2 pixels does not fit</source>
        <translation>%1×%2画素の画像がメモリーに入りません</translation>
    </message>
    <message>
        <source>the red mask of the BMP (0x%1) is not one run of bits</source>
        <translation>BMPの赤のマスク（0x%1）が連続したビットではありません</translation>
    </message>
    <message>
        <source>the green mask of the BMP (0x%1) is not one run of bits</source>
        <translation>BMPの緑のマスク（0x%1）が連続したビットではありません</translation>
    </message>
    <message>
        <source>the blue mask of the BMP (0x%1) is not one run of bits</source>
        <translation>BMPの青のマスク（0x%1）が連続したビットではありません</translation>
    </message>
    <message>
        <source>the alpha mask of the BMP (0x%1) is not one run of bits</source>
        <translation>BMPのアルファのマスク（0x%1）が連続したビットではありません</translation>
    </message>
    <message>
        <source>the red mask of the BMP (0x%1) reaches past the 16 bits of a pixel</source>
        <translation>BMPの赤のマスク（0x%1）が1画素16ビットを超えています</translation>
    </message>
    <message>
        <source>the green mask of the BMP (0x%1) reaches past the 16 bits of a pixel</source>
        <translation>BMPの緑のマスク（0x%1）が1画素16ビットを超えています</translation>
    </message>
    <message>
        <source>the blue mask of the BMP (0x%1) reaches past the 16 bits of a pixel</source>
        <translation>BMPの青のマスク（0x%1）が1画素16ビットを超えています</translation>
    </message>
    <message>
        <source>the alpha mask of the BMP (0x%1) reaches past the 16 bits of a pixel</source>
        <translation>BMPのアルファのマスク（0x%1）が1画素16ビットを超えています</translation>
    </message>
    <message>
        <source>the JPEG data is damaged: its data stops before the picture is complete</source>
        <translation>JPEGデータが壊れています: 画像が完成する前にデータが止まっています</translation>
    </message>
    <message>
        <source>the JPEG data is damaged: its coded data does not end where its next part begins</source>
        <translation>JPEGデータが壊れています: 符号化データが次の部分の始まる位置で終わっていません</translation>
    </message>
    <message>
        <source>the JPEG data is damaged: its coded data holds an invalid code</source>
        <translation>JPEGデータが壊れています: 符号化データに無効な符号があります</translation>
    </message>
    <message>
        <source>the JPEG data is damaged: a restart marker is missing or out of order</source>
        <translation>JPEGデータが壊れています: リスタートマーカーが欠けているか、順序が違います</translation>
    </message>
    <message>
        <source>the JPEG data is damaged: its scans do not fit together</source>
        <translation>JPEGデータが壊れています: スキャン同士が整合していません</translation>
    </message>
</context>
</TS>
