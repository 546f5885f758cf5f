// Qt: the directory dialog, for folders only.
#pragma once

#include "settings/folder_chooser.h"

class QWidget;

namespace bayhaul {

class QtFolderChooser final : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget* owner) : owner_(owner) {}

    // Starts in the user's home folder; gives the path in the platform's
    // own separators.
    std::optional<std::string> ChooseFolder() override;

private:
    QWidget* owner_;
};

}  // namespace bayhaul
