// Whether windows cover the screen: a maximised or fullscreen window, not
// minimised, on the current virtual desktop and activity of the screen at
// SCREENGEOMETRY. Plasma's own task manager model tells.
import QtQuick 2.15
import org.kde.taskmanager 0.1 as TaskManager

QtObject {
    id: coverage

    property rect screenGeometry
    readonly property bool covered: tasks.coveringCount > 0

    property TaskManager.VirtualDesktopInfo desktops: TaskManager.VirtualDesktopInfo {}
    property TaskManager.ActivityInfo activities: TaskManager.ActivityInfo {}

    property TaskManager.TasksModel tasks: TaskManager.TasksModel {
        property int coveringCount: 0

        groupMode: TaskManager.TasksModel.GroupDisabled
        filterByScreen: true
        screenGeometry: coverage.screenGeometry
        filterByVirtualDesktop: true
        virtualDesktop: coverage.desktops.currentDesktop
        filterByActivity: true
        activity: coverage.activities.currentActivity
        filterMinimized: true
        filterHidden: true

        function recount() {
            let covering = 0;
            for (let row = 0; row < count; ++row) {
                const index = makeModelIndex(row);
                if (data(index, TaskManager.AbstractTasksModel.IsMaximized) ||
                    data(index, TaskManager.AbstractTasksModel.IsFullScreen)) {
                    ++covering;
                }
            }
            coveringCount = covering;
        }

        onCountChanged: recount()
        onDataChanged: recount()
        onModelReset: recount()
        onLayoutChanged: recount()
        Component.onCompleted: recount()
    }
}
