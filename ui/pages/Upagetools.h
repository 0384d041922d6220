#pragma once

#include "adaptercore/tsrwl.h"

#include <QString>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

class CNICAdapter;
class QColor;
class QObject;
class QComboBox;
class QWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TSortLv;
class TTrifaceBtn;

// Helpers the station and editor pages share: button faces and rows, their messages, and the texts of a
// profile's settings.

// Gives a page button the skin's faces "<face>" (normal and pressed) and "<face>On" (under the mouse).
void SetButtonFaces(TTrifaceBtn* button, const QString& face);
// Gives page buttons their faces (button, face name) and lines them up leftwards: the first one's right edge
// at `rightEdge`, each next one 8 pixels left of the one before.
void SetButtonRow(std::initializer_list<std::pair<TTrifaceBtn*, const char*>> rightToLeft, int rightEdge);
// Sets up a report list of the pages: the skin's sort arrows and kind icons, column widths, centred column
// captions but the icon column's, and sorting by `sortColumn` but never by the icon column (column 0).
void SetUpReportList(TSortLv* list, std::initializer_list<int> widths, int sortColumn);
// Disables a button while what it started runs (a scan, a save). A button that had the focus hands it to
// `heir` (the list a scan fills, the page): left to itself the focus would go to the window's next control,
// off the page, or to a button beside it that Enter would then press.
void DisableKeepingFocus(QWidget* button, QWidget* heir);
// Draws the rows `marked` chooses in AppliedRowColor, the others plain; a screen reader says `mark`
// ("Active", "Connected") before such a row.
void PaintMarkedRows(QTreeWidget* list, const std::function<bool(const QTreeWidgetItem*)>& marked,
                     const QString& mark);
// Styles of the program's message box that the pages use.
enum TPageMessageStyle : int {
    PM_WARNING = 48,   // exclamation icon, OK
    PM_OK_CANCEL = 65, // information icon, OK and Cancel
    PM_YES_NO = 36,    // question icon, Yes and No
    // Yes and No, No the default: for a question whose Yes throws work away.
    PM_YES_NO_DEFAULT_NO = PM_YES_NO | 0x100,
};
// The program's message box over the window that holds `page`, with the text "Message"/`key` of the language
// file, its "%s" replaced by `arg`; returns the box's result.
int ShowPageMessage(QWidget* page, const char* key, const char* defaultText, int style = PM_WARNING,
                    const QString& arg = QString());
// Sorts the list's rows by `lessThan`, keeping the current and the selected rows.
void SortListItems(QTreeWidget* list,
                   const std::function<bool(const QTreeWidgetItem*, const QTreeWidgetItem*)>& lessThan);
// Sorts a list the way the profile lists sort: by the text of its sort column without regard to letter
// case, or by the number its rows carry in Qt::UserRole of that column, reversed when it sorts descending.
void SortByColumnText(TSortLv* list);

// Index in the skin's network kind icons: secured 2, plus 1 for an ad hoc network (network type other than
// 1).
int KindImageIndex(uint32_t security, uint32_t networkMode);
// Background of the row of the profile being applied, or of the network the adapter is associated with.
const QColor& AppliedRowColor();

// A rate in half megabits per second, such as "5.5 Mbps"; 0 and 15 mean automatic.
QString RateText(int value);
// The channel of an ad hoc profile, "Auto" for channel 0 and for infrastructure profiles.
QString ProfileChannelText(const WLProfile& profile);
// Bands of an infrastructure profile; the ad hoc band of an ad hoc one, as its standard when the adapter
// says so ("EnableAdHocG"), "Auto" without an adapter.
QString ProfileModeText(const WLProfile& profile, const CNICAdapter* adapter);

// Fetches the site list of `adapter` (a page's adapter member) on the adapter's worker, which may first
// finish a connect. On the window's thread `show` gets it while the member still holds the adapter asked,
// and `ended` is called in any case, at once when there is no adapter; nothing when `page` is gone.
void FetchSiteList(QObject* page, CNICAdapter* const& adapter,
                   const std::function<void(const std::vector<TSSiteEntry>&)>& show,
                   const std::function<void()>& ended);

// Lists the channels of one band in a channel combo box: those of the adapter setting `key` (a
// comma-separated list; the setting "<key>_<regulatory domain>" overrides it), else those `allowed` gives for
// the band, such as CNICAdapter::GetAllowedCh. At most 256; channel 0 is shown as "Auto"; a negative one ends
// the list.
using TAllowedChannels = int (CNICAdapter::*)(int32_t* out, int capacity, uint32_t bandFilter) const;
void FillChannelCombo(QComboBox* combo, const CNICAdapter& adapter, const QString& key, uint32_t bandBit,
                      TAllowedChannels allowed);

// Writes an edited name into a text field. A text the user left as it was shown keeps the field's bytes,
// which need not be UTF-8 (names from scans and other systems); a changed text is stored as UTF-8, cut at a
// character boundary to `maxChars` characters and to the field.
void StoreEditedText(char* field, size_t size, const QString& edited, int maxChars);
