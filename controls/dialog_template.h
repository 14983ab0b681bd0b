#pragma once

#include <QRect>

class QWidget;

// Places `control` at a position given in dialog units of `dialog`'s font (x and width in quarters of
// the average character width, y and height in eighths of the character height), as templates do.
void PlaceInDialogUnits(QWidget* dialog, QWidget* control, int x, int y, int width, int height);
QRect DialogUnitsToPixels(const QWidget* dialog, const QRect& dialogUnits);

// Tags a control with its template id, so routing and tests can find it by that id.
void SetControlId(QWidget* control, int id);
QWidget* FindControl(const QWidget* dialog, int id);

template <typename T>
T* FindControl(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindControl(dialog, id));
}
