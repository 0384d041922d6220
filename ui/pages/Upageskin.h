#pragma once

#include <QString>

class QLabel;

// Puts the skin's picture of that name into a page's background label, at once when the label is visible,
// otherwise when it is first shown.
void SetPageBackground(QLabel* background, const QString& picture);
