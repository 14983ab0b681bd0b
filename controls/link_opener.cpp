#include "controls/link_opener.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

// GLib names a structure member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include "controls/prompts.h"

namespace {

std::function<bool(const QUrl&)>& Opener() {
    static std::function<bool(const QUrl&)> opener;
    return opener;
}

bool OpenWithDesktop(const QUrl& url) {
    if (Opener())
        return Opener()(url);
    return QDesktopServices::openUrl(url);
}

// The target as a URL this program is willing to hand on: a web or mail address, or an existing local file,
// which goes by its absolute path, so that no program can take it for an option. Anything else gives an empty URL
// and the code that explains the refusal.
QUrl AcceptedTarget(const QString& target, int* refusal) {
    // A target that names a scheme (two letters at least, so that "C:" stays a path) is a URL.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(target).hasMatch()) {
        const QUrl url(target, QUrl::StrictMode);
        const QString name = url.scheme().toLower();
        *refusal = LINK_NO_ASSOCIATION;
        const bool web = name == QLatin1String("http") || name == QLatin1String("https");
        return url.isValid() && (web || name == QLatin1String("mailto")) ? url : QUrl();
    }
    // A double quote or a backslash in a path would end or escape the quoting of a desktop entry that puts its
    // field code inside a quoted argument (`sh -c "browser %f"`, against the rules); addresses hold them encoded.
    *refusal = LINK_FILE_NOT_FOUND;
    if (target.contains(QLatin1Char('"')) || target.contains(QLatin1Char('\\')) || !QFileInfo::exists(target))
        return {};
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

// Launches the desktop's default program for web pages on `url` (one that takes addresses, not only files, unless
// `url` is a file). GIO puts the URL into the program's command line by the desktop-entry rules, quoted as one
// argument even where the command line is a shell's.
int LaunchHtmlProgram(const QUrl& url) {
    GAppInfo* app = g_app_info_get_default_for_type("text/html", !url.isLocalFile());
    if (!app)
        return LINK_NO_ASSOCIATION;
    const QByteArray uri = url.toEncoded();
    GList uris{const_cast<char*>(uri.constData()), nullptr, nullptr};
    GError* error = nullptr;
    const bool launched = g_app_info_launch_uris(app, &uris, nullptr, &error);
    if (error)
        g_error_free(error);
    g_object_unref(app);
    return launched ? LINK_OPENED : LINK_FILE_NOT_FOUND;
}

} // namespace

int OpenLink(const QString& target) {
    int refusal = 0;
    const QUrl url = AcceptedTarget(target, &refusal);
    if (url.isEmpty())
        return refusal;
    if (OpenWithDesktop(url))
        return LINK_OPENED;
    return LaunchHtmlProgram(url);
}

QString LinkErrorText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                              "were being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

void ReportLinkError(Prompts& prompts, QWidget* owner, int code) {
    QApplication::beep();
    prompts.MessageBox(owner, QStringLiteral("Unable to open hyperlink:\n\n") + LinkErrorText(code), QString(),
                       Prompts::OkButton, Prompts::WarningIcon);
}

void SetLinkOpenerForTest(std::function<bool(const QUrl&)> opener) {
    Opener() = std::move(opener);
}
