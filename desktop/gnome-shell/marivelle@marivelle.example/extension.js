// Marivelle as GNOME's background: the extension starts the aquarium
// program, hides its window, shows a copy of it in every background actor,
// tells the program when nobody can see it, and starts it again when it
// ends, a few times a minute at most.
/* exported init */
const { GLib } = imports.gi;
const ExtensionUtils = imports.misc.extensionUtils;
const Main = imports.ui.main;
const MessageTray = imports.ui.messageTray;
const Me = ExtensionUtils.getCurrentExtension();
const { Backgrounds } = Me.imports.background;
const { hideWindow, releaseWindow } = Me.imports.hiding;
const { Renderer } = Me.imports.renderer;
const { Visibility } = Me.imports.visibility;

// A change of the settings comes as one signal per key: the program is
// started again once they have settled.
const kSettleMilliseconds = 200;

class Extension {
    enable() {
        this._window = null;
        this._notice = null;
        this._settings = ExtensionUtils.getSettings();
        this._backgrounds = new Backgrounds();
        this._renderer = new Renderer(this._settings,
            window => this._takeWindow(window),
            text => this._giveUp(text));
        this._visibility = new Visibility(
            seen => this._renderer.tell('seen', seen ? 'seen' : 'unseen'),
            window => window === this._window);
        this._settleId = 0;
        this._settings.connectObject('changed', () => this._settingsChanged(), this);
        Main.layoutManager.connectObject('monitors-changed', () => this._tellSize(), this);
        this._backgrounds.enable();
        this._tellSize();
        this._visibility.enable();
        this._renderer.start();
    }

    disable() {
        if (this._settleId !== 0) {
            GLib.source_remove(this._settleId);
            this._settleId = 0;
        }
        this._settings.disconnectObject(this);
        Main.layoutManager.disconnectObject(this);
        this._visibility.disable();
        this._renderer.stop();
        this._backgrounds.disable();
        this._dropNotice();
        if (this._window)
            releaseWindow(this._window);
        this._window = null;
        this._settings = null;
        this._renderer = null;
        this._visibility = null;
        this._backgrounds = null;
    }

    _takeWindow(window) {
        if (this._window)
            releaseWindow(this._window);
        this._window = window;
        hideWindow(window);
        window.connectObject('unmanaged', () => {
            if (this._window === window) {
                releaseWindow(window);
                this._window = null;
            }
        }, this);
        // The surface, not the window actor: a minimised window's actor
        // keeps the size it had before mutter fitted the window to the
        // work area, and would leave a strip of its own empty.
        const actor = window.get_compositor_private();
        this._backgrounds.setSource(actor.get_first_child() ?? actor);
        this._visibility.check();
    }

    // The window has the size of the largest monitor; each background shows
    // the part of it that has the monitor's shape.
    _tellSize() {
        let width = 0;
        let height = 0;
        for (const monitor of Main.layoutManager.monitors) {
            if (monitor.width * monitor.height > width * height) {
                width = monitor.width;
                height = monitor.height;
            }
        }
        if (width > 0 && height > 0)
            this._renderer.tell('size', `size ${width} ${height}`);
    }

    _settingsChanged() {
        if (this._settleId !== 0)
            GLib.source_remove(this._settleId);
        this._settleId = GLib.timeout_add(GLib.PRIORITY_DEFAULT, kSettleMilliseconds, () => {
            this._settleId = 0;
            this._renderer.restart();
            return GLib.SOURCE_REMOVE;
        });
    }

    // Says so in a notification that stays in the message list until the
    // user dismisses it, or turns the extension off.
    _giveUp(text) {
        this._dropNotice();
        const source = new MessageTray.Source('Marivelle', 'dialog-warning-symbolic');
        Main.messageTray.add(source);
        source.connect('destroy', () => {
            if (this._notice === source)
                this._notice = null;
        });
        this._notice = source;
        source.showNotification(new MessageTray.Notification(source, 'Marivelle', text));
    }

    _dropNotice() {
        this._notice?.destroy();
        this._notice = null;
    }
}

function init() {
    return new Extension();
}
