#include "settings/qt_folder_chooser.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace bayhaul {

std::optional<std::string> QtFolderChooser::ChooseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(owner_, QString::fromLatin1(kChooseFolderTitle),
                                                             QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;  // cancelled
    // Encoded as the special-folder lookup encodes its paths, so that a
    // folder picked here compares equal to the same folder found there.
    return QFile::encodeName(QDir::toNativeSeparators(folder)).toStdString();
}

}  // namespace bayhaul
