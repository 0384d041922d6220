#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

class QComboBox;
class QLabel;
class TFABitmapBtn;
class TPropertyPageFrame;

// Pieces every page of the profile editor shares: its navigation buttons, the bullets of its captions and
// the combo boxes whose items carry a setting's value.

// Skins Back, Next and Exit and lines them up from the right: Exit ends at x = 531, the others 8 pixels
// apart. `back` may be null (the first page has none).
void SetupEditorButtons(TFABitmapBtn* back, TFABitmapBtn* next, TFABitmapBtn* exit);
// A bullet picture before each caption.
void AddCaptionBullets(TPropertyPageFrame* page, std::initializer_list<QLabel*> captions);
// The value an item carries, or `none` when nothing is selected.
int SelectedValue(const QComboBox* combo, int none);
// Selects the item carrying `value`, else the first item when there is one; false when `value` was absent.
bool SelectValueOrFirst(QComboBox* combo, int value);
class CNICAdapter;
// The WPA ciphers the adapter's settings allow: TKIP (1), AES (2); nothing without an adapter.
void FillCipherCombo(QComboBox* combo, const CNICAdapter* adapter);
// Whether an attach by SetAdapter is one in station mode, which the editor pages follow.
bool IsStationAttach(const CNICAdapter* adapter, int change, int flags);
class QWidget;
// Shows the "Message" text of `key` (default `def`) with the warning icon, as every refusal of a page does.
void ShowEditorMessage(QWidget* page, const QString& key, const QString& def);
void ShowEditorWarning(QWidget* page, const QString& text);
