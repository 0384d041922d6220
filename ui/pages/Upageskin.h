#pragma once

#include <QString>

class QLabel;

// Puts the skin's picture of that name into a page's background label.
void SetPageBackground(QLabel* background, const QString& picture);
