// Shows the marivelle program, run with OPTIONS, filling this item: the
// only window of a Wayland compositor whose one output is the size of
// HOSTWINDOW (a Stage, which outlives this item; see there). Nothing
// reaches it from the user: clicks, keys and drags belong to the desktop.
import QtQuick 2.15
import QtWayland.Compositor 1.3

Item {
    id: screen

    property var hostWindow
    property var options: []
    // False stops the program (SIGSTOP) and true lets it go on (SIGCONT):
    // a stopped program costs nothing, and picks up where it was.
    property bool seen: true
    readonly property string failure: stage ? stage.failure : ""
    property var stage: null
    property var shown: null

    function pictureSize() {
        return Qt.size(Math.max(1, Math.round(width)), Math.max(1, Math.round(height)));
    }

    // Sends the program's window the item's size, fullscreen.
    function configure() {
        if (shown && shown.shellSurface && shown.shellSurface.toplevel) {
            shown.shellSurface.toplevel.sendFullscreen(pictureSize());
        }
    }

    function clientOf(item) {
        return item && item.surface ? item.surface.client : null;
    }

    function applySeen() {
        const client = clientOf(shown);
        if (client) {
            client.kill(seen ? 18 : 19);  // SIGCONT : SIGSTOP
        }
    }

    // Shows the window XDGSURFACE, the newest and so the program's: one that
    // went on running after being replaced is let go.
    function show(xdgSurface) {
        const previous = shown;
        shown = windowItem.createObject(views, { shellSurface: xdgSurface });
        if (previous) {
            const client = clientOf(previous);
            previous.destroy();
            if (client && client !== clientOf(shown)) {
                stage.destroyClient(client);
            }
        }
        configure();
        applySeen();
    }

    onWidthChanged: configure()
    onHeightChanged: configure()
    onSeenChanged: applySeen()
    onOptionsChanged: {
        if (stage) {
            stage.options = options;
        }
    }

    Component.onCompleted: {
        stage = stageComponent.createObject(hostWindow, { hostWindow: hostWindow, screen: screen, options: options });
    }

    Component.onDestruction: {
        // A stopped program would not notice that its compositor is gone.
        const client = clientOf(shown);
        if (client) {
            client.kill(18);  // SIGCONT
        }
        if (stage) {
            stage.retire();
        }
    }

    // The program's window is shown in here.
    Item {
        id: views
        anchors.fill: parent
    }

    Component {
        id: stageComponent
        Stage {}
    }

    Component {
        id: windowItem

        ShellSurfaceItem {
            anchors.fill: parent
            sizeFollowsSurface: false
            inputEventsEnabled: false
            autoCreatePopupItems: false
            onSurfaceDestroyed: {
                if (screen.shown === this) {
                    screen.shown = null;
                }
                destroy();
            }
        }
    }
}
