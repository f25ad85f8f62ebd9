#include "sfxstub/forms/QtSfxUi.h"

#include "sfxstub/Macros.h"
#include "sfxstub/forms/SfxDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace qm::sfxstub {

QtSfxUi::QtSfxUi() = default;
QtSfxUi::~QtSfxUi() = default;

void QtSfxUi::RegisterSfxClasses(SfxConfig& config)
{
    config_ = &config;
    fonts_ = SfxFonts::choose();
}

void QtSfxUi::UnregisterSfxClasses()
{
    extract_.reset();
    config_ = nullptr;
}

void QtSfxUi::standardMessage(const std::string& text, const std::string& caption)
{
    QMessageBox::critical(nullptr, qs(caption), qs(text));
}

int QtSfxUi::SfxMessageBox(const BoxRequest& box)
{
    pvkMessageBoxClass dialog(*config_, fonts_, box, extract_.get());
    auto corner = corners_.find(box.memory);
    if (box.memory != Slot::None && corner != corners_.end())
        dialog.move(corner->second - QPoint(dialog.width(), dialog.height()));
    else
        dialog.centre();
    int r = dialog.exec();
    if (box.memory != Slot::None)
        corners_[box.memory] = dialog.pos() + QPoint(dialog.width(), dialog.height());
    return r;
}

int QtSfxUi::AskPassword(const std::string& file)
{
    pvkGetPasswordClass dialog(*config_, fonts_, file, extract_.get());
    if (passwordAt_.x() >= 0)
        dialog.move(passwordAt_);
    else
        dialog.centre();
    int r = dialog.exec();
    passwordAt_ = dialog.pos();
    switch (r) {
    case 0: return 0;
    case -1: return 1060;
    case -4: return 1080;
    default: return 190;
    }
}

void QtSfxUi::ShowExtractWindow()
{
    extract_ = std::make_unique<pvkExtractClass>(*config_, fonts_,
                                                 [this](const BoxRequest& b) { return SfxMessageBox(b); });
    extract_->show();
    QApplication::processEvents();
}

void QtSfxUi::CloseExtractWindow()
{
    extract_.reset();
}

void QtSfxUi::setExtractFile(const std::string& text)
{
    if (extract_)
        extract_->setFile(text);
}

void QtSfxUi::setExtractPercent(int percent)
{
    if (extract_)
        extract_->setPercent(percent);
}

bool QtSfxUi::PumpMessages()
{
    QApplication::processEvents();
    return extract_ && extract_->stop() != 0;
}

int QtSfxUi::AskDestinationFolder(const std::function<int(const std::string&)>& accept)
{
    pvkGetDirClass dialog(*config_, fonts_, accept, nullptr);
    dialog.centre();
    if (dialog.exec() != 0)
        return 190;
    config_->DestinationFolder = RemoveTrailingBackslash(config_->DestinationFolder);
    return 0;
}

void QtSfxUi::pause(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

} // namespace qm::sfxstub
