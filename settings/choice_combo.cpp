#include "settings/choice_combo.h"

#include <QComboBox>

#include "controls/dialog_template.h"

QComboBox* MakeDropDownList(QWidget* dialog, int id, int x, int y, int width) {
    auto* combo = new QComboBox(dialog);
    SetControlId(combo, id);
    // The templates give the height of the open list; closed, a list is one line.
    PlaceInDialogUnits(dialog, combo, x, y, width, 13);
    return combo;
}

void SelectPosition(QComboBox* combo, int position) {
    combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : -1);
}

void ShowChoiceList(QComboBox* combo, const ChoiceList& list, const ConversionSettings& settings) {
    combo->clear();
    for (const std::string& text : list.texts)
        combo->addItem(QString::fromStdString(text));
    SelectPosition(combo, list.Selection(settings));
    combo->setEnabled(list.enabled);
}
