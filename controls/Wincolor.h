#pragma once

#include <QColor>
#include <cstdint>

// Colours in the settings and layouts are stored as 0x00BBGGRR (red in the low byte); these two are the only
// place that knows it.
QColor WinColor(uint32_t value);
uint32_t ToWinColor(const QColor& color);
