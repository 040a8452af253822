// Whether anybody can see the background: not while every monitor is
// covered by a maximised or fullscreen window of the active workspace
// (unless the overview shows the workspaces), not while the screen is locked
// or blanked, and not once the session has been idle for as long as GNOME
// waits before it dims and blanks the screen.
/* exported Visibility */
const { Gio, Meta } = imports.gi;
const Main = imports.ui.main;

var Visibility = class {
    // ONCHANGE(seen) is called whenever the answer changes; OURS(window)
    // tells the program's own window, which covers nothing.
    constructor(onChange, ours) {
        this._onChange = onChange;
        this._ours = ours;
        this._seen = null;
        this._idle = false;
        this._idleWatch = 0;
        this._activeWatch = 0;
        this._sessionSettings = null;
        this._blanked = false;
        this._displayConfig = null;
    }

    enable() {
        const check = () => this.check();
        global.display.connectObject(
            'restacked', check,
            'in-fullscreen-changed', check,
            'window-created', (display, window) => this._watchWindow(window),
            this);
        global.window_manager.connectObject(
            'minimize', check, 'unminimize', check, 'size-changed', check,
            'map', check, 'destroy', check, 'switch-workspace', check, this);
        global.workspace_manager.connectObject('active-workspace-changed', check, this);
        Main.overview.connectObject('showing', check, 'hidden', check, this);
        Main.sessionMode.connectObject('updated', check, this);
        Main.layoutManager.connectObject('monitors-changed', check, this);
        if (Main.screenShield)
            Main.screenShield.connectObject('active-changed', check, 'locked-changed', check, this);
        for (const actor of global.get_window_actors())
            this._watchWindow(actor.meta_window);
        this._sessionSettings = new Gio.Settings({ schema_id: 'org.gnome.desktop.session' });
        this._sessionSettings.connectObject('changed::idle-delay', () => this._watchIdle(), this);
        this._watchIdle();
        this._watchPowerSave();
        this.check();
    }

    disable() {
        for (const source of [global.display, global.window_manager, global.workspace_manager,
            Main.overview, Main.sessionMode, Main.layoutManager, Main.screenShield, this._sessionSettings,
            this._displayConfig]) {
            if (source)
                source.disconnectObject(this);
        }
        for (const actor of global.get_window_actors())
            actor.meta_window.disconnectObject(this);
        this._unwatchIdle();
        this._sessionSettings = null;
        this._displayConfig = null;
        this._blanked = false;
        this._seen = null;
    }

    // Looks again, and tells when the answer changed.
    check() {
        const seen = this._compute();
        if (seen === this._seen)
            return;
        this._seen = seen;
        this._onChange(seen);
    }

    _compute() {
        if (Main.sessionMode.isLocked)
            return false;
        const shield = Main.screenShield;
        if (shield && (shield.locked || shield.active))
            return false;
        if (this._idle || this._blanked)
            return false;
        // The overview shows every workspace's background, whatever covers
        // the desktop.
        if (Main.overview.visible)
            return true;
        const monitors = Main.layoutManager.monitors;
        const covered = new Set();
        const workspace = global.workspace_manager.get_active_workspace();
        for (const window of workspace.list_windows()) {
            if (this._ours(window) || window.minimized || !window.showing_on_its_workspace())
                continue;
            if (window.is_fullscreen() || window.get_maximized() === Meta.MaximizeFlags.BOTH)
                covered.add(window.get_monitor());
        }
        return !monitors.every(monitor => covered.has(monitor.index));
    }

    // A window made fullscreen or maximised, or moved to another monitor,
    // changes what is covered.
    _watchWindow(window) {
        if (!window)
            return;
        const check = () => this.check();
        window.connectObject('notify::fullscreen', check, 'notify::maximized-horizontally', check,
            'notify::maximized-vertically', check, 'notify::minimized', check,
            'workspace-changed', check, 'unmanaged', check, 'position-changed', check, this);
        this.check();
    }

    // The session's idle delay, in seconds (0: never), as GNOME's own power
    // settings use it to dim and blank the screen.
    _watchIdle() {
        this._unwatchIdle();
        const seconds = this._sessionSettings.get_uint('idle-delay');
        if (seconds === 0)
            return;
        const monitor = global.backend.get_core_idle_monitor();
        this._idleWatch = monitor.add_idle_watch(seconds * 1000, () => {
            this._idle = true;
            this.check();
            this._activeWatch = monitor.add_user_active_watch(() => {
                this._activeWatch = 0;
                this._idle = false;
                this.check();
            });
        });
    }

    // The monitors' power saving, as GNOME's power settings daemon sets it
    // when it blanks the screen: through mutter's display configuration on
    // the session bus, which the shell itself serves (so never a blocking
    // call here).
    _watchPowerSave() {
        const read = proxy => {
            const mode = proxy.get_cached_property('PowerSaveMode');
            // 0 is on; 1 to 3 standby, suspend and off; -1 unknown.
            this._blanked = mode !== null && mode.unpack() > 0;
            this.check();
        };
        Gio.DBusProxy.new(Gio.DBus.session, Gio.DBusProxyFlags.DO_NOT_AUTO_START, null,
            'org.gnome.Mutter.DisplayConfig', '/org/gnome/Mutter/DisplayConfig',
            'org.gnome.Mutter.DisplayConfig', null, (source, result) => {
                let proxy;
                try {
                    proxy = Gio.DBusProxy.new_finish(result);
                } catch (e) {
                    logError(e, 'Marivelle: cannot follow the screen blanking');
                    return;
                }
                if (this._sessionSettings === null)
                    return;
                this._displayConfig = proxy;
                proxy.connectObject('g-properties-changed', () => read(proxy), this);
                read(proxy);
            });
    }

    _unwatchIdle() {
        const monitor = global.backend.get_core_idle_monitor();
        for (const id of [this._idleWatch, this._activeWatch]) {
            if (id !== 0)
                monitor.remove_watch(id);
        }
        this._idleWatch = 0;
        this._activeWatch = 0;
        this._idle = false;
    }
};
