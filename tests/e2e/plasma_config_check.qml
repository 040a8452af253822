// Loads the wallpaper plugin's settings page as Plasma's dialog does, gives
// it settings, turns its spin boxes as a user would, and checks what it
// would save. Ends with 0 when all holds, 1 with a line on what did not.
// Run by qmlscene from a folder that holds it beside the page, config.qml.
import QtQuick 2.15
import QtQuick.Controls 2.15 as QQC2

Item {
    id: root
    width: 600
    height: 400

    property var page: null

    function fail(why) {
        console.error("FAIL: " + why);
        Qt.exit(1);
    }

    function spinNamed(item, name) {
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i];
            if (child instanceof QQC2.SpinBox && child.objectName === name) {
                return child;
            }
            const found = spinNamed(child, name);
            if (found) {
                return found;
            }
        }
        return null;
    }

    // Once the event loop runs, so that Qt.exit can end it.
    Timer {
        running: true
        interval: 0
        onTriggered: root.check()
    }

    function check() {
        const component = Qt.createComponent(Qt.resolvedUrl("config.qml"));
        if (component.status !== Component.Ready) {
            fail("the settings page does not load: " + component.errorString());
            return;
        }
        page = component.createObject(root, { cfg_FishCount: 120, cfg_Speed: 1.5, cfg_FrameRate: 24,
                                              cfg_BatteryFrameRate: 0 });
        if (!page) {
            fail("the settings page cannot be made");
            return;
        }
        const fish = spinNamed(page, "fish");
        const speed = spinNamed(page, "speed");
        const battery = spinNamed(page, "batteryFrameRate");
        if (!fish || !speed || !battery) {
            fail("the page lacks a spin box for the fish, the speed or the frame rate on battery");
            return;
        }
        if (fish.value !== 120 || speed.value !== 150 || battery.displayText !== "Paused") {
            fail("the page shows " + fish.value + " fish, speed " + speed.value + ", battery " + battery.displayText);
            return;
        }
        fish.increase();
        fish.valueModified();
        speed.increase();
        speed.valueModified();
        if (page.cfg_FishCount !== 121 || Math.abs(page.cfg_Speed - 1.75) > 1e-9) {
            fail("turned up, the page would save " + page.cfg_FishCount + " fish at speed " + page.cfg_Speed);
            return;
        }
        if (speed.displayText.indexOf("1.75") < 0) {
            fail("the speed reads " + speed.displayText);
            return;
        }
        console.log("the settings page shows and saves the fish, the speed and the frame rates");
        Qt.exit(0);
    }
}
