#pragma once

#include <QString>

// Whether the program may write in `dir` and trust what it reads there: every folder on the way from the root
// down (symbolic links followed, their targets checked the same way) is the user's or the system's, and none
// can be changed by another user: not writable by others (unless sticky, as /tmp is, where nobody may
// replace another's entries), writable by the group only when it is the user's own, and no link belongs to
// another user. Folders not made yet count as safe: the program makes them private. A refusal is logged once.
bool IsSafeFolder(const QString& dir);
// The same for the folder that holds `path`.
bool IsSafeFolderOf(const QString& path);
