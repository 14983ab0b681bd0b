#pragma once

#include <string>
#include <vector>

// The open-file dialog's filters ("Import video files"), in Qt's ";;" notation.
const std::string& VideoFileFilters();
// The name extensions of the files the list takes when a whole folder is added: those the open-file dialog's filters
// name, in lower case, without the dot.
const std::vector<std::string>& VideoExtensions();

// Every file under `folder`, in all its subfolders, whose extension (in any letter case) is a video extension, in
// path order (folder by folder, name by name, the bytes of the names compared). Hidden files and folders (a name
// starting with a dot, among them the encoder's unfinished outputs) are left out, links to folders are not
// followed, and folders that can't be read are passed over. The paths are the bytes of the file names.
std::vector<std::string> VideoFilesUnder(const std::string& folder);

// `paths` with every folder among them replaced by the video files under it; other paths stay as they are. The
// folders without any go to `noVideo`, when given.
std::vector<std::string> ExpandFolders(const std::vector<std::string>& paths,
                                       std::vector<std::string>* noVideo = nullptr);
