#include "controls/drop_down_list.h"

#include <QEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>

CDropDownList::CDropDownList(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentTextChanged, this, &CDropDownList::UpdateToolTip);
}

QString CDropDownList::ShownText() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The style draws the label a pixel in from each side of the field.
    return fontMetrics().elidedText(currentText(), Qt::ElideRight, field.width() - 2);
}

void CDropDownList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = ShownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void CDropDownList::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    UpdateToolTip();
}

void CDropDownList::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        UpdateToolTip();
}

void CDropDownList::UpdateToolTip() {
    const QString text = currentText();
    setToolTip(ShownText() == text ? QString() : text);
}
