#pragma once
// The ZIP manager's file and folder prompts over QFileDialog. Answers come
// back in Windows form; masks match names without regard to case.
#include "zipmanager/FileDialogs.h"

class QWidget;

namespace qm::zipmanager {

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    std::vector<std::string> chooseFiles(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& title) override;

private:
    QWidget* parent_;
};

} // namespace qm::zipmanager
