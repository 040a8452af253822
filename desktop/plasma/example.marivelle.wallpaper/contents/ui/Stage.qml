// The program's side of one wallpaper: the Wayland compositor the program
// draws into, with one output the size of HOSTWINDOW, and the program
// itself (Renderer). SCREEN is the item that shows the program's window.
//
// It belongs to the desktop's window, not to the wallpaper item, because it
// must outlive that item: when the wallpaper goes, Qt's render thread lets
// go of the program's last picture on its own, a moment after the item is
// gone. Were the program or the compositor ended in that moment, the
// picture would be released into a connection already torn down, and
// plasmashell would crash. So retire() ends both only retireMs later.
import QtQuick 2.15
import QtWayland.Compositor 1.3

WaylandCompositor {
    id: stage

    property var hostWindow
    property var screen: null
    property alias options: renderer.options
    readonly property alias failure: renderer.failure

    readonly property int retireMs: 3000

    // Its socket has a name of its own (never "wayland-N"), so that no other
    // program takes it for the session's compositor.
    socketName: "marivelle-" + Date.now().toString(36) + "-" + Math.floor(Math.random() * 1e9).toString(36)

    // Called once the wallpaper item is going: nothing is shown any more, no
    // program is started again, and both end once the render thread is done.
    function retire() {
        screen = null;
        renderer.active = false;
        retireTimer.start();
    }

    WaylandOutput {
        window: stage.hostWindow
        sizeFollowsWindow: true
    }

    XdgShell {
        onToplevelCreated: (toplevel, xdgSurface) => {
            if (stage.screen) {
                stage.screen.show(xdgSurface);
            } else {
                stage.destroyClient(xdgSurface.surface.client);
            }
        }
    }

    // The program draws no decorations of its own.
    XdgDecorationManagerV1 {
        preferredMode: XdgToplevel.ServerSideDecoration
    }

    Renderer {
        id: renderer
        socketName: stage.socketName
    }

    Timer {
        id: retireTimer
        interval: stage.retireMs
        onTriggered: {
            renderer.stop();
            stage.destroy();
        }
    }
}
