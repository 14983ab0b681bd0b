#include "controls/dialog_template.h"

#include <QFontMetrics>
#include <QWidget>

namespace {

QSize BaseUnits(const QWidget* dialog) {
    const QFontMetrics fm(dialog->font());
    // The average width of the 52 Latin letters, rounded, as dialog templates measure it.
    const int width =
        (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
    return {width, fm.height()};
}
} // namespace

QRect DialogUnitsToPixels(const QWidget* dialog, const QRect& dlu) {
    const QSize base = BaseUnits(dialog);
    return {dlu.x() * base.width() / 4, dlu.y() * base.height() / 8, dlu.width() * base.width() / 4,
            dlu.height() * base.height() / 8};
}

void PlaceInDialogUnits(QWidget* dialog, QWidget* control, int x, int y, int width, int height) {
    control->setGeometry(DialogUnitsToPixels(dialog, QRect(x, y, width, height)));
}

void SetControlId(QWidget* control, int id) {
    control->setObjectName(QStringLiteral("idc%1").arg(id));
}

QWidget* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<QWidget*>(QStringLiteral("idc%1").arg(id));
}
