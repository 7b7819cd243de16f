<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="ja">
<context>
    <name>Message</name>
    <message>
        <source>予期しないエラーが発生しました</source>
        <translation>予期しないエラーが発生しました</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %1 を作成できません</source>
        <translation>ﾌｧｲﾙ %1 を作成できません</translation>
    </message>
    <message>
        <source>ｽﾄﾘｰﾑへの書き込みｴﾗｰ</source>
        <translation>ｽﾄﾘｰﾑへの書き込みｴﾗｰ</translation>
    </message>
    <message>
        <source>ｼｽﾃﾑ ﾘｿｰｽが足りません</source>
        <translation>ｼｽﾃﾑ ﾘｿｰｽが足りません</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>%1 に書き込めません</translation>
    </message>
    <message>
        <source>%1 を読み込めません</source>
        <translation>%1 を読み込めません</translation>
    </message>
    <message>
        <source>%1 を削除できません</source>
        <translation>%1 を削除できません</translation>
    </message>
    <message>
        <source>%1 にはルックがありません</source>
        <translation>%1 にはルックがありません</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ %1 を作成できません</source>
        <translation>ﾌｫﾙﾀﾞ %1 を作成できません</translation>
    </message>
    <message>
        <source>%1 を起動できません</source>
        <translation>%1 を起動できません</translation>
    </message>
</context>
<context>
    <name>ombrix::TAboutBox</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>ﾊﾞｰｼﾞｮﾝ情報</translation>
    </message>
    <message>
        <source>Version  1.03</source>
        <translation>Version  1.03</translation>
    </message>
    <message>
        <source>Seamless wallpaper, grown by cells</source>
        <translation>セルが育てる継ぎ目のない壁紙</translation>
    </message>
    <message>
        <source>Settings are kept in</source>
        <translation>設定の保存先</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1
Read at start from %2, which an earlier version left beside the program; that file is never written.</source>
        <translation>%1
起動時には、以前のバージョンがプログラムの横に残した %2 から読み込みました。このファイルに書き込むことはありません。</translation>
    </message>
</context>
<context>
    <name>ombrix::TFontColorDialog</name>
    <message>
        <source>Font</source>
        <translation>フォント</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>太字</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>斜体</translation>
    </message>
    <message>
        <source>Color...</source>
        <translation>色...</translation>
    </message>
</context>
<context>
    <name>ombrix::TGalleryFm</name>
    <message>
        <source>ギャラリー</source>
        <translation>ギャラリー</translation>
    </message>
    <message>
        <source>バリエーション</source>
        <translation>バリエーション</translation>
    </message>
    <message>
        <source>お気に入り</source>
        <translation>お気に入り</translation>
    </message>
    <message>
        <source>もっと</source>
        <translation>もっと</translation>
    </message>
    <message>
        <source>☆ 今のルック</source>
        <translation>☆ 今のルック</translation>
    </message>
    <message>
        <source>メイン ウィンドウのルックをお気に入りに追加</source>
        <translation>メイン ウィンドウのルックをお気に入りに追加</translation>
    </message>
    <message>
        <source>読み込み...</source>
        <translation>読み込み...</translation>
    </message>
    <message>
        <source>書き出し...</source>
        <translation>書き出し...</translation>
    </message>
    <message>
        <source>クリックでこのルックを使います</source>
        <translation>クリックでこのルックを使います</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>お気に入りはまだありません。☆ で追加します。</source>
        <translation>お気に入りはまだありません。☆ で追加します。</translation>
    </message>
    <message>
        <source>ルックを読み込む</source>
        <translation>ルックを読み込む</translation>
    </message>
    <message>
        <source>ルック (*.ini);;すべてのファイル (*)</source>
        <translation>ルック (*.ini);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>ルックを書き出す</source>
        <translation>ルックを書き出す</translation>
    </message>
    <message>
        <source>ルック (*.ini)</source>
        <translation>ルック (*.ini)</translation>
    </message>
</context>
<context>
    <name>ombrix::TOmbrixFm</name>
    <message>
        <source>詳細設定...</source>
        <translation>詳細設定...</translation>
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
        <translation>ビットマップ･ファイル (*.bmp)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>壁紙...</source>
        <translation>壁紙...</translation>
    </message>
    <message>
        <source>ギャラリー...</source>
        <translation>ギャラリー...</translation>
    </message>
    <message>
        <source>☆ お気に入りに追加</source>
        <translation>☆ お気に入りに追加</translation>
    </message>
    <message>
        <source>ルックを読み込む...</source>
        <translation>ルックを読み込む...</translation>
    </message>
    <message>
        <source>ルックを書き出す...</source>
        <translation>ルックを書き出す...</translation>
    </message>
    <message>
        <source>見本...</source>
        <translation>見本...</translation>
    </message>
    <message>
        <source>ギャラリー</source>
        <translation>ギャラリー</translation>
    </message>
    <message>
        <source>The field has no cells, so there is no picture to put on the desktop</source>
        <translation>フィールドにセルがないため、壁紙にする画像がありません</translation>
    </message>
    <message>
        <source>The screen reports a size of %1 x %2 pixels, so no picture can be made for it; try &quot;%3&quot;</source>
        <translation>画面の大きさが %1 x %2 ピクセルと報告されたため、画面に合わせた画像を作れません。「%3」を試してください</translation>
    </message>
    <message>
        <source>The previous desktop background could not be put back.

Ways tried:</source>
        <translation>前のデスクトップの背景に戻せませんでした。

試した方法:</translation>
    </message>
    <message>
        <source>The desktop background could not be set. The picture is saved as
%1
to set it by hand.

Ways tried:</source>
        <translation>デスクトップの背景を設定できませんでした。画像は
%1
に保存してあります。手動で設定してください。

試した方法:</translation>
    </message>
</context>
<context>
    <name>ombrix::TSetupDlg</name>
    <message>
        <source>詳細設定</source>
        <translation>詳細設定</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>ｷｬﾝｾﾙ</translation>
    </message>
    <message>
        <source>ユニット幅</source>
        <translation>ユニット幅</translation>
    </message>
    <message>
        <source>ユニット高さ</source>
        <translation>ユニット高さ</translation>
    </message>
    <message>
        <source>使用色数</source>
        <translation>使用色数</translation>
    </message>
    <message>
        <source>分割数</source>
        <translation>分割数</translation>
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
        <translation>%1 ～ %2</translation>
    </message>
    <message>
        <source>1 to the number of colours (%1)</source>
        <translation>1 ～ %1</translation>
    </message>
</context>
<context>
    <name>ombrix::TTextSetDlg</name>
    <message>
        <source>Text 設定</source>
        <translation>Text 設定</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>ｷｬﾝｾﾙ</translation>
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
        <translation>クリックでこのルックを使います</translation>
    </message>
    <message>
        <source>お気に入りに追加</source>
        <translation>お気に入りに追加</translation>
    </message>
</context>
<context>
    <name>ombrix::TWallpaperDlg</name>
    <message>
        <source>壁紙</source>
        <translation>壁紙</translation>
    </message>
    <message>
        <source>This screen</source>
        <translation>この画面</translation>
    </message>
    <message>
        <source>ライブ</source>
        <translation>ライブ</translation>
    </message>
    <message>
        <source>ログイン時に開始</source>
        <translation>ログイン時に開始</translation>
    </message>
    <message>
        <source>All screens</source>
        <translation>すべての画面</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>並べて表示</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ｷｬﾝｾﾙ</translation>
    </message>
    <message>
        <source>Previous wallpaper</source>
        <translation>前の壁紙</translation>
    </message>
    <message>
        <source>Puts back the background the desktop had before Ombrix&apos;s picture.</source>
        <translation>Ombrix の画像を設定する前のデスクトップの背景に戻します。</translation>
    </message>
    <message>
        <source>Nothing to put back yet: Ombrix remembers the desktop&apos;s background when it first sets a picture there.</source>
        <translation>まだ戻せる背景はありません。Ombrix は初めて画像を設定するときにデスクトップの背景を記憶します。</translation>
    </message>
    <message>
        <source>This desktop does not let Ombrix read its background, so there is none to put back.</source>
        <translation>このデスクトップでは Ombrix が背景を読み取れないため、戻せる背景はありません。</translation>
    </message>
</context>
</TS>
