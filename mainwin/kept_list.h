#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/file_table.h"

// The list the window keeps between runs, with each file's probed facts, in a plain text file:
//
//   quor-zodi-converter list 1
//   <duration> <width> <height> <frame rate> <path>
//   ...
//   end
//
// The path is the file name's bytes as they are, except that '%' and the control characters (a line break among
// them) are written as %XX, so that no name can break a line. A file without its last line is not a list.

// The text of a kept list.
std::string KeptListText(const std::vector<VideoFileEntry>& files);
// The files of a kept list; nothing for a text that is not a whole list of this version.
std::optional<std::vector<VideoFileEntry>> ParseKeptList(std::string_view text);

// Where the list is kept: "quor-zodi-converter/file-list" in the user's state folder (`xdgStateHome` when it is an
// absolute path, else `home` + "/.local/state").
std::string KeptListFile(const std::string& xdgStateHome, const std::string& home);
// The same for this process, from XDG_STATE_HOME and HOME.
std::string KeptListFile();

// The kept list in `file`, empty when there is none. A file that is there but is not a list this version reads (cut
// short, damaged, or a newer version's) is moved aside to `file` + ".unreadable", so keeping this run's list can't
// destroy it.
std::vector<VideoFileEntry> LoadKeptList(const std::string& file);
// Keeps `files` in `file`, making its folder (0700) when missing; false with the reason in `error`.
bool SaveKeptList(const std::string& file, const std::vector<VideoFileEntry>& files, std::string* error);
