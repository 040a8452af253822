// The aquarium as Plasma's wallpaper. The marivelle program draws it in a
// process of its own, as the only client of a small Wayland compositor that
// lives inside this item (NestedScreen): a program that crashes or hangs
// never takes the desktop down, and Plasma's icons, menus and widgets stay
// above the picture, as over any wallpaper. One program runs for each
// screen's wallpaper; it is stopped (not ended) while nobody can see it.
import QtQuick 2.15
import QtQuick.Window 2.15

Item {
    id: root

    readonly property var settings: wallpaper.configuration
    // The desktop window this wallpaper is drawn in, once it has one.
    readonly property var hostWindow: Window.window
    // Whether anybody can see the wallpaper now.
    readonly property bool seen: visible && hostWindow !== null && hostWindow.visible && !coverage.covered

    // Until the first frame, and where the program cannot run.
    Rectangle {
        anchors.fill: parent
        color: "#050a14"
    }

    Coverage {
        id: coverage
        screenGeometry: root.hostWindow ? Qt.rect(root.hostWindow.x, root.hostWindow.y,
                                                  root.hostWindow.width, root.hostWindow.height)
                                        : Qt.rect(0, 0, 0, 0)
    }

    // The compositor needs the window it shows in from its start.
    Loader {
        id: screenLoader
        anchors.fill: parent
        active: root.hostWindow !== null
        sourceComponent: NestedScreen {
            hostWindow: root.hostWindow
            seen: root.seen
            options: ["--embedded",
                      "--fish", String(Math.round(root.settings.FishCount)),
                      "--speed", String(Number(root.settings.Speed)),
                      "--max-fps", String(Math.round(root.settings.FrameRate)),
                      "--battery-fps", String(Math.round(root.settings.BatteryFrameRate))]
        }
    }

    readonly property string failure: screenLoader.item ? screenLoader.item.failure : ""

    // What the user reads once the program would not stay up.
    Text {
        anchors.centerIn: parent
        width: Math.min(parent.width * 0.8, 900)
        visible: root.failure !== ""
        color: "#d0e4ff"
        font.pixelSize: 20
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        text: "Marivelle: " + root.failure
    }
}
