// Qt: the directory dialog, for folders only.
#pragma once

#include "settings/folder_chooser.h"

class QWidget;

namespace bayhaul {

class QtFolderChooser final : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget* owner) : owner_(owner) {}

    // Starts at `start`, or in the user's home folder when that is no
    // folder; gives the path in the platform's own separators.
    std::optional<std::string> ChooseFolder(const std::string& start) override;

private:
    QWidget* owner_;
};

}  // namespace bayhaul
