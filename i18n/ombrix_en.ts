<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Background</name>
    <message>
        <source>no way set the background within %1 s</source>
        <translation>no way set the background within %1 s</translation>
    </message>
    <message>
        <source>Desktop background set</source>
        <translation>Desktop background set</translation>
    </message>
    <message>
        <source>Ombrix set the picture through %1.</source>
        <translation>Ombrix set the picture through %1.</translation>
    </message>
    <message>
        <source>%1 is not installed</source>
        <translation>%1 is not installed</translation>
    </message>
    <message>
        <source>%1 could not be started</source>
        <translation>%1 could not be started</translation>
    </message>
    <message>
        <source>%1 crashed</source>
        <translation>%1 crashed</translation>
    </message>
    <message>
        <source>%1 ended with exit code %2</source>
        <translation>%1 ended with exit code %2</translation>
    </message>
    <message>
        <source>%1 did not finish within %2 s</source>
        <translation>%1 did not finish within %2 s</translation>
    </message>
    <message>
        <source>the desktop portal could not set it (response %1)</source>
        <translation>the desktop portal could not set it (response %1)</translation>
    </message>
    <message>
        <source>no answer from the desktop portal within %1 s</source>
        <translation>no answer from the desktop portal within %1 s</translation>
    </message>
    <message>
        <source>the schema %1 is not installed</source>
        <translation>the schema %1 is not installed</translation>
    </message>
    <message>
        <source>Xfce has no background keys yet, and the monitors&apos; names are unknown</source>
        <translation>Xfce has no background keys yet, and the monitors&apos; names are unknown</translation>
    </message>
    <message>
        <source>sway cannot read the picture %1</source>
        <translation>sway cannot read the picture %1</translation>
    </message>
    <message>
        <source>no answer from sway within %1 s</source>
        <translation>no answer from sway within %1 s</translation>
    </message>
    <message>
        <source>no X display</source>
        <translation>no X display</translation>
    </message>
    <message>
        <source>a Wayland session, whose background X11 cannot reach</source>
        <translation>a Wayland session, whose background X11 cannot reach</translation>
    </message>
    <message>
        <source>cannot read the picture %1</source>
        <translation>cannot read the picture %1</translation>
    </message>
    <message>
        <source>not enough memory for the picture</source>
        <translation>not enough memory for the picture</translation>
    </message>
    <message>
        <source>the X server did not answer within %1 s</source>
        <translation>the X server did not answer within %1 s</translation>
    </message>
    <message>
        <source>this desktop&apos;s background cannot be read, so none was remembered</source>
        <translation>this desktop&apos;s background cannot be read, so none was remembered</translation>
    </message>
    <message>
        <source>no earlier background of this desktop is remembered</source>
        <translation>no earlier background of this desktop is remembered</translation>
    </message>
    <message>
        <source>cannot read the remembered picture %1</source>
        <translation>cannot read the remembered picture %1</translation>
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
    <message>
        <source>desktop portal</source>
        <translation>desktop portal</translation>
    </message>
    <message>
        <source>GNOME settings (gsettings)</source>
        <translation>GNOME settings (gsettings)</translation>
    </message>
    <message>
        <source>Xfce settings (xfconf-query)</source>
        <translation>Xfce settings (xfconf-query)</translation>
    </message>
    <message>
        <source>MATE settings (gsettings)</source>
        <translation>MATE settings (gsettings)</translation>
    </message>
    <message>
        <source>Cinnamon settings (gsettings)</source>
        <translation>Cinnamon settings (gsettings)</translation>
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
        <translation>sway (its IPC socket)</translation>
    </message>
    <message>
        <source>X11 root window</source>
        <translation>X11 root window</translation>
    </message>
    <message>
        <source>the desktop&apos;s own settings</source>
        <translation>the desktop&apos;s own settings</translation>
    </message>
    <message>
        <source>cannot make the folder %1 (%2)</source>
        <translation>cannot make the folder %1 (%2)</translation>
    </message>
    <message>
        <source>cannot make the link %1 (%2)</source>
        <translation>cannot make the link %1 (%2)</translation>
    </message>
    <message>
        <source>sway answered with a message of another kind</source>
        <translation>sway answered with a message of another kind</translation>
    </message>
    <message>
        <source>sway&apos;s answer cannot be read</source>
        <translation>sway&apos;s answer cannot be read</translation>
    </message>
    <message>
        <source>cannot talk to sway (%1)</source>
        <translation>cannot talk to sway (%1)</translation>
    </message>
    <message>
        <source>no desktop portal on the session bus</source>
        <translation>no desktop portal on the session bus</translation>
    </message>
    <message>
        <source>the desktop portal has no Wallpaper interface</source>
        <translation>the desktop portal has no Wallpaper interface</translation>
    </message>
    <message>
        <source>the desktop portal did not reply</source>
        <translation>the desktop portal did not reply</translation>
    </message>
    <message>
        <source>the desktop portal refused the request (%1)</source>
        <translation>the desktop portal refused the request (%1)</translation>
    </message>
    <message>
        <source>no session bus at %1</source>
        <translation>no session bus at %1</translation>
    </message>
    <message>
        <source>the session bus at %1 refused the connection</source>
        <translation>the session bus at %1 refused the connection</translation>
    </message>
    <message>
        <source>no permission to connect to the session bus at %1</source>
        <translation>no permission to connect to the session bus at %1</translation>
    </message>
    <message>
        <source>the session bus at %1 did not answer in time</source>
        <translation>the session bus at %1 did not answer in time</translation>
    </message>
    <message>
        <source>cannot connect to the session bus (%1)</source>
        <translation>cannot connect to the session bus (%1)</translation>
    </message>
    <message>
        <source>the session bus answered the login with nonsense</source>
        <translation>the session bus answered the login with nonsense</translation>
    </message>
    <message>
        <source>the session bus refused the login (%1)</source>
        <translation>the session bus refused the login (%1)</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>no session bus</translation>
    </message>
    <message>
        <source>the session bus cannot pass files</source>
        <translation>the session bus cannot pass files</translation>
    </message>
    <message>
        <source>cannot open the picture (%1)</source>
        <translation>cannot open the picture (%1)</translation>
    </message>
    <message>
        <source>The remembered background in %1 cannot be read: %2</source>
        <translation>The remembered background in %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>it is not the file Ombrix wrote</source>
        <translation>it is not the file Ombrix wrote</translation>
    </message>
    <message>
        <source>The remembered background cannot be written to %1: %2</source>
        <translation>The remembered background cannot be written to %1: %2</translation>
    </message>
    <message>
        <source>cannot open the X display (DISPLAY is not set)</source>
        <translation>cannot open the X display (DISPLAY is not set)</translation>
    </message>
    <message>
        <source>cannot open the X display %1</source>
        <translation>cannot open the X display %1</translation>
    </message>
    <message>
        <source>the picture for the root window is empty or too large</source>
        <translation>the picture for the root window is empty or too large</translation>
    </message>
    <message>
        <source>the X screen&apos;s depth of %1 bits is not supported (24 or 32 bits are)</source>
        <translation>the X screen&apos;s depth of %1 bits is not supported (24 or 32 bits are)</translation>
    </message>
    <message>
        <source>the root background&apos;s depth of %1 bits is not supported (24 or 32 bits are)</source>
        <translation>the root background&apos;s depth of %1 bits is not supported (24 or 32 bits are)</translation>
    </message>
    <message>
        <source>the X server refused a pixmap for the picture (error %1)</source>
        <translation>the X server refused a pixmap for the picture (error %1)</translation>
    </message>
    <message>
        <source>the X server refused a pixmap of the screen&apos;s size (error %1)</source>
        <translation>the X server refused a pixmap of the screen&apos;s size (error %1)</translation>
    </message>
    <message>
        <source>the X server refused the root window&apos;s background (error %1)</source>
        <translation>the X server refused the root window&apos;s background (error %1)</translation>
    </message>
    <message>
        <source>the X server refused to keep the background after the program ends (error %1)</source>
        <translation>the X server refused to keep the background after the program ends (error %1)</translation>
    </message>
    <message>
        <source>the X server did not give the root background&apos;s picture</source>
        <translation>the X server did not give the root background&apos;s picture</translation>
    </message>
    <message>
        <source>no sway at %1</source>
        <translation>no sway at %1</translation>
    </message>
    <message>
        <source>sway at %1 refused the connection</source>
        <translation>sway at %1 refused the connection</translation>
    </message>
    <message>
        <source>no permission to talk to sway at %1</source>
        <translation>no permission to talk to sway at %1</translation>
    </message>
    <message>
        <source>sway at %1 did not answer in time</source>
        <translation>sway at %1 did not answer in time</translation>
    </message>
    <message>
        <source>an earlier request to the X server has not ended yet</source>
        <translation>an earlier request to the X server has not ended yet</translation>
    </message>
    <message>
        <source>The live wallpaper did not answer within %1 s and may still hide the picture</source>
        <translation>The live wallpaper did not answer within %1 s and may still hide the picture</translation>
    </message>
    <message>
        <source>The live wallpaper will still start at login: %1 cannot be removed (%2)</source>
        <translation>The live wallpaper will still start at login: %1 cannot be removed (%2)</translation>
    </message>
    <message>
        <source>The live wallpaper is running, but it will not start at login: %1 cannot be written (%2)</source>
        <translation>The live wallpaper is running, but it will not start at login: %1 cannot be written (%2)</translation>
    </message>
    <message>
        <source>The live wallpaper is running, but it will still start at login: %1 cannot be removed (%2)</source>
        <translation>The live wallpaper is running, but it will still start at login: %1 cannot be removed (%2)</translation>
    </message>
    <message>
        <source>this way cannot set a picture</source>
        <translation>this way cannot set a picture</translation>
    </message>
    <message>
        <source>Plasma&apos;s shell did not answer in time</source>
        <translation>Plasma&apos;s shell did not answer in time</translation>
    </message>
    <message>
        <source>Plasma&apos;s shell refused the live wallpaper (%1)</source>
        <translation>Plasma&apos;s shell refused the live wallpaper (%1)</translation>
    </message>
    <message>
        <source>Plasma&apos;s shell has no desktop to put the live wallpaper on</source>
        <translation>Plasma&apos;s shell has no desktop to put the live wallpaper on</translation>
    </message>
</context>
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
        <source>The live wallpaper could not be chosen in Plasma: %1</source>
        <translation>The live wallpaper could not be chosen in Plasma: %1</translation>
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
