#pragma once

#include <cstdio>
#include <string>

// What the tip panel shows in place of a tip when the file is missing or unusable.
inline constexpr const char* kTipsFileMissing = "Tips file does not exist in the prescribed directory";
inline constexpr const char* kTipsTrouble = "Trouble reading the tips file";

// The time stamp the tip of the day remembers for a file: its status-change time in ctime's fixed form
// ("Wed Jun 30 21:49:08 1993"), empty when the file cannot be examined. The change time, not the
// modification time: a replacement that keeps the old modification time (a package update, `cp -p`) still
// changes it.
std::string TipsFileTimeStamp(std::FILE* file);

// The tip of the day without its window: one tip at a time from `tips.txt`, and the place in it kept in the
// profile section "Tip" ("StartUp", "FilePos", "TimeStamp"), so that every showing continues with the next
// tip and a replaced file starts again at the first one.
//
// The file is read line by line, at most 999 characters at once (the rest of a longer line comes as the next
// line). A line starting with a space, a tab, a line end or ';' is not a tip.
class TipsReader {
public:
    static constexpr int kLineBuffer = 1000;

    // Reads "StartUp" and "FilePos", opens `tipsPath`, starts at the first tip when the file's time stamp is
    // not the stored one (storing the new stamp), and reads the tip to show. Also when the dialog is not shown.
    TipsReader(std::string tipsPath, std::string profilePath);
    // Stores where the next tip is looked for ("FilePos") and closes the file.
    ~TipsReader();
    TipsReader(const TipsReader&) = delete;
    TipsReader& operator=(const TipsReader&) = delete;

    // Whether the dialog is to be shown at start-up ("StartUp" is 0).
    bool ShowAtStartup() const { return m_showAtStartup; }
    // The tip as read, line end included; or the text that stands in for it.
    const std::string& TipText() const { return m_tipText; }
    // False when there is no file, when a whole pass through it found no tip, or when it cannot be rewound:
    // asking for another tip would find nothing.
    bool CanAdvance() const { return m_file && !m_exhausted; }
    // True once after the file could not be positioned; the caller tells the user (kTipsTrouble).
    bool TakeTrouble();

    // Reads the following tip, wrapping round to the first one after the last.
    void NextTip();
    // "Close": the user's choice for start-up ("StartUp" 0 to show, 1 not to).
    void StoreShowAtStartup(bool show) const;

private:
    void WriteProfile(const char* key, const std::string& value) const;

    std::string m_profilePath;
    bool m_showAtStartup = true;
    std::string m_tipText;
    std::FILE* m_file = nullptr;
    bool m_exhausted = false;
    bool m_trouble = false;
};
