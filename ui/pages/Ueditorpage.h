#pragma once

#include <QString>
#include <initializer_list>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class TFABitmapBtn;
class TPropertyPageFrame;

// Pieces every page of the profile editor shares: its navigation buttons, the bullets of its captions and
// the combo boxes whose items carry a setting's value.

// Translates the page from `section`, shows the editor's background picture on `background`, puts bullets
// before the captions and skins and places the navigation buttons. The bullets, in the order of the captions
// (null where a caption has none).
std::vector<QLabel*> SkinEditorPage(TPropertyPageFrame* page, const QString& section, QLabel* background,
                                    std::initializer_list<QLabel*> captions, TFABitmapBtn* back,
                                    TFABitmapBtn* next, TFABitmapBtn* exit);
// Skins Back, Next and Exit and lines them up from the right: Exit ends at x = 531, the others 8 pixels
// apart. `back` may be null (the first page has none).
void SetupEditorButtons(TFABitmapBtn* back, TFABitmapBtn* next, TFABitmapBtn* exit);
// A bullet picture before each caption; the bullets in the order of the captions.
std::vector<QLabel*> AddCaptionBullets(TPropertyPageFrame* page, std::initializer_list<QLabel*> captions);
// The value an item carries, or `none` when nothing is selected.
int SelectedValue(const QComboBox* combo, int none);
// Selects the item carrying `value`, else the first item when there is one; false when `value` was absent.
bool SelectValueOrFirst(QComboBox* combo, int value);
class CNICAdapter;
// The WPA ciphers the adapter's settings allow: TKIP (1), AES (2); nothing without an adapter.
void FillCipherCombo(QComboBox* combo, const CNICAdapter* adapter);
// Keeps `slot` on the adapter attached in station mode; a detach clears the page and forgets the adapter.
// True when the call attached an adapter.
bool TrackStationAdapter(TPropertyPageFrame* page, CNICAdapter*& slot, CNICAdapter* adapter, int change,
                         int flags);
class QWidget;
// Shows the "Message" text of `key` (default `def`) with the warning icon, as every refusal of a page does.
void ShowEditorMessage(QWidget* page, const QString& key, const QString& def);
void ShowEditorWarning(QWidget* page, const QString& text);
class QCheckBox;
class TMaskedEdit;
// Sets up a page's "show characters" switch (text `section`/"ChkShowChars") over its secret edits: ticked,
// what the user typed shows its characters; a stored secret never does. It starts unticked.
void SetUpShowSwitch(QCheckBox* show, const QString& section, std::initializer_list<TMaskedEdit*> edits);
