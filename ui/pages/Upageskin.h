#pragma once

#include "engine/tsrwl.h"

#include <QString>

class QLabel;

// Puts the skin's picture of that name into a page's background label.
void SetPageBackground(QLabel* background, const QString& picture);
// The profile's name as the pages show and log it.
QString ProfileNameOf(const WLProfile& profile);
