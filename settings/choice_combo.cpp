#include "settings/choice_combo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>

#include "controls/dialog_template.h"
#include "controls/drop_down_list.h"

QComboBox* MakeDropDownList(QWidget* dialog, int id, int x, int y, int width) {
    auto* combo = new CDropDownList(dialog);
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
    FitPopupToEntries(combo);
}

void FitPopupToEntries(QComboBox* combo) {
    // The closed list keeps the template's width and cuts a longer entry with "..."; the open list shows them whole.
    const int scrollBar = combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo);
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + scrollBar);
}
