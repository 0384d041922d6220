#pragma once

#include <QString>
#include <cstdint>

// Small shared helpers for values read from INI files, keys and MAC addresses, and driver files.

// Replaces every backslash-n pair by a line feed: language-file values cannot hold line breaks.
void UnescapeNewlines(QString& text);

// Comma- or blank-separated integers, items optionally in double quotes. Stores at most `capacity`
// and returns how many converted, which may exceed the capacity.
int ParseIntList(const QString& text, int32_t* out, int capacity);

// "major.minor.release.build" of a file, cut to `parts` parts (1 to 3; any other value gives all four).
// The program and the driver carry the version as an ELF note; a kernel module in its .modinfo.
QString FileVersionText(const QString& path, int parts);

// Directory searched for driver files (the running kernel's module directory); tests point it elsewhere.
void SetDriverRootDir(const QString& dir);
QString DriverRootDir();
// Full path of a driver file: an existing absolute path as it stands, else named relative to the module
// directory or found in its wireless driver folder by file name; empty when none exists.
QString DriverFilePath(const QString& name);

// The UTF-8 form of `text` cut to at most maxBytes bytes at a character boundary.
QByteArray Utf8Left(const QString& text, qsizetype maxBytes);
// Display text of a byte field (up to its first NUL, at most `size` bytes): the bytes read as UTF-8 when
// they are valid UTF-8, else as Latin-1, so names from other systems stay readable. Network names are raw
// bytes: show them through this, and never write the text back in place of the bytes.
QString BytesText(const char* data, size_t size);
// Copies `text` into a fixed, NUL-terminated field of `size` bytes (size - 1 bytes of text at most); the
// rest of the field is zero-filled.
void CopyTextField(char* field, size_t size, const QString& text);

// The user's runtime directory for lock files and local sockets: XDG_RUNTIME_DIR when it is a private
// directory of ours, else the session's /run/user/<uid>, else a private directory in the user's cache folder
// made on demand; empty when none of them is safe.
QString RuntimeDir();

// Pairs of hexadecimal digits into bytes; a pair that does not start with a digit gives 0.
void HexToBytes(const QString& text, uint8_t* buffer);
bool IsHexText(const QString& text);
