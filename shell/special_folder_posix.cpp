// POSIX: the XDG user folders, as the desktop environment names them
// (user-dirs.dirs), read through Qt's standard paths.
#include "shell/special_folder.h"

#include "settings/output_naming.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace bayhaul {

std::string ExpectedSpecialFolder(int CSIDL) {
    QStandardPaths::StandardLocation location;
    if (CSIDL == kDocumentsFolderId)
        location = QStandardPaths::DocumentsLocation;
    else if (CSIDL == kDesktopFolderId)
        location = QStandardPaths::DesktopLocation;
    else
        return "";

    QString path = QStandardPaths::writableLocation(location);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return QFile::encodeName(path).toStdString();
}

std::string fGetSpecialFolder(int CSIDL) {
    const std::string path = ExpectedSpecialFolder(CSIDL);
    if (path.empty() || !QFileInfo(QFile::decodeName(path.c_str())).isDir()) return "";
    return path;
}

}  // namespace bayhaul
