// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Plain files of one line on Windows, named in UTF-8. Every failure is a FatalError
// naming the path; a reparse point at the name is never followed.

// Reads at most maxBytes of a regular file.
std::string readWholeFile(const std::string& path, std::size_t maxBytes);

// Creates an empty file unless something is there already; what is there must be a
// regular file.
void createIfMissing(const std::string& path);

// Whether a regular file is at path; anything else there is an error.
bool regularFileAt(const std::string& path);

// Whether a folder or reparse point is at path, asked without opening it: never an error.
bool somethingElseAt(const std::string& path);

// Whether the file at path has the read-only attribute.
bool readOnlyFileAt(const std::string& path);

// Fails unless the file can be replaced: a regular file this player may write, made
// empty if missing. A save checks this before it commits to anything.
void requireReplaceable(const std::string& path);

// Writes text over the file in place (creating it), flushed to the disk when this returns.
void writeFlushed(const std::string& path, std::string_view text);

// Removes the file (a link itself, never what it points to); a missing one is no error.
void removeFile(const std::string& path);

// Replaces the file with text: written beside it, flushed and moved over it with
// write-through, so a crash leaves either the old or the new content.
void replaceFile(const std::string& path, std::string_view text);
