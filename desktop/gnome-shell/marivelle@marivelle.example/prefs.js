// The wallpaper's preferences: the number of fish, the speed and the frame
// rates, kept in the extension's settings, which the extension follows as
// soon as they change.
/* exported init, fillPreferencesWindow */
const { Adw, Gio, Gtk } = imports.gi;
const ExtensionUtils = imports.misc.extensionUtils;

function init() {
}

// A row with a spin button bound to the integer or double setting KEY.
function addSpinRow(group, settings, key, title, subtitle, lower, upper, step, digits) {
    const adjustment = new Gtk.Adjustment({ lower, upper, step_increment: step, page_increment: step * 10 });
    const spin = new Gtk.SpinButton({ adjustment, digits, valign: Gtk.Align.CENTER, numeric: true });
    settings.bind(key, spin, 'value', Gio.SettingsBindFlags.DEFAULT);
    const row = new Adw.ActionRow({ title, subtitle, activatable_widget: spin });
    row.add_suffix(spin);
    group.add(row);
}

function fillPreferencesWindow(window) {
    const settings = ExtensionUtils.getSettings();
    const page = new Adw.PreferencesPage();
    const tank = new Adw.PreferencesGroup({ title: 'Aquarium' });
    addSpinRow(tank, settings, 'fish', 'Fish', 'How many fish swim in the tank', 1, 30000, 1, 0);
    addSpinRow(tank, settings, 'speed', 'Speed',
        'Every motion this many times as fast, the flight around the tank included', 0.25, 4, 0.25, 2);
    page.add(tank);
    const pace = new Adw.PreferencesGroup({
        title: 'Frame rate',
        description: 'Nothing is drawn while nobody can see the background.',
    });
    addSpinRow(pace, settings, 'frame-rate', 'Frames a second', 'On mains power', 1, 1000, 1, 0);
    addSpinRow(pace, settings, 'battery-frame-rate', 'Frames a second on battery',
        '0 stops the picture until mains power returns', 0, 1000, 1, 0);
    page.add(pace);
    window.add(page);
}
