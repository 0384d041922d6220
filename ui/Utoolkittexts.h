#pragma once

class QString;

// Loads the toolkit's own texts (a text field's menu, a standard button) in `language` ("de"), from the
// translations the toolkit ships, and installs them in the application; false, with a line in the debug log,
// when there are none for it. English needs none.
bool LoadToolkitTexts(const QString& language);
