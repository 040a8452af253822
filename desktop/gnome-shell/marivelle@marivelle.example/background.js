// The aquarium where GNOME draws its wallpaper: every background actor the
// shell makes (one per monitor in the session, and one per monitor and
// workspace in the overview) gets a copy of the program's window over its
// own picture, scaled to cover it and cropped to its shape. Without a
// window (the program starting, or started again) GNOME's own picture
// shows through.
/* exported Backgrounds */
const { Clutter, GObject } = imports.gi;
const Background = imports.ui.background;
const Main = imports.ui.main;

// A copy of one actor that covers its own allocation whatever the copied
// actor's shape, centred, cropped at the edges that overflow.
const CoverClone = GObject.registerClass(
class MarivelleCoverClone extends Clutter.Actor {
    _init() {
        super._init({ clip_to_allocation: true, reactive: false });
        this._clone = new Clutter.Clone({ reactive: false });
        this.add_child(this._clone);
    }

    setSource(actor) {
        this._clone.source = actor;
        this.queue_relayout();
    }

    vfunc_allocate(box) {
        this.set_allocation(box);
        const width = box.get_width();
        const height = box.get_height();
        const source = this._clone.source;
        const [sourceWidth, sourceHeight] = source ? source.get_size() : [0, 0];
        const childBox = new Clutter.ActorBox();
        if (sourceWidth > 0 && sourceHeight > 0) {
            const scale = Math.max(width / sourceWidth, height / sourceHeight);
            const coverWidth = sourceWidth * scale;
            const coverHeight = sourceHeight * scale;
            childBox.set_origin((width - coverWidth) / 2, (height - coverHeight) / 2);
            childBox.set_size(coverWidth, coverHeight);
        }
        this._clone.allocate(childBox);
    }
});

var Backgrounds = class {
    constructor() {
        this._source = null;
        this._covers = new Set();
        this._originalCreate = null;
    }

    // From now on every background actor, and each there already is, shows
    // the source set with setSource.
    enable() {
        const backgrounds = this;
        const original = Background.BackgroundManager.prototype._createBackgroundActor;
        this._originalCreate = original;
        Background.BackgroundManager.prototype._createBackgroundActor = function (...args) {
            const actor = original.apply(this, args);
            backgrounds._cover(actor);
            return actor;
        };
        // The shell's own backgrounds are made again, through the override.
        Main.layoutManager._updateBackgrounds();
    }

    // Every background is GNOME's own again.
    disable() {
        if (this._originalCreate) {
            Background.BackgroundManager.prototype._createBackgroundActor = this._originalCreate;
            this._originalCreate = null;
        }
        for (const cover of [...this._covers])
            cover.destroy();
        this._covers.clear();
        this._source = null;
    }

    // ACTOR (a window actor, or null) is what every background shows.
    setSource(actor) {
        if (this._source)
            this._source.disconnectObject(this);
        this._source = actor;
        for (const cover of this._covers)
            cover.setSource(actor);
        if (actor) {
            actor.connectObject('notify::size', () => {
                for (const cover of this._covers)
                    cover.queue_relayout();
            }, 'destroy', () => {
                if (this._source === actor)
                    this.setSource(null);
            }, this);
        }
    }

    _cover(backgroundActor) {
        const cover = new CoverClone();
        cover.add_constraint(new Clutter.BindConstraint({
            source: backgroundActor,
            coordinate: Clutter.BindCoordinate.SIZE,
        }));
        cover.setSource(this._source);
        backgroundActor.add_child(cover);
        this._covers.add(cover);
        cover.connect('destroy', () => this._covers.delete(cover));
    }
};
