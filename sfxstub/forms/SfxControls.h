#pragma once
// The self-extractor's own controls: sunken edit fields, buttons and labels
// in one small font, the icon, the separator bar, a cell progress bar, and
// the drive and folder lists of its folder browser. Each carries its class
// name as object name.
#include "sfxstub/Layout.h"
#include "sfxstub/SfxConfig.h"

#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

namespace qm::sfxstub {

// The normal and the bold font ("Tahoma" when installed, else
// "MS Sans Serif", 11 pixels), and the metrics of the normal one.
struct SfxFonts {
    QFont normal;
    QFont bold;
    Metrics metrics;
    static SfxFonts choose();
};

// A single-line field moved 3 pixels inside its rectangle, in a 2-pixel
// sunken frame.
class pvkEdit3dClass : public QLineEdit {
public:
    pvkEdit3dClass(const SfxFonts& fonts, QWidget* parent);
    // The multi-line read-only form with a vertical scroll bar.
    static QPlainTextEdit* multiLine(const SfxFonts& fonts, QWidget* parent);
};

class pvkButtonClass : public QPushButton {
public:
    pvkButtonClass(const SfxFonts& fonts, const std::string& caption, QWidget* parent);
};

// Keeps its full text; with shortening on it shows the text shortened, path
// fashion, until it fits its width.
class pvkLabelClass : public QLabel {
public:
    pvkLabelClass(const SfxFonts& fonts, QWidget* parent);
    void setFullText(const std::string& text);
    const std::string& fullText() const { return text_; }
    void setShortening(bool on);
    void setBold(bool bold);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void apply();
    const SfxFonts& fonts_;
    std::string text_;
    bool shortening_ = false;
};

// The dialog's icon; beeps on a double click.
class pvkIconClass : public QLabel {
public:
    pvkIconClass(const QIcon& icon, QWidget* parent);

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// A sunken vertical line, 2 pixels wide.
class pvk3dBarClass : public QFrame {
public:
    explicit pvk3dBarClass(QWidget* parent);
};

// Cells of 6 pixels, 8 apart, in dark blue inside a 1-pixel sunken frame.
class pvkProgressBarClass : public QWidget {
public:
    pvkProgressBarClass(int width, QWidget* parent);
    void setPercent(int percent);
    int cells() const { return cells_; }
    int filled() const { return filled_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int cells_ = 0;
    int filled_ = 0;
};

// The drives of the drive table in an owner-drawn drop-down list.
class pvkDriveListClass : public QComboBox {
    Q_OBJECT
public:
    pvkDriveListClass(const SfxConfig& c, const SfxFonts& fonts, QWidget* parent);
    const std::vector<DriveItem>& items() const { return items_; }
signals:
    void driveChosen(char letter);

private:
    std::vector<DriveItem> items_;
};

// The sub-folders of one folder in columns; a double click opens one, the
// blank entry the parent. Keys go to the owner.
class pvkDirectoryListClass : public QListWidget {
    Q_OBJECT
public:
    pvkDirectoryListClass(const SfxFonts& fonts, QWidget* parent);
    // Shows `path`; when it cannot be listed, the nearest folder above it
    // that can, else the drive's root.
    void showPath(const std::string& path);
    const std::string& path() const { return path_; }
    void openSelected();
signals:
    void pathShown(const QString& path);
    void keyPressed(int key);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    std::string path_;
    std::vector<FolderEntry> entries_;
};

QString qs(const std::string& s);
std::string str(const QString& s);

} // namespace qm::sfxstub
