// The tests' eyes inside GNOME Shell: a D-Bus object on the shell's session
// bus connection, called with gdbus. Each method answers at once, or (the
// screenshot) as soon as the stage has been read.
const { Gio, GLib, Clutter, Meta, Shell } = imports.gi;
const Main = imports.ui.main;
const AltTab = imports.ui.altTab;

const kInterface = `
<node>
  <interface name="org.marivelle.ShellProbe">
    <method name="Screenshot">
      <arg type="s" direction="in" name="path"/>
    </method>
    <method name="Lists">
      <arg type="s" direction="out" name="json"/>
    </method>
    <method name="Overview">
      <arg type="b" direction="in" name="shown"/>
    </method>
    <method name="Touch"/>
    <method name="Restart"/>
    <method name="Click">
      <arg type="d" direction="in" name="x"/>
      <arg type="d" direction="in" name="y"/>
      <arg type="u" direction="in" name="button"/>
    </method>
    <method name="Locked">
      <arg type="b" direction="in" name="locked"/>
    </method>
  </interface>
</node>`;

let exported = null;
let pointer = null;

function describe(window) {
    return `${window.get_title()}|${window.get_wm_class()}|${window.get_pid()}`;
}

// The actors whose class is named NAME under ACTOR, as [all, mapped].
function countActors(actor, name, counts) {
    if (actor.constructor.name.includes(name)) {
        counts[0]++;
        if (actor.is_mapped())
            counts[1]++;
    }
    for (const child of actor.get_children())
        countActors(child, name, counts);
    return counts;
}

// Every actor on the stage that stands for a window (the overview's previews,
// the thumbnails' clones), named by its window.
function collectShownWindows(actor, found) {
    if (actor.metaWindow instanceof Meta.Window && actor.is_mapped() && actor.get_paint_opacity() > 0)
        found.push(`${actor.constructor.name}:${describe(actor.metaWindow)}`);
    for (const child of actor.get_children())
        collectShownWindows(child, found);
    return found;
}

class Probe {
    ScreenshotAsync([path], invocation) {
        const file = Gio.File.new_for_path(path);
        const stream = file.replace(null, false, Gio.FileCreateFlags.NONE, null);
        const shooter = new Shell.Screenshot();
        shooter.screenshot(false, stream, (source, result) => {
            try {
                shooter.screenshot_finish(result);
                stream.close(null);
                invocation.return_value(null);
            } catch (e) {
                invocation.return_dbus_error('org.marivelle.ShellProbe.Failed', String(e));
            }
        });
    }

    Lists() {
        const display = global.display;
        const tracker = Shell.WindowTracker.get_default();
        const lists = {
            all: display.list_all_windows().map(w =>
                `${describe(w)}|minimized=${w.minimized}|skip=${w.skip_taskbar}|app=${tracker.get_window_app(w)?.get_id() ?? ''}`),
            actors: global.get_window_actors().map(a => describe(a.meta_window)),
            geometry: global.get_window_actors().map(a => {
                const frame = a.meta_window.get_frame_rect();
                const buffer = a.meta_window.get_buffer_rect();
                const surface = a.get_first_child();
                return `${describe(a.meta_window)}|frame=${frame.width}x${frame.height}` +
                    `|buffer=${buffer.width}x${buffer.height}|actor=${a.width}x${a.height}` +
                    `|surface=${surface?.width}x${surface?.height}`;
            }),
            tabList: display.get_tab_list(Meta.TabList.NORMAL_ALL, null).map(describe),
            altTab: AltTab.getWindows(null).map(describe),
            running: Shell.AppSystem.get_default().get_running().map(app =>
                `${app.get_id()}:${app.get_windows().map(describe).join(',')}`),
            focus: display.focus_window ? describe(display.focus_window) : '',
            focusApp: tracker.focus_app ? tracker.focus_app.get_id() : '',
            stage: collectShownWindows(global.stage, []),
            overview: Main.overview.visible,
            // GNOME's own right-click menu on the desktop's background.
            backgroundMenu: Main.layoutManager._bgManagers.some(m => m.backgroundActor?._backgroundMenu?.isOpen),
            // The shell opens the overview at the end of its start-up.
            startingUp: Main.layoutManager._startingUp,
            // The aquarium's copies in the backgrounds: made and shown.
            covers: countActors(global.stage, 'MarivelleCoverClone', [0, 0]).map(String),
            notifications: Main.messageTray.getSources().flatMap(source =>
                source.notifications.map(n => `${n.title}: ${n.bannerBodyText}`)),
            monitors: Main.layoutManager.monitors.map(m => `${m.x},${m.y},${m.width},${m.height}`),
        };
        return JSON.stringify(lists);
    }

    Overview(shown) {
        if (shown)
            Main.overview.show();
        else
            Main.overview.hide();
    }

    // Input as a user's: the idle monitor counts it, as it counts a real one.
    Touch() {
        if (!pointer) {
            const seat = Clutter.get_default_backend().get_default_seat();
            pointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
        }
        pointer.notify_relative_motion(GLib.get_monotonic_time(), 1, 1);
    }

    // Restarts the shell in place, as Alt+F2 r does on X11.
    Restart() {
        GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
            Meta.restart('Restarting…', global.context);
            return GLib.SOURCE_REMOVE;
        });
    }

    // A click as a user's, with a virtual pointer: at X, Y on the stage.
    Click(x, y, button) {
        if (!pointer) {
            const seat = Clutter.get_default_backend().get_default_seat();
            pointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
        }
        const now = GLib.get_monotonic_time();
        pointer.notify_absolute_motion(now, x, y);
        pointer.notify_button(now + 1000, button, Clutter.ButtonState.PRESSED);
        pointer.notify_button(now + 2000, button, Clutter.ButtonState.RELEASED);
    }

    // The lock screen as the shell's session mode has it: a headless shell
    // has no display manager to lock with. User extensions are off while it
    // shows; this one stays, to end it.
    Locked(locked) {
        if (locked)
            Main.sessionMode.pushMode('unlock-dialog');
        else if (Main.sessionMode.currentMode === 'unlock-dialog')
            Main.sessionMode.popMode('unlock-dialog');
    }
}

function init() {
}

function enable() {
    Main.overview.hide();
    exported = Gio.DBusExportedObject.wrapJSObject(kInterface, new Probe());
    exported.export(Gio.DBus.session, '/org/marivelle/ShellProbe');
}

function disable() {
    exported?.unexport();
    exported = null;
}
