// The wallpaper's options: the look is the window's live settings (Ombrix's Wallpaper dialog,
// Live); here the size of a cell, the pace, and the colour shown while there is no frame.
import QtQuick 2.15 // plasma5
import QtQuick.Controls 2.15 as Controls // plasma5
import org.kde.kirigami 2.20 as Kirigami // plasma5
import org.kde.kquickcontrols 2.0 as KQuickControls // plasma5
import QtQuick // plasma6
import QtQuick.Controls as Controls // plasma6
import org.kde.kirigami as Kirigami // plasma6
import org.kde.kquickcontrols as KQuickControls // plasma6

Kirigami.FormLayout {
    id: page
    property alias cfg_Zoom: zoom.value
    property alias cfg_Interval: interval.value
    property alias cfg_Color: colour.color
    property var configDialog // plasma6
    property var wallpaperConfiguration // plasma6

    Controls.Label {
        wrapMode: Text.Wrap
        text: qsTr("The look is the one Ombrix puts on the desktop with Live in its Wallpaper dialog.")
    }
    Controls.SpinBox {
        id: zoom
        Kirigami.FormData.label: qsTr("Pixels per cell:")
        from: 1
        to: 8
    }
    Controls.SpinBox {
        id: interval
        Kirigami.FormData.label: qsTr("Milliseconds per generation:")
        // 0: the speed set in Ombrix's window
        from: 0
        to: 2000
        stepSize: 10
        textFromValue: (value) => value === 0 ? qsTr("As in Ombrix") : String(value)
        valueFromText: (text) => text === qsTr("As in Ombrix") ? 0 : Number(text)
    }
    KQuickControls.ColorButton {
        id: colour
        Kirigami.FormData.label: qsTr("Colour without a picture:")
    }
}
