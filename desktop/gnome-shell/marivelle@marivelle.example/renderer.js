// The aquarium program, started and kept running by the extension. On
// Wayland it is a client the shell owns (Meta.WaylandClient), so that its
// window can be told from every other; on X11 a plain child process, its
// window known by its process id. It learns what it must know on standard
// input, one line at a time ("seen", "unseen", "size W H"); the end of that
// input ends it, so a shell that goes away leaves no program behind.
/* exported Renderer */
const { Gio, GLib, Meta } = imports.gi;

// A program that ends by itself is started again after this long, unless it
// ended kMaxEnds times within kEndWindowSeconds: then the extension gives up.
const kRestartSeconds = 2;
const kMaxEnds = 3;
const kEndWindowSeconds = 60;
// A program asked to end (its input closed) that is still there after this
// long is made to.
const kEndGraceSeconds = 5;

function findProgram() {
    return GLib.find_program_in_path('marivelle') ?? '/usr/bin/marivelle';
}

var Renderer = class {
    // SETTINGS is the extension's GSettings; ONWINDOW(window) is called with
    // each window the program shows, ONGIVEUP(text) once the program kept
    // ending and is no longer started.
    constructor(settings, onWindow, onGiveUp) {
        this._settings = settings;
        this._onWindow = onWindow;
        this._onGiveUp = onGiveUp;
        this._process = null;
        this._client = null;
        this._input = null;
        this._pending = '';
        this._writing = false;
        this._ends = [];
        this._restartId = 0;
        this._graceId = 0;
        this._stopped = true;
        this._lines = new Map();
        this._runningArguments = '';
    }

    // Starts the program; it is kept running until stop().
    start() {
        this._stopped = false;
        this._ends = [];
        global.display.connectObject('window-created',
            (display, window) => this._checkWindow(window), this);
        this._spawn();
    }

    // Ends the program and starts it no more.
    stop() {
        this._stopped = true;
        global.display.disconnectObject(this);
        this._cancelRestart();
        this._endProcess();
    }

    // Ends the program that runs and starts it again at once, with the
    // settings as they are now: not counted as an end of its own. A program
    // that already runs with them is left alone (a settings window writes
    // back what it was just told).
    restart() {
        if (this._stopped)
            return;
        if (this._process && this._arguments().join('\n') === this._runningArguments)
            return;
        this._cancelRestart();
        this._ends = [];
        if (this._process)
            this._endProcess();
        else
            this._spawn();
    }

    // Says LINE to the program, now and to every program started after, in
    // place of what was said under the same KEY before.
    tell(key, line) {
        this._lines.set(key, line);
        this._write(`${line}\n`);
    }

    _arguments() {
        const s = this._settings;
        return [findProgram(), '--embedded',
            '--fish', String(s.get_int('fish')),
            '--speed', String(s.get_double('speed')),
            '--max-fps', String(s.get_int('frame-rate')),
            '--battery-fps', String(s.get_int('battery-frame-rate'))];
    }

    _spawn() {
        this._restartId = 0;
        const launcher = new Gio.SubprocessLauncher({ flags: Gio.SubprocessFlags.STDIN_PIPE });
        const argv = this._arguments();
        let process;
        try {
            if (Meta.is_wayland_compositor()) {
                this._client = Meta.WaylandClient.new(launcher);
                process = this._client.spawnv(global.display, argv);
            } else {
                this._client = null;
                process = launcher.spawnv(argv);
            }
        } catch (e) {
            logError(e, 'Marivelle: cannot start the aquarium');
            this._noteEnd();
            return;
        }
        this._process = process;
        this._runningArguments = argv.join('\n');
        this._input = process.get_stdin_pipe();
        this._pending = '';
        this._writing = false;
        for (const line of this._lines.values())
            this._write(`${line}\n`);
        process.wait_async(null, () => this._onExit(process));
    }

    _checkWindow(window) {
        if (!this._process)
            return;
        const ours = this._client
            ? this._client.owns_window(window)
            : String(window.get_pid()) === this._process.get_identifier();
        if (!ours)
            return;
        this._onWindow(window);
        // After the window is hidden: mutter minimises no window that is
        // out of the window lists, as nothing could bring it back.
        if (this._client)
            this._client.hide_from_window_list(window);
    }

    _write(text) {
        if (!this._input)
            return;
        this._pending += text;
        this._flush();
    }

    // One write at a time: a stream takes no second one while the first is
    // under way. Never blocks the shell on a program that stopped reading.
    _flush() {
        if (this._writing || this._pending === '' || !this._input)
            return;
        const input = this._input;
        const bytes = new GLib.Bytes(new TextEncoder().encode(this._pending));
        this._pending = '';
        this._writing = true;
        input.write_bytes_async(bytes, GLib.PRIORITY_DEFAULT, null, (stream, result) => {
            try {
                stream.write_bytes_finish(result);
            } catch (e) {
                // The program is ending; its exit is handled there.
            }
            if (input !== this._input)
                return;
            this._writing = false;
            this._flush();
        });
    }

    _endProcess() {
        const process = this._process;
        if (!process)
            return;
        this._closeInput();
        if (this._graceId === 0) {
            this._graceId = GLib.timeout_add_seconds(GLib.PRIORITY_DEFAULT, kEndGraceSeconds, () => {
                this._graceId = 0;
                if (this._process === process)
                    process.force_exit();
                return GLib.SOURCE_REMOVE;
            });
        }
    }

    _closeInput() {
        const input = this._input;
        this._input = null;
        this._pending = '';
        this._writing = false;
        if (input)
            input.close_async(GLib.PRIORITY_DEFAULT, null, null);
    }

    _onExit(process) {
        if (process !== this._process)
            return;
        this._process = null;
        this._client = null;
        this._closeInput();
        if (this._graceId !== 0) {
            GLib.source_remove(this._graceId);
            this._graceId = 0;
            // Ended because it was asked to: by stop(), or by restart().
            if (!this._stopped)
                this._spawn();
            return;
        }
        if (!this._stopped) {
            // For the journal: why the picture went away for a moment.
            log(`Marivelle: the aquarium ended (${process.get_if_signaled() ? 'signal ' + process.get_term_sig()
                : 'status ' + process.get_exit_status()})`);
            this._noteEnd();
        }
    }

    // The program ended by itself: started again after a pause, unless it
    // has ended too often.
    _noteEnd() {
        const now = GLib.get_monotonic_time() / 1e6;
        this._ends = this._ends.filter(t => now - t < kEndWindowSeconds);
        this._ends.push(now);
        if (this._ends.length > kMaxEnds) {
            this._stopped = true;
            this._onGiveUp(`The aquarium stopped ${this._ends.length} times within a minute and is no longer started. ` +
                'Turn the wallpaper off and on again in the Extensions app to try once more.');
            return;
        }
        this._restartId = GLib.timeout_add_seconds(GLib.PRIORITY_DEFAULT, kRestartSeconds, () => {
            this._spawn();
            return GLib.SOURCE_REMOVE;
        });
    }

    _cancelRestart() {
        if (this._restartId !== 0) {
            GLib.source_remove(this._restartId);
            this._restartId = 0;
        }
    }
};
