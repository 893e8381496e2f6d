<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>cli</name>
    <message>
        <source>Converts BMP and JPEG pictures (PNG and GIF too) into 65K-colour BIN files for the
display unit: two bytes a pixel, 5-6-5 bits of red, green and blue, low byte first,
rows from the top. The bytes are the same as the window program writes.

Each BIN file is written beside its picture, named as the window&apos;s batch run names it:
the last three characters of the name become BIN (photo.jpg gives photo.BIN). An older
BIN file is replaced; a picture never is.</source>
        <translation>BMP・JPEG画像（PNG・GIFも）を表示ユニット用の65K色BINファイルに変換します。
1画素2バイト、赤・緑・青を5・6・5ビット、下位バイトが先、行は上から順です。
バイト列はウィンドウのプログラムが書くものと同じです。

BINファイルは画像の隣に、ウィンドウの自動処理と同じ名前で書きます。名前の最後の
3文字がBINになります（photo.jpgからphoto.BIN）。古いBINファイルは置き換えますが、
画像を置き換えることはありません。</translation>
    </message>
    <message>
        <source>
Exit status: 0 when every picture was converted, 1 when any failed,
2 when the command line was wrong.

Examples:
  varnello-convert photo.jpg
  varnello-convert -o out/ pictures/*.bmp
  varnello-convert --max-size 320x240 -o logo.BIN logo.bmp
  cat photo.jpg | varnello-convert -o - - &gt; photo.BIN
</source>
        <translation>
終了ステータス: すべての画像を変換できたとき0、変換できない画像があったとき1、
コマンドラインが正しくないとき2。

例:
  varnello-convert photo.jpg
  varnello-convert -o out/ pictures/*.bmp
  varnello-convert --max-size 320x240 -o logo.BIN logo.bmp
  cat photo.jpg | varnello-convert -o - - &gt; photo.BIN
</translation>
    </message>
    <message>
        <source>Write into the folder &lt;path&gt; (one that exists), or, for a single picture, into the file &lt;path&gt;; - is standard output.</source>
        <translation>既存のフォルダー&lt;path&gt;に書きます。画像が1つのときはファイル&lt;path&gt;に書きます。-は標準出力です。</translation>
    </message>
    <message>
        <source>Also write the preview the window shows after converting, as a 24-bit BMP file (one picture only).</source>
        <translation>変換後にウィンドウが表示するプレビューも24ビットBMPファイルとして書きます（画像1つのみ）。</translation>
    </message>
    <message>
        <source>Refuse pictures wider or taller than this, such as 640x480. Default: no limit.</source>
        <translation>これより幅か高さが大きい画像は変換しません（例: 640x480）。既定: 制限なし。</translation>
    </message>
    <message>
        <source>Convert &lt;n&gt; pictures at a time (default: %1, the number of cores).</source>
        <translation>&lt;n&gt;個の画像を同時に変換します（既定: コア数の%1）。</translation>
    </message>
    <message>
        <source>Wait until each BIN file is on the disk, so that it survives a power cut. Slower.</source>
        <translation>停電でも失われないよう、BINファイルごとにディスクへの書き込みを待ちます。遅くなります。</translation>
    </message>
    <message>
        <source>Show only errors: no progress, no summary.</source>
        <translation>エラーだけを表示します。進行状況とまとめは表示しません。</translation>
    </message>
    <message>
        <source>The pictures to convert; - is standard input.</source>
        <translation>変換する画像。-は標準入力です。</translation>
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
        <source>-o needs a file or folder name</source>
        <translation>-oにはファイル名かフォルダー名が必要です</translation>
    </message>
    <message>
        <source>--preview needs a file name</source>
        <translation>--previewにはファイル名が必要です</translation>
    </message>
    <message>
        <source>--max-size wants WIDTHxHEIGHT, such as 640x480, not &quot;%1&quot;</source>
        <translation>--max-sizeには幅x高さ（例: 640x480）を指定してください。「%1」は使えません</translation>
    </message>
    <message>
        <source>--jobs wants a whole number of at least 1, not &quot;%1&quot;</source>
        <translation>--jobsには1以上の整数を指定してください。「%1」は使えません</translation>
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
        <source>the picture is too large</source>
        <translation>画像が大きすぎます</translation>
    </message>
    <message>
        <source>nothing came in</source>
        <translation>何も入力されませんでした</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>標準出力</translation>
    </message>
    <message>
        <source>%1: too large: the picture is %2 x %3 pixels, --max-size allows %4 x %5</source>
        <translation>%1: 大きすぎます: 画像は%2×%3画素、--max-sizeは%4×%5まで</translation>
    </message>
    <message>
        <source>%1 bytes are needed for the BIN file</source>
        <translation>BINファイルに%1バイトのメモリが必要です</translation>
    </message>
    <message>
        <source>Try &apos;varnello-convert --help&apos; for more.
</source>
        <translation>詳しくは&apos;varnello-convert --help&apos;を実行してください。
</translation>
    </message>
</context>
<context>
    <name>core</name>
    <message>
        <source>not all bytes could be written</source>
        <translation>すべてのバイトを書き込めませんでした</translation>
    </message>
    <message>
        <source>no file name was given</source>
        <translation>ファイル名が指定されていません</translation>
    </message>
    <message>
        <source>the existing file is not writable</source>
        <translation>既存のファイルに書き込めません</translation>
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
        <source>red</source>
        <translation>赤</translation>
    </message>
    <message>
        <source>green</source>
        <translation>緑</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>青</translation>
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
        <source>the %1 mask of the BMP (0x%2) is not one run of bits</source>
        <translation>BMPの%1のマスク（0x%2）が連続したビットではありません</translation>
    </message>
    <message>
        <source>the %1 mask of the BMP (0x%2) reaches past the 16 bits of a pixel</source>
        <translation>BMPの%1のマスク（0x%2）が1画素16ビットを超えています</translation>
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
        <source>the JPEG data ends before its end marker (the file is incomplete)</source>
        <translation>JPEGデータが終了マーカーの前で終わっています（ファイルが不完全です）</translation>
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
        <source>%1 pictures are not supported</source>
        <translation>%1画像には対応していません</translation>
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
</context>
</TS>
