#include "settings/qt_folder_chooser.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace bayhaul {

std::optional<std::string> QtFolderChooser::ChooseFolder(const std::string& start) {
    const QString startFolder = QFile::decodeName(QByteArray::fromStdString(start));
    const QString folder = QFileDialog::getExistingDirectory(
        owner_, QString::fromLatin1(kChooseFolderTitle),
        !start.empty() && QDir(startFolder).exists() ? startFolder : QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;  // cancelled
    // Encoded as the special-folder lookup encodes its paths, so that a
    // folder picked here compares equal to the same folder found there.
    return QFile::encodeName(QDir::toNativeSeparators(folder)).toStdString();
}

}  // namespace bayhaul
