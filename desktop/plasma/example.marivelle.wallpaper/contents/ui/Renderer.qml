// Keeps the marivelle program running with OPTIONS as the client of the
// compositor whose socket is SOCKETNAME: started once both are known, at
// once again when the options change, and 2 s after an end of its own. On
// the fourth end within a minute it is left ended, and FAILURE says why.
// Plasma's "executable" data engine runs it: dropping the source ends the
// process, and the program ends by itself once its standard input (a pipe
// from plasmashell) closes, so a desktop that goes away leaves none behind.
import QtQuick 2.15
import org.kde.plasma.core 2.0 as PlasmaCore

Item {
    id: renderer

    property string socketName
    property var options: []
    property string failure: ""
    // False once the wallpaper is going: the program that runs is left
    // running (its owner ends it), and none is started again.
    property bool active: true

    // The data engine's source of the program that runs, "" when none does.
    property string running: ""
    property string runningOptions: ""
    property int runs: 0
    property var ends: []

    readonly property int restartMs: 2000
    readonly property int maxEnds: 3
    readonly property int endWindowMs: 60000

    function quote(word) {
        return "'" + String(word).replace(/'/g, "'\\''") + "'";
    }

    // The shell command that runs the program; the run's number makes each
    // start a new source of the engine.
    function command() {
        return "exec env -u DISPLAY -u WAYLAND_SOCKET WAYLAND_DISPLAY=" + quote(socketName) +
            " SDL_VIDEODRIVER=wayland marivelle " + options.map(quote).join(" ") + " # run " + (++runs);
    }

    function start() {
        if (!active) {
            return;
        }
        stop();
        restartTimer.stop();
        if (socketName === "" || options.length === 0 || failure !== "") {
            return;
        }
        runningOptions = options.join(" ");
        running = command();
        runner.connectSource(running);
    }

    function stop() {
        if (running !== "") {
            const source = running;
            running = "";
            runner.disconnectSource(source);
        }
    }

    // The last line the program wrote on its standard error, or what its
    // status tells.
    function reason(data) {
        const lines = String(data.stderr || "").split("\n").filter(line => line.trim() !== "");
        const code = data["exit code"];
        if (code === 127) {
            return "the marivelle program is not installed, or not on the PATH";
        }
        if (lines.length > 0) {
            return lines[lines.length - 1].replace(/^Marivelle: /, "");
        }
        return "the program kept ending (status " + code + ")";
    }

    function ended(source, data) {
        if (source !== running) {
            return;
        }
        stop();
        console.warn("Marivelle wallpaper: the program ended with status", data["exit code"],
                     String(data.stderr || "").trim());
        const now = Date.now();
        ends = ends.filter(t => now - t < endWindowMs).concat([now]);
        if (ends.length > maxEnds) {
            failure = reason(data);
            console.warn("Marivelle wallpaper: not started again:", failure);
            return;
        }
        restartTimer.start();
    }

    onSocketNameChanged: start()
    onOptionsChanged: {
        if (options.join(" ") !== runningOptions) {
            // Settings the user changed deserve another try.
            failure = "";
            ends = [];
            start();
        }
    }
    Component.onDestruction: stop()

    Timer {
        id: restartTimer
        interval: renderer.restartMs
        onTriggered: renderer.start()
    }

    PlasmaCore.DataSource {
        id: runner
        engine: "executable"
        onNewData: (source, data) => renderer.ended(source, data)
    }
}
