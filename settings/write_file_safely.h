#pragma once

#include <string>
#include <string_view>

// Replaces the file at `path` with `content` so that no crash, full disk or link lying in wait can cost the user
// the file: the content goes into a fresh file beside it, created exclusively under an unpredictable name (never
// through a link, never over anything), is flushed to the disk and only then renamed over `path`. A link at `path`
// itself is kept: the file it points to is replaced. Refuses (false, with the reason in `error`) when the folder
// is missing or read-only or the file is read-only; on any failure the temporary file is removed and `path` is
// left as it was. The file keeps its permissions.
bool WriteFileSafely(const std::string& path, std::string_view content, std::string* error);
