#include "controls/skin.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QStyle>

#include "controls/command_target.h"

// The resources live in the ui library, a static library: they must be registered by hand.
void InitProgramResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {
struct SkinState {
    bool ready = false;
    QString styleSheet;
};

SkinState& State() {
    static SkinState state;
    return state;
}
} // namespace

namespace Skin {

void Init(const QString& applicationName, const QString& applicationCode) {
    Q_UNUSED(applicationCode);
    InitProgramResources();
    State().ready = true;
    if (qApp && !applicationName.isEmpty())
        qApp->setApplicationDisplayName(applicationName);
}

bool LoadFromResource(const QString& resourceName, const QString& resourceType) {
    if (!State().ready)
        return false;
    QFile file(QStringLiteral(":/%1/%2").arg(resourceType, resourceName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    State().styleSheet = QString::fromUtf8(file.readAll());
    return true;
}

void SetDialogSkin(const QString& objectName) {
    // The skin holds a single object, "Dialog", which covers every dialog and its controls.
    if (!State().ready || objectName != QLatin1String("Dialog") || !qApp)
        return;
    qApp->setStyleSheet(State().styleSheet);
}

void RemoveWindowSkin(QWidget* control) {
    if (!control)
        return;
    control->setProperty(kExcludedProperty, true);
    control->style()->unpolish(control);
    control->style()->polish(control);
    control->update();
}

void TrackPopupMenu(QMenu* menu, unsigned flags, int x, int y, CommandTarget* owner) {
    Q_UNUSED(flags); // Qt menus follow either mouse button already.
    if (!menu)
        return;
    QAction* chosen = menu->exec(QPoint(x, y));
    if (chosen && owner) {
        bool ok = false;
        const int id = chosen->data().toInt(&ok);
        if (ok)
            owner->OnCommand(id);
    }
}

void Exit() {
    if (qApp && State().ready)
        qApp->setStyleSheet(QString());
    State() = SkinState();
}

QString CurrentStyleSheet() {
    return State().styleSheet;
}

} // namespace Skin
