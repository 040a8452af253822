// The aquarium's page in Plasma's "Configure Desktop and Wallpaper" dialog:
// the number of fish, the speed and the frame rates. Plasma saves them with
// the desktop's wallpaper settings; the running wallpaper follows at once.
import QtQuick 2.15
import QtQuick.Controls 2.15 as QQC2
import org.kde.kirigami 2.20 as Kirigami

Kirigami.FormLayout {
    id: page

    property alias cfg_FishCount: fish.value
    property real cfg_Speed: 1.0
    property alias cfg_FrameRate: frameRate.value
    property alias cfg_BatteryFrameRate: batteryFrameRate.value

    QQC2.SpinBox {
        id: fish
        objectName: "fish"
        Kirigami.FormData.label: "Fish:"
        from: 1
        to: 30000
    }

    // In hundredths, as a spin box counts in whole numbers.
    QQC2.SpinBox {
        id: speed
        objectName: "speed"
        Kirigami.FormData.label: "Speed:"
        from: 25
        to: 400
        stepSize: 25
        value: Math.round(page.cfg_Speed * 100)
        textFromValue: (value, locale) => Number(value / 100).toLocaleString(locale, "f", 2) + "×"
        valueFromText: (text, locale) => Math.round(Number.fromLocaleString(locale, text.replace("×", "")) * 100)
        onValueModified: page.cfg_Speed = value / 100
    }

    QQC2.SpinBox {
        id: frameRate
        objectName: "frameRate"
        Kirigami.FormData.label: "Frames a second:"
        from: 1
        to: 1000
    }

    QQC2.SpinBox {
        id: batteryFrameRate
        objectName: "batteryFrameRate"
        Kirigami.FormData.label: "On battery:"
        from: 0
        to: 1000
        textFromValue: (value, locale) => value === 0 ? "Paused" : Number(value).toLocaleString(locale, "f", 0)
        valueFromText: (text, locale) => text === "Paused" ? 0 : Number.fromLocaleString(locale, text)
    }
}
