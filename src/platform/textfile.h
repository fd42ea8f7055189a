#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Plain files of one line, as the record keeping needs them. Every failure is a
// FatalError naming the path.

// Reads at most maxBytes of a regular file. Never blocks on a FIFO or a device.
std::string readWholeFile(const std::string& path, std::size_t maxBytes);

// Creates an empty file, readable and writable by every local user, unless something
// is there already; what is there must be (or lead to) a regular file.
void createIfMissing(const std::string& path);

// Replaces the file with text: written to a temporary file beside it, flushed to disk
// and renamed over it, so a crash leaves either the old or the new content. A symbolic
// link in its place is replaced, never followed.
void replaceFile(const std::string& path, std::string_view text);
