// Covers every monitor with a fullscreen window of its own, as a video
// player or a game would, until killed.
imports.gi.versions.Gtk = '4.0';
imports.gi.versions.Gdk = '4.0';
const { Gdk, GLib, Gtk } = imports.gi;

Gtk.init();
const monitors = Gdk.Display.get_default().get_monitors();
for (let i = 0; i < monitors.get_n_items(); i++) {
    const window = new Gtk.Window({ title: `cover ${i}` });
    window.fullscreen_on_monitor(monitors.get_item(i));
    window.present();
}
new GLib.MainLoop(null, false).run();
