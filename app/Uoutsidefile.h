#pragma once

#include <QByteArray>
#include <QString>

// Files the program reads from outside (settings, language files, skin pictures, the per-user store): opened
// without blocking, so that a FIFO or a device in their place cannot hold a thread for good, and taken only
// when they are regular files within a size limit. A refusal is logged once per file and kind.

enum class OutsideFile {
    Ok,
    Missing,    // no such file
    NotRegular, // a FIFO, a device, a socket or a folder
    TooLarge,   // larger than the caller's limit
    Unreadable, // no permission, or a read that failed
};

// Checks `path` as ReadOutsideFile does, without reading it: for files another reader then opens.
OutsideFile CheckOutsideFile(const QString& path, qint64 maxBytes);
// The whole content of `path` in `data` when it is a regular file of at most `maxBytes` (a file that grows
// past the limit while being read is refused too); `data` is empty otherwise.
OutsideFile ReadOutsideFile(const QString& path, qint64 maxBytes, QByteArray& data);
