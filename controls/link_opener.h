#pragma once

#include <functional>

#include <QString>

class QUrl;
class QWidget;
class Prompts;

// Results of OpenLink, numbered as the Windows shell numbers them: anything above 32 is success.
enum LinkResult : int {
    LINK_FILE_NOT_FOUND = 2,  // a local file that does not exist, or a program that cannot be found
    LINK_NO_ASSOCIATION = 31, // nothing on this desktop handles the target
    LINK_OPENED = 33,
};

// Opens `target` with the desktop's URL opener when it is a web or mail address (http:, https:, mailto:) or a local
// file that exists; when that fails, launches the desktop's default program for text/html on it. Anything else
// (another scheme, a text that names no file, such as an option "-x") is refused. Answers LINK_OPENED, or the code
// of the refusal or of the failure.
int OpenLink(const QString& target);

// The explanation of an OpenLink failure code.
QString LinkErrorText(int code);

// Beeps and tells the user that a link could not be opened, and why.
void ReportLinkError(Prompts& prompts, QWidget* owner, int code);

// Test-only seam: replaces the desktop's URL opener (QDesktopServices::openUrl, which cannot be made to fail
// or succeed on demand, and which always fails under the offscreen platform). An empty function puts the
// real opener back.
void SetLinkOpenerForTest(std::function<bool(const QUrl&)> opener);
