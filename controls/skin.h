#pragma once

#include <QString>

class QMenu;
class QWidget;
class CommandTarget;

// Makes the program's compiled-in resources (skin, icons) reachable; safe to call any number of times.
void InitProgramResources();

// The skin: one Qt style sheet compiled into the resources, applied to every dialog of the process.
// Six operations, called in this order: init, load, apply to dialogs; then any number of exclusions
// and pop-up menus while the main window runs; exit once at the end. No result needs checking: with
// no skin the windows simply keep Qt's own look.
namespace Skin {

// Readies the skin module for the other calls.
void Init(const QString& applicationName, const QString& applicationCode);
// Makes the resource `resourceName` of `resourceType` the current skin; false when there is no such resource.
bool LoadFromResource(const QString& resourceName, const QString& resourceType);
// Paints every dialog with the current skin's object `objectName` ("Dialog"), from now on.
void SetDialogSkin(const QString& objectName);
// Leaves `control` out of the skin, so that it keeps its own drawing.
void RemoveWindowSkin(QWidget* control);
// Shows `menu` at the screen point and hands the chosen item's id to `owner`'s command routing; returns
// when the menu has closed. `flags` takes the pop-up flags of the callers (only the right-button flag is known).
void TrackPopupMenu(QMenu* menu, unsigned flags, int x, int y, CommandTarget* owner);
// Releases the skin: windows go back to Qt's own look.
void Exit();

// The style sheet text of the current skin (empty when none is loaded). For tests and diagnostics.
QString CurrentStyleSheet();

inline constexpr unsigned kRightButton = 2;
inline constexpr const char* kExcludedProperty = "skinExcluded";

} // namespace Skin
