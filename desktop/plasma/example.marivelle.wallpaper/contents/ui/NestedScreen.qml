// A Wayland compositor with one output, the size of this item, and room for
// one window: the program's, shown fullscreen and filling the item. Nothing
// reaches it from the user: clicks, keys and drags belong to the desktop.
// Its socket has a name of its own (never "wayland-N"), so that no other
// program takes it for the session's compositor.
import QtQuick 2.15
import QtWayland.Compositor 1.3

Item {
    id: screen

    property var hostWindow
    // False stops the program (SIGSTOP) and true lets it go on (SIGCONT):
    // a stopped program costs nothing, and picks up where it was.
    property bool seen: true
    readonly property alias socketName: compositor.socketName
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

    onWidthChanged: configure()
    onHeightChanged: configure()
    onSeenChanged: applySeen()

    Component.onDestruction: {
        // A stopped program would not notice that its compositor is gone.
        const client = clientOf(shown);
        if (client) {
            client.kill(18);  // SIGCONT
        }
    }

    // The program's window is shown in here. Declared before the compositor,
    // it is destroyed before it: a view that outlives its output crashes.
    Item {
        id: views
        anchors.fill: parent
    }

    WaylandCompositor {
        id: compositor

        socketName: "marivelle-" + Date.now().toString(36) + "-" + Math.floor(Math.random() * 1e9).toString(36)

        WaylandOutput {
            window: screen.hostWindow
            sizeFollowsWindow: true
        }

        XdgShell {
            onToplevelCreated: (toplevel, xdgSurface) => {
                // The newest window is the program's: one that went on
                // running after being replaced is let go.
                const previous = screen.shown;
                screen.shown = windowItem.createObject(views, { shellSurface: xdgSurface });
                if (previous) {
                    const client = screen.clientOf(previous);
                    previous.destroy();
                    if (client && client !== screen.clientOf(screen.shown)) {
                        compositor.destroyClient(client);
                    }
                }
                screen.configure();
                screen.applySeen();
            }
        }

        // The program draws no decorations of its own.
        XdgDecorationManagerV1 {
            preferredMode: XdgToplevel.ServerSideDecoration
        }
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
