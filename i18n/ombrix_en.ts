<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Message</name>
    <message>
        <source>予期しないエラーが発生しました</source>
        <translation>An unexpected error occurred</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %1 を作成できません</source>
        <translation>Cannot create the file %1</translation>
    </message>
    <message>
        <source>ｽﾄﾘｰﾑへの書き込みｴﾗｰ</source>
        <translation>Error writing to the file</translation>
    </message>
    <message>
        <source>ｼｽﾃﾑ ﾘｿｰｽが足りません</source>
        <translation>Not enough system resources</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write to %1</translation>
    </message>
    <message>
        <source>%1 を読み込めません</source>
        <translation>Cannot read %1</translation>
    </message>
    <message>
        <source>%1 を削除できません</source>
        <translation>Cannot remove %1</translation>
    </message>
    <message>
        <source>%1 にはルックがありません</source>
        <translation>%1 holds no Ombrix look</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ %1 を作成できません</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>%1 を起動できません</source>
        <translation>Cannot start %1</translation>
    </message>
</context>
<context>
    <name>ombrix::TAboutBox</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Ombrix</translation>
    </message>
    <message>
        <source>Version  1.03</source>
        <translation>Version  1.03</translation>
    </message>
    <message>
        <source>Seamless wallpaper, grown by cells</source>
        <translation>Seamless wallpaper, grown by cells</translation>
    </message>
    <message>
        <source>Settings are kept in</source>
        <translation>Settings are kept in</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1
Read at start from %2, which an earlier version left beside the program; that file is never written.</source>
        <translation>%1
Read at start from %2, which an earlier version left beside the program; that file is never written.</translation>
    </message>
</context>
<context>
    <name>ombrix::TFontColorDialog</name>
    <message>
        <source>Font</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>Italic</translation>
    </message>
    <message>
        <source>Color...</source>
        <translation>Color...</translation>
    </message>
</context>
<context>
    <name>ombrix::TGalleryFm</name>
    <message>
        <source>ギャラリー</source>
        <translation>Gallery</translation>
    </message>
    <message>
        <source>バリエーション</source>
        <translation>Variations</translation>
    </message>
    <message>
        <source>お気に入り</source>
        <translation>Favourites</translation>
    </message>
    <message>
        <source>もっと</source>
        <translation>More</translation>
    </message>
    <message>
        <source>☆ 今のルック</source>
        <translation>☆ Current look</translation>
    </message>
    <message>
        <source>メイン ウィンドウのルックをお気に入りに追加</source>
        <translation>Add the main window&apos;s look to the favourites</translation>
    </message>
    <message>
        <source>読み込み...</source>
        <translation>Import...</translation>
    </message>
    <message>
        <source>書き出し...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>クリックでこのルックを使います</source>
        <translation>Click to use this look</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>お気に入りはまだありません。☆ で追加します。</source>
        <translation>No favourites yet. Add one with ☆.</translation>
    </message>
    <message>
        <source>ルックを読み込む</source>
        <translation>Import a look</translation>
    </message>
    <message>
        <source>ルック (*.ini);;すべてのファイル (*)</source>
        <translation>Looks (*.ini);;All files (*)</translation>
    </message>
    <message>
        <source>ルックを書き出す</source>
        <translation>Export the look</translation>
    </message>
    <message>
        <source>ルック (*.ini)</source>
        <translation>Looks (*.ini)</translation>
    </message>
</context>
<context>
    <name>ombrix::TOmbrixFm</name>
    <message>
        <source>詳細設定...</source>
        <translation>Details...</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ColorTable Randomize</source>
        <translation>ColorTable Randomize</translation>
    </message>
    <message>
        <source>Field Initialize</source>
        <translation>Field Initialize</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>ビットマップ･ファイル (*.bmp)</source>
        <translation>Bitmap files (*.bmp)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>壁紙...</source>
        <translation>Desktop...</translation>
    </message>
    <message>
        <source>ギャラリー...</source>
        <translation>Gallery...</translation>
    </message>
    <message>
        <source>☆ お気に入りに追加</source>
        <translation>☆ Add to favourites</translation>
    </message>
    <message>
        <source>ルックを読み込む...</source>
        <translation>Import a look...</translation>
    </message>
    <message>
        <source>ルックを書き出す...</source>
        <translation>Export the look...</translation>
    </message>
    <message>
        <source>見本...</source>
        <translation>Gallery...</translation>
    </message>
    <message>
        <source>ギャラリー</source>
        <translation>Gallery</translation>
    </message>
    <message>
        <source>The field has no cells, so there is no picture to put on the desktop</source>
        <translation>The field has no cells, so there is no picture to put on the desktop</translation>
    </message>
    <message>
        <source>The screen reports a size of %1 x %2 pixels, so no picture can be made for it; try &quot;%3&quot;</source>
        <translation>The screen reports a size of %1 x %2 pixels, so no picture can be made for it; try &quot;%3&quot;</translation>
    </message>
    <message>
        <source>The previous desktop background could not be put back.

Ways tried:</source>
        <translation>The previous desktop background could not be put back.

Ways tried:</translation>
    </message>
    <message>
        <source>The desktop background could not be set. The picture is saved as
%1
to set it by hand.

Ways tried:</source>
        <translation>The desktop background could not be set. The picture is saved as
%1
to set it by hand.

Ways tried:</translation>
    </message>
</context>
<context>
    <name>ombrix::TSetupDlg</name>
    <message>
        <source>詳細設定</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ユニット幅</source>
        <translation>Unit width</translation>
    </message>
    <message>
        <source>ユニット高さ</source>
        <translation>Unit height</translation>
    </message>
    <message>
        <source>使用色数</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>分割数</source>
        <translation>Divisions</translation>
    </message>
    <message>
        <source>Tiling Type</source>
        <translation>Tiling Type</translation>
    </message>
    <message>
        <source>Type 1</source>
        <translation>Type 1</translation>
    </message>
    <message>
        <source>Type 2</source>
        <translation>Type 2</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>1 to the number of colours (%1)</source>
        <translation>1 to the number of colours (%1)</translation>
    </message>
</context>
<context>
    <name>ombrix::TTextSetDlg</name>
    <message>
        <source>Text 設定</source>
        <translation>Text Settings</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Text:</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Font</translation>
    </message>
</context>
<context>
    <name>ombrix::TThumbnail</name>
    <message>
        <source>クリックでこのルックを使います</source>
        <translation>Click to use this look</translation>
    </message>
    <message>
        <source>お気に入りに追加</source>
        <translation>Add to favourites</translation>
    </message>
</context>
<context>
    <name>ombrix::TWallpaperDlg</name>
    <message>
        <source>壁紙</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>This screen</source>
        <translation>This screen</translation>
    </message>
    <message>
        <source>ライブ</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>ログイン時に開始</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>All screens</source>
        <translation>All screens</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>Tile</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Previous wallpaper</source>
        <translation>Previous wallpaper</translation>
    </message>
    <message>
        <source>Puts back the background the desktop had before Ombrix&apos;s picture.</source>
        <translation>Puts back the background the desktop had before Ombrix&apos;s picture.</translation>
    </message>
    <message>
        <source>Nothing to put back yet: Ombrix remembers the desktop&apos;s background when it first sets a picture there.</source>
        <translation>Nothing to put back yet: Ombrix remembers the desktop&apos;s background when it first sets a picture there.</translation>
    </message>
    <message>
        <source>This desktop does not let Ombrix read its background, so there is none to put back.</source>
        <translation>This desktop does not let Ombrix read its background, so there is none to put back.</translation>
    </message>
</context>
</TS>
