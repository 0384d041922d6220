#pragma once

#include <QString>

class QLabel;

// Shows the skin's picture of that name as a page's background label, read at once when the label is
// visible, otherwise when it is first shown.
void SetPageBackground(QLabel* background, const QString& picture);
