#include "controls/link_opener.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

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

// The value of `key` in group `group` of a desktop-entry style file; a null text when it is not there.
QString ReadKey(const QString& path, const QString& group, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

// Undoes the escapes of a desktop entry's string values (\s \n \t \r \\).
QString UnescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar e = value[++i];
        out += e == QLatin1Char('s')   ? QChar(' ')
               : e == QLatin1Char('n') ? QChar('\n')
               : e == QLatin1Char('t') ? QChar('\t')
               : e == QLatin1Char('r') ? QChar('\r')
                                       : e;
    }
    return out;
}

// The Exec= command of the desktop entry `id`, looked up in the applications folders of the XDG data folders.
QString DesktopEntryCommand(const QString& id) {
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString path = dir + QStringLiteral("/applications/") + id;
        if (!QFileInfo(path).isFile())
            continue;
        return UnescapeValue(ReadKey(path, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")));
    }
    return {};
}

} // namespace

QString HtmlHandlerCommand() {
    // mimeapps.list in the config folders first, then in the data folders' applications folders.
    QStringList lists;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        lists << dir + QStringLiteral("/applications/mimeapps.list");
    for (const QString& list : lists) {
        const QString ids = ReadKey(list, QStringLiteral("Default Applications"), QStringLiteral("text/html"));
        for (const QString& id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString command = DesktopEntryCommand(id.trimmed());
            if (!command.trimmed().isEmpty())
                return command;
        }
    }
    return {};
}

QStringList DesktopCommandLine(const QString& exec, const QString& target) {
    // Split by the quoting rules of Exec=: blanks separate, double quotes group, a backslash inside quotes
    // takes the next character literally.
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < exec.size())
                word += exec[++i];
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;

    QStringList args;
    bool placed = false;
    for (const QString& w : words) {
        QString out;
        bool onlyFieldCodes = true;
        for (qsizetype i = 0; i < w.size(); ++i) {
            if (w[i] != QLatin1Char('%') || i + 1 == w.size()) {
                out += w[i];
                onlyFieldCodes = false;
                continue;
            }
            const QChar code = w[++i];
            if (code == QLatin1Char('%')) {
                out += code;
                onlyFieldCodes = false;
            } else if (QStringLiteral("uUfF").contains(code) && !placed) {
                out += target;
                placed = true;
                onlyFieldCodes = false;
            }
            // Every other field code (%i, %c, %k, a second file code, the deprecated ones) stands for nothing.
        }
        if (!onlyFieldCodes)
            args << out;
    }
    if (!placed && !args.isEmpty())
        args << target;
    return args;
}

int OpenLink(const QString& target) {
    // A target that names a scheme (two letters at least) is a URL; anything else is a local path.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    int result = LINK_NO_ASSOCIATION;
    if (scheme.match(target).hasMatch()) {
        const QUrl url(target);
        if (url.isValid() && OpenWithDesktop(url))
            return LINK_OPENED;
    } else if (!QFileInfo::exists(target)) {
        result = LINK_FILE_NOT_FOUND;
    } else if (OpenWithDesktop(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()))) {
        return LINK_OPENED;
    }

    const QString command = HtmlHandlerCommand();
    if (command.isEmpty())
        return result;
    QStringList args = DesktopCommandLine(command, target);
    if (args.isEmpty())
        return result;
    const QString program = args.takeFirst();
    return QProcess::startDetached(program, args) ? LINK_OPENED : LINK_FILE_NOT_FOUND;
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
