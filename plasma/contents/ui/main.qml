// The Ombrix live wallpaper. ombrix-live --plasma grows the automaton and writes each
// generation's pattern (one repeat of the wall, in physical pixels) as a BMP file into
// its frame folder; this item watches the folder and repeats the newest frame from the
// screen's top-left corner, one pattern pixel per physical pixel. Without the program,
// or once it has ended, the plain colour shows with a message, never an old frame.
//
// One source for Plasma 5 and 6: a line ending in a "plasma5" or "plasma6" comment is kept
// only in the package built for that Plasma (CMakeLists.txt).
import QtQuick 2.15 // plasma5
import QtQuick.Window 2.15 // plasma5
import Qt.labs.folderlistmodel 2.15 // plasma5
import org.kde.plasma.core 2.0 as PlasmaCore // plasma5
import QtQuick // plasma6
import QtQuick.Window // plasma6
import Qt.labs.folderlistmodel // plasma6
import org.kde.plasma.plasmoid // plasma6
import org.kde.plasma.plasma5support as Plasma5Support // plasma6

Item { // plasma5
WallpaperItem { // plasma6
    id: root

    readonly property var settings: wallpaper.configuration // plasma5
    readonly property var settings: root.configuration // plasma6
    readonly property int zoom: Math.max(1, Math.min(8, Math.round(Number(settings.Zoom) || 1)))
    // 0: the speed of the window's live settings.
    readonly property int interval: Number(settings.Interval) > 0
                                    ? Math.max(10, Math.min(2000, Math.round(Number(settings.Interval))))
                                    : 0
    // Fixed arguments: numbers only, never a path.
    readonly property string folderCommand: "ombrix-live --plasma-folder"
    readonly property string liveCommand: "ombrix-live --plasma --zoom " + zoom +
                                          (interval > 0 ? " --interval " + interval : "")
    property string folder: ""
    property string running: "" // the command of the run this item started, while it runs
    // The run this item started ended well: another screen's wallpaper took over, and its
    // run serves this one too until the folder empties.
    property bool borrowed: false
    property string message: ""
    property url newest: ""

    function start() {
        if (folder === "")
            return;
        message = "";
        borrowed = false;
        if (running !== "")
            program.disconnectSource(running); // the new run takes over from the old one
        running = liveCommand;
        program.connectSource(running);
    }

    function ended(data) {
        const code = data["exit code"];
        if (code === 127)
            return qsTr("ombrix-live is not installed, so the live wallpaper cannot run.");
        if (code > 128)
            return qsTr("The live wallpaper crashed (signal %1).").arg(code - 128);
        // A status of its own: its last line says why.
        const words = String(data["stderr"] || "").trim().split("\n").pop();
        return qsTr("The live wallpaper stopped (status %1)").arg(code) +
               (words ? ":\n" + words : ".");
    }

    onLiveCommandChanged: start()
    Component.onCompleted: program.connectSource(folderCommand)

    PlasmaCore.DataSource { // plasma5
    Plasma5Support.DataSource { // plasma6
        id: program
        engine: "executable"
        onNewData: (source, data) => {
            disconnectSource(source);
            if (source === root.folderCommand) {
                const text = String(data["stdout"] || "").trim();
                if (data["exit code"] === 0 && text.startsWith("/")) {
                    root.folder = text;
                    root.start();
                } else {
                    root.message = root.ended(data);
                }
            } else if (source === root.running) {
                root.running = "";
                if (data["exit code"] === 0) {
                    root.borrowed = true;
                    lookAgain.restart(); // the folder's watcher may not have seen it all yet
                } else {
                    root.message = root.ended(data);
                }
            }
        }
    }

    Rectangle {
        anchors.fill: parent
        color: root.settings.Color || "#1d99f3"
    }

    FolderListModel {
        id: frames
        folder: root.folder === "" ? "" : "file://" + root.folder
        nameFilters: ["frame-*.bmp"]
        showDirs: false
        showHidden: false
        sortField: FolderListModel.Name
        sortReversed: true // the highest number, the newest frame, first
        onCountChanged: {
            if (count === 0 && root.borrowed)
                root.start(); // the run that served this screen has ended
        }
    }

    Timer {
        id: lookAgain
        interval: 2000
        onTriggered: {
            if (frames.count === 0 && root.borrowed)
                root.start();
        }
    }

    // The newest frame's name, told by the first row whenever the folder changes.
    Repeater {
        model: frames
        delegate: Item {
            readonly property url frame: "file://" + filePath
            readonly property bool first: index === 0
            function tell() {
                if (first)
                    root.newest = frame;
            }
            onFrameChanged: tell()
            onFirstChanged: tell()
            Component.onCompleted: tell()
        }
    }

    // Two pictures take turns: the next frame loads off the main thread into the hidden one,
    // which is shown once it is whole.
    Item {
        id: wall
        property int front: 0
        property url pending: ""
        visible: root.message === "" && (root.running !== "" || (root.borrowed && frames.count > 0))
        // Laid out in physical pixels and scaled down by the screen's pixel ratio.
        readonly property real ratio: Screen.devicePixelRatio > 0 ? Screen.devicePixelRatio : 1
        width: root.width * ratio
        height: root.height * ratio
        scale: 1 / ratio
        transformOrigin: Item.TopLeft

        function load(url) {
            const back = pictures.itemAt(1 - front);
            if (back.status === Image.Loading) {
                pending = url; // the newest when this one is done; those between are skipped
                return;
            }
            back.source = url;
        }
        function loaded(index) {
            const picture = pictures.itemAt(index);
            if (index !== front && picture.status === Image.Ready) {
                front = index;
            }
            if (picture.status !== Image.Loading && pending != "") {
                const next = pending;
                pending = "";
                load(next);
            }
        }

        Repeater {
            id: pictures
            model: 2
            delegate: Image {
                anchors.fill: parent
                fillMode: Image.Tile
                horizontalAlignment: Image.AlignLeft
                verticalAlignment: Image.AlignTop
                asynchronous: true
                cache: false
                smooth: false
                visible: index === wall.front && status === Image.Ready
                onStatusChanged: wall.loaded(index)
            }
        }
    }

    Connections {
        target: root
        function onNewestChanged() {
            if (root.newest != "")
                wall.load(root.newest);
        }
    }

    Text {
        anchors.centerIn: parent
        width: parent.width * 0.6
        visible: root.message !== ""
        text: root.message
        color: "white"
        style: Text.Outline
        styleColor: "black"
        font.pixelSize: 20
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
}
