#pragma once

#include <functional>

#include <QString>
#include <QStringList>

class QUrl;
class QWidget;
class Prompts;

// Results of OpenLink, numbered as the Windows shell numbers them: anything above 32 is success.
enum LinkResult : int {
    LINK_FILE_NOT_FOUND = 2,  // a local file that does not exist, or a program that cannot be found
    LINK_NO_ASSOCIATION = 31, // nothing on this desktop handles the target
    LINK_OPENED = 33,
};

// Opens `target` (a web address, any other URL, or a local path) with the desktop's URL opener. When that
// fails, runs the program that the desktop registers as default for text/html on it. Answers LINK_OPENED,
// or the code of the first failure when neither could open it.
int OpenLink(const QString& target);

// The Exec= command of the desktop entry registered as default for text/html (mimeapps.list in the XDG config
// and data folders), or an empty text when there is none.
QString HtmlHandlerCommand();

// Splits a desktop entry's Exec= command into program and arguments, with `target` where the first %u, %U,
// %f or %F field code stands (other field codes dropped), or appended as the last argument when there is none.
QStringList DesktopCommandLine(const QString& exec, const QString& target);

// The explanation of an OpenLink failure code.
QString LinkErrorText(int code);

// Beeps and tells the user that a link could not be opened, and why.
void ReportLinkError(Prompts& prompts, QWidget* owner, int code);

// Test-only seam: replaces the desktop's URL opener (QDesktopServices::openUrl, which cannot be made to fail
// or succeed on demand, and which always fails under the offscreen platform). An empty function puts the
// real opener back.
void SetLinkOpenerForTest(std::function<bool(const QUrl&)> opener);
