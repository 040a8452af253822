// The program's window is seen only through the backgrounds: it stays
// minimised (so it covers nothing, takes no click and never the focus), on
// every workspace, and out of the window lists. A Wayland client the shell
// owns is taken out of the lists by the shell (skip-taskbar), which the
// overview, the window switcher, the dash and the running apps all follow.
/* exported hideWindow, releaseWindow */

// Hides WINDOW now and whenever something shows it again.
function hideWindow(window) {
    window.stick();
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
}
