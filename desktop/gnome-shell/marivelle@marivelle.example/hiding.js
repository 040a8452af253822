// The program's window is seen only through the backgrounds: it stays
// minimised (so it covers nothing, takes no click and never the focus), on
// every workspace, and out of the window lists. A Wayland client the shell
// owns is taken out of the lists by the shell (skip-taskbar), which the
// overview, the window switcher, the dash and the running apps all follow.
/* exported hideWindow, releaseWindow */
const { Meta } = imports.gi;

// Hides WINDOW now and whenever something shows it again.
function hideWindow(window) {
    window.stick();
    if (!Meta.is_wayland_compositor()) {
        // Minimised, an X11 window is unmapped, and nothing is drawn in it
        // for the copies to show. The program's window takes neither focus
        // nor clicks, and is out of the lists, by its own hints; it is put
        // under the other windows of its layer, and seen only through the
        // copies.
        window.lower();
        const actor = window.get_compositor_private();
        // The shell fades a new window in, and sets it opaque at the end:
        // it is made clear again once nothing animates it.
        const keepClear = () => {
            if (actor.opacity !== 0 && actor.get_transition('opacity') === null)
                actor.opacity = 0;
        };
        actor.connectObject('notify::opacity', keepClear, 'transitions-completed', keepClear, hideWindow);
        keepClear();
        return;
    }
    window.minimize();
    window.connectObject('notify::minimized', () => {
        if (!window.minimized)
            window.minimize();
    }, 'focus', () => {
        // Focus belongs to the user's windows; a minimised window takes
        // none, so this is one that was just shown, and is hidden again.
        window.minimize();
    }, 'notify::above', () => {
        if (window.is_above())
            window.unmake_above();
    }, hideWindow);
}

// Stops keeping WINDOW hidden (it is about to go).
function releaseWindow(window) {
    window.disconnectObject(hideWindow);
    window.get_compositor_private()?.disconnectObject(hideWindow);
}
