<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="ja">
<context>
    <name>Background</name>
    <message>
        <source>no way set the background within %1 s</source>
        <translation>%1 秒以内にどの方法でも背景を設定できませんでした</translation>
    </message>
    <message>
        <source>Desktop background set</source>
        <translation>デスクトップの背景を設定しました</translation>
    </message>
    <message>
        <source>Ombrix set the picture through %1.</source>
        <translation>Ombrix は %1 で画像を設定しました。</translation>
    </message>
    <message>
        <source>%1 is not installed</source>
        <translation>%1 がインストールされていません</translation>
    </message>
    <message>
        <source>%1 could not be started</source>
        <translation>%1 を起動できませんでした</translation>
    </message>
    <message>
        <source>%1 crashed</source>
        <translation>%1 が異常終了しました</translation>
    </message>
    <message>
        <source>%1 ended with exit code %2</source>
        <translation>%1 が終了コード %2 で終了しました</translation>
    </message>
    <message>
        <source>%1 did not finish within %2 s</source>
        <translation>%1 が %2 秒以内に終わりませんでした</translation>
    </message>
    <message>
        <source>the desktop portal could not set it (response %1)</source>
        <translation>デスクトップポータルが設定できませんでした (応答 %1)</translation>
    </message>
    <message>
        <source>no answer from the desktop portal within %1 s</source>
        <translation>%1 秒以内にデスクトップポータルから応答がありませんでした</translation>
    </message>
    <message>
        <source>the schema %1 is not installed</source>
        <translation>スキーマ %1 がインストールされていません</translation>
    </message>
    <message>
        <source>Xfce has no background keys yet, and the monitors&apos; names are unknown</source>
        <translation>Xfce に背景の設定キーがまだなく、モニターの名前もわかりません</translation>
    </message>
    <message>
        <source>sway cannot read the picture %1</source>
        <translation>sway が画像 %1 を読めません</translation>
    </message>
    <message>
        <source>no answer from sway within %1 s</source>
        <translation>%1 秒以内に sway から応答がありませんでした</translation>
    </message>
    <message>
        <source>no X display</source>
        <translation>X ディスプレイがありません</translation>
    </message>
    <message>
        <source>a Wayland session, whose background X11 cannot reach</source>
        <translation>Wayland セッションなので、X11 からは背景を変えられません</translation>
    </message>
    <message>
        <source>cannot read the picture %1</source>
        <translation>画像 %1 を読めません</translation>
    </message>
    <message>
        <source>not enough memory for the picture</source>
        <translation>画像に使うメモリが足りません</translation>
    </message>
    <message>
        <source>the X server did not answer within %1 s</source>
        <translation>%1 秒以内に X サーバーから応答がありませんでした</translation>
    </message>
    <message>
        <source>this desktop&apos;s background cannot be read, so none was remembered</source>
        <translation>このデスクトップの背景は読み取れないため、記憶されていません</translation>
    </message>
    <message>
        <source>no earlier background of this desktop is remembered</source>
        <translation>このデスクトップの以前の背景は記憶されていません</translation>
    </message>
    <message>
        <source>cannot read the remembered picture %1</source>
        <translation>記憶した画像 %1 を読めません</translation>
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
    <message>
        <source>desktop portal</source>
        <translation>デスクトップポータル</translation>
    </message>
    <message>
        <source>GNOME settings (gsettings)</source>
        <translation>GNOME の設定 (gsettings)</translation>
    </message>
    <message>
        <source>Xfce settings (xfconf-query)</source>
        <translation>Xfce の設定 (xfconf-query)</translation>
    </message>
    <message>
        <source>MATE settings (gsettings)</source>
        <translation>MATE の設定 (gsettings)</translation>
    </message>
    <message>
        <source>Cinnamon settings (gsettings)</source>
        <translation>Cinnamon の設定 (gsettings)</translation>
    </message>
    <message>
        <source>LXQt (pcmanfm-qt)</source>
        <translation>LXQt (pcmanfm-qt)</translation>
    </message>
    <message>
        <source>LXDE (pcmanfm)</source>
        <translation>LXDE (pcmanfm)</translation>
    </message>
    <message>
        <source>Hyprland (hyprctl hyprpaper)</source>
        <translation>Hyprland (hyprctl hyprpaper)</translation>
    </message>
    <message>
        <source>KDE Plasma (plasma-apply-wallpaperimage)</source>
        <translation>KDE Plasma (plasma-apply-wallpaperimage)</translation>
    </message>
    <message>
        <source>sway (its IPC socket)</source>
        <translation>sway (IPC ソケット)</translation>
    </message>
    <message>
        <source>X11 root window</source>
        <translation>X11 のルートウィンドウ</translation>
    </message>
    <message>
        <source>the desktop&apos;s own settings</source>
        <translation>デスクトップ自身の設定</translation>
    </message>
    <message>
        <source>cannot make the folder %1 (%2)</source>
        <translation>フォルダー %1 を作れません (%2)</translation>
    </message>
    <message>
        <source>cannot make the link %1 (%2)</source>
        <translation>リンク %1 を作れません (%2)</translation>
    </message>
    <message>
        <source>sway answered with a message of another kind</source>
        <translation>sway が別の種類のメッセージで応答しました</translation>
    </message>
    <message>
        <source>sway&apos;s answer cannot be read</source>
        <translation>sway の応答を読み取れません</translation>
    </message>
    <message>
        <source>cannot talk to sway (%1)</source>
        <translation>sway と通信できません (%1)</translation>
    </message>
    <message>
        <source>no desktop portal on the session bus</source>
        <translation>セッションバスにデスクトップポータルがありません</translation>
    </message>
    <message>
        <source>the desktop portal has no Wallpaper interface</source>
        <translation>デスクトップポータルに Wallpaper インターフェースがありません</translation>
    </message>
    <message>
        <source>the desktop portal did not reply</source>
        <translation>デスクトップポータルが応答しませんでした</translation>
    </message>
    <message>
        <source>the desktop portal refused the request (%1)</source>
        <translation>デスクトップポータルが要求を拒否しました (%1)</translation>
    </message>
    <message>
        <source>no session bus at %1</source>
        <translation>%1 にセッションバスがありません</translation>
    </message>
    <message>
        <source>the session bus at %1 refused the connection</source>
        <translation>%1 のセッションバスが接続を拒否しました</translation>
    </message>
    <message>
        <source>no permission to connect to the session bus at %1</source>
        <translation>%1 のセッションバスに接続する権限がありません</translation>
    </message>
    <message>
        <source>the session bus at %1 did not answer in time</source>
        <translation>%1 のセッションバスが時間内に応答しませんでした</translation>
    </message>
    <message>
        <source>cannot connect to the session bus (%1)</source>
        <translation>セッションバスに接続できません (%1)</translation>
    </message>
    <message>
        <source>the session bus answered the login with nonsense</source>
        <translation>セッションバスがログインに不正な応答を返しました</translation>
    </message>
    <message>
        <source>the session bus refused the login (%1)</source>
        <translation>セッションバスがログインを拒否しました (%1)</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>セッションバスがありません</translation>
    </message>
    <message>
        <source>the session bus cannot pass files</source>
        <translation>セッションバスがファイルを渡せません</translation>
    </message>
    <message>
        <source>cannot open the picture (%1)</source>
        <translation>画像を開けません (%1)</translation>
    </message>
    <message>
        <source>The remembered background in %1 cannot be read: %2</source>
        <translation>%1 に記憶した背景を読み取れません: %2</translation>
    </message>
    <message>
        <source>it is not the file Ombrix wrote</source>
        <translation>Ombrix が書いたファイルではありません</translation>
    </message>
    <message>
        <source>The remembered background cannot be written to %1: %2</source>
        <translation>記憶する背景を %1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>cannot open the X display (DISPLAY is not set)</source>
        <translation>X ディスプレイを開けません (DISPLAY が設定されていません)</translation>
    </message>
    <message>
        <source>cannot open the X display %1</source>
        <translation>X ディスプレイ %1 を開けません</translation>
    </message>
    <message>
        <source>the picture for the root window is empty or too large</source>
        <translation>ルートウィンドウ用の画像が空か、大きすぎます</translation>
    </message>
    <message>
        <source>the X screen&apos;s depth of %1 bits is not supported (24 or 32 bits are)</source>
        <translation>X 画面の色深度 %1 ビットには対応していません (対応は 24 ビットか 32 ビット)</translation>
    </message>
    <message>
        <source>the root background&apos;s depth of %1 bits is not supported (24 or 32 bits are)</source>
        <translation>ルートの背景の色深度 %1 ビットには対応していません (対応は 24 ビットか 32 ビット)</translation>
    </message>
    <message>
        <source>the X server refused a pixmap for the picture (error %1)</source>
        <translation>X サーバーが画像用のピックスマップを拒否しました (エラー %1)</translation>
    </message>
    <message>
        <source>the X server refused a pixmap of the screen&apos;s size (error %1)</source>
        <translation>X サーバーが画面の大きさのピックスマップを拒否しました (エラー %1)</translation>
    </message>
    <message>
        <source>the X server refused the root window&apos;s background (error %1)</source>
        <translation>X サーバーがルートウィンドウの背景の変更を拒否しました (エラー %1)</translation>
    </message>
    <message>
        <source>the X server refused to keep the background after the program ends (error %1)</source>
        <translation>X サーバーがプログラム終了後も背景を残すことを拒否しました (エラー %1)</translation>
    </message>
    <message>
        <source>the X server did not give the root background&apos;s picture</source>
        <translation>X サーバーがルートの背景の画像を渡しませんでした</translation>
    </message>
    <message>
        <source>no sway at %1</source>
        <translation>%1 に sway がありません</translation>
    </message>
    <message>
        <source>sway at %1 refused the connection</source>
        <translation>%1 の sway が接続を拒否しました</translation>
    </message>
    <message>
        <source>no permission to talk to sway at %1</source>
        <translation>%1 の sway と通信する権限がありません</translation>
    </message>
    <message>
        <source>sway at %1 did not answer in time</source>
        <translation>%1 の sway が時間内に応答しませんでした</translation>
    </message>
    <message>
        <source>an earlier request to the X server has not ended yet</source>
        <translation>X サーバーへの前の要求がまだ終わっていません</translation>
    </message>
    <message>
        <source>The live wallpaper did not answer within %1 s and may still hide the picture</source>
        <translation>ライブ壁紙が %1 秒以内に応答しなかったため、画像を隠したままかもしれません</translation>
    </message>
    <message>
        <source>The live wallpaper will still start at login: %1 cannot be removed (%2)</source>
        <translation>ライブ壁紙はログイン時にまだ起動します: %1 を削除できません (%2)</translation>
    </message>
    <message>
        <source>The live wallpaper is running, but it will not start at login: %1 cannot be written (%2)</source>
        <translation>ライブ壁紙は動いていますが、ログイン時には起動しません: %1 に書き込めません (%2)</translation>
    </message>
    <message>
        <source>The live wallpaper is running, but it will still start at login: %1 cannot be removed (%2)</source>
        <translation>ライブ壁紙は動いていますが、ログイン時にまだ起動します: %1 を削除できません (%2)</translation>
    </message>
    <message>
        <source>this way cannot set a picture</source>
        <translation>この方法では画像を設定できません</translation>
    </message>
    <message>
        <source>Plasma&apos;s shell did not answer in time</source>
        <translation>Plasma のシェルが時間内に応答しませんでした</translation>
    </message>
    <message>
        <source>Plasma&apos;s shell refused the live wallpaper (%1)</source>
        <translation>Plasma のシェルがライブ壁紙を受け付けませんでした（%1）</translation>
    </message>
    <message>
        <source>Plasma&apos;s shell has no desktop to put the live wallpaper on</source>
        <translation>Plasma のシェルにはライブ壁紙を置くデスクトップがありません</translation>
    </message>
</context>
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
        <source>The live wallpaper could not be chosen in Plasma: %1</source>
        <translation>Plasma でライブ壁紙を選べませんでした: %1</translation>
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
