#pragma once

#include "settings/output_profiles.h"

class QComboBox;
class QWidget;

// A drop-down list (not editable, not sorted) with template id `id`, placed in dialog units; it is one line high
// while closed.
QComboBox* MakeDropDownList(QWidget* dialog, int id, int x, int y, int width);

// Selects `position`, or nothing when it lies outside the entries: a stored position is shown as it is, never
// clamped.
void SelectPosition(QComboBox* combo, int position);

// Shows `list` in `combo`: its texts in order, the position `settings` holds for it, enabled as the list says.
void ShowChoiceList(QComboBox* combo, const ChoiceList& list, const ConversionSettings& settings);

// Makes the open list wide enough for its longest entry.
void FitPopupToEntries(QComboBox* combo);
