#include "sfxstub/forms/SfxControls.h"

#include "platform/fs/WinPath.h"
#include "sfxstub/Macros.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

namespace qm::sfxstub {

QString qs(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string str(const QString& s)
{
    return s.toUtf8().toStdString();
}

SfxFonts SfxFonts::choose()
{
    SfxFonts f;
    const QString face = QFontDatabase::families().contains("Tahoma") ? "Tahoma" : "MS Sans Serif";
    f.normal = QFont(face);
    f.normal.setPixelSize(11);
    f.normal.setWeight(QFont::Normal);
    f.bold = f.normal;
    f.bold.setWeight(QFont::Bold);
    QFontMetrics fm(f.normal);
    f.metrics.textHeight = fm.height();
    f.metrics.avgCharWidth = std::max(1, fm.averageCharWidth());
    f.metrics.maxCharWidth = std::max(1, fm.maxWidth());
    return f;
}

pvkEdit3dClass::pvkEdit3dClass(const SfxFonts& fonts, QWidget* parent) : QLineEdit(parent)
{
    setObjectName("pvkEdit3dClass");
    setFont(fonts.normal);
    setTextMargins(3, 0, 3, 0);
}

QPlainTextEdit* pvkEdit3dClass::multiLine(const SfxFonts& fonts, QWidget* parent)
{
    auto* e = new QPlainTextEdit(parent);
    e->setObjectName("pvkEdit3dClass");
    e->setFont(fonts.normal);
    e->setReadOnly(true);
    e->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    e->setLineWidth(2);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return e;
}

pvkButtonClass::pvkButtonClass(const SfxFonts& fonts, const std::string& caption, QWidget* parent)
    : QPushButton(qs(caption), parent)
{
    setObjectName("pvkButtonClass");
    setFont(fonts.normal);
    setAutoDefault(false);
}

pvkLabelClass::pvkLabelClass(const SfxFonts& fonts, QWidget* parent) : QLabel(parent), fonts_(fonts)
{
    setObjectName("pvkLabelClass");
    setFont(fonts.normal);
    setTextFormat(Qt::PlainText);
}

void pvkLabelClass::setFullText(const std::string& text)
{
    text_ = text;
    apply();
}

void pvkLabelClass::setShortening(bool on)
{
    shortening_ = on;
    apply();
}

void pvkLabelClass::setBold(bool bold)
{
    setFont(bold ? fonts_.bold : fonts_.normal);
    apply();
}

void pvkLabelClass::resizeEvent(QResizeEvent* e)
{
    QLabel::resizeEvent(e);
    apply();
}

void pvkLabelClass::apply()
{
    if (!shortening_) {
        QLabel::setText(qs(text_));
        return;
    }
    const QFontMetrics fm(font());
    const int room = width();
    QLabel::setText(qs(FitPath(text_, [&](const std::string& t) { return fm.horizontalAdvance(qs(t)) < room; })));
}

pvkIconClass::pvkIconClass(const QIcon& icon, QWidget* parent) : QLabel(parent)
{
    setObjectName("pvkIconClass");
    setPixmap(icon.pixmap(32, 32));
    setFixedSize(32, 32);
}

void pvkIconClass::mouseDoubleClickEvent(QMouseEvent*)
{
    QApplication::beep();
}

pvk3dBarClass::pvk3dBarClass(QWidget* parent) : QFrame(parent)
{
    setObjectName("pvk3dBarClass");
    setFrameStyle(QFrame::VLine | QFrame::Sunken);
    setLineWidth(1);
    setFixedWidth(2);
}

pvkProgressBarClass::pvkProgressBarClass(int width, QWidget* parent)
    : QWidget(parent), cells_(progressCells(width))
{
    setObjectName("pvkProgressBarClass");
    setFixedSize(progressBarWidth(width), 13);
}

void pvkProgressBarClass::setPercent(int percent)
{
    int now = filledCells(percent, cells_);
    if (now == filled_)
        return;
    // Only the cells that changed are painted again.
    int from = std::min(now, filled_), to = std::max(now, filled_);
    filled_ = now;
    update(QRect(1 + from * 8, 1, (to - from) * 8 + 1, height() - 2));
}

void pvkProgressBarClass::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.button());
    p.setPen(pal.dark().color());
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(pal.light().color());
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    for (int i = 0; i < filled_; ++i)
        p.fillRect(QRect(3 + i * 8, 3, 6, height() - 6), QColor(0, 0, 128));
}

pvkDriveListClass::pvkDriveListClass(const SfxConfig& c, const SfxFonts& fonts, QWidget* parent)
    : QComboBox(parent), items_(driveItems(c))
{
    setObjectName("pvkDriveListClass");
    setFont(fonts.normal);
    setMaxVisibleItems(6);
    QStyle* st = style();
    for (const DriveItem& item : items_) {
        QStyle::StandardPixmap image = item.kind == DriveKind::Removable ? QStyle::SP_DriveFDIcon
                                       : item.kind == DriveKind::Network ? QStyle::SP_DriveNetIcon
                                       : item.kind == DriveKind::CdRom   ? QStyle::SP_DriveCDIcon
                                                                         : QStyle::SP_DriveHDIcon;
        addItem(st->standardIcon(image), qs(item.caption()));
    }
    setCurrentIndex(int(selectedDrive(items_, c.DestinationFolder)));
    connect(this, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && size_t(i) < items_.size())
            emit driveChosen(char(std::toupper(static_cast<unsigned char>(items_[size_t(i)].letter))));
    });
}

pvkDirectoryListClass::pvkDirectoryListClass(const SfxFonts& fonts, QWidget* parent) : QListWidget(parent)
{
    setObjectName("pvkDirectoryListClass");
    setFont(fonts.normal);
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(2);
    setGridSize(QSize(fonts.metrics.avgCharWidth * 14 + 24, fonts.metrics.itemHeight() + 2));
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem*) { openSelected(); });
}

void pvkDirectoryListClass::showPath(const std::string& wanted)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string p = AddTrailingBackslash(wanted);
    QElapsedTimer clock;
    clock.start();
    std::optional<std::vector<FolderEntry>> got = folderEntries(p);
    while (!got) {
        // Climb until a folder can be listed; after 4 seconds, the root.
        if (clock.elapsed() > 4000 || !CutLastFolder(p))
            p = qm::fs::driveRoot(p);
        got = folderEntries(p);
        if (!got && qm::fs::isDriveRoot(p))
            break;
    }
    QApplication::restoreOverrideCursor();
    path_ = p;
    entries_ = got.value_or(std::vector<FolderEntry>{});
    clear();
    QStyle* st = style();
    QFontMetrics fm(font());
    int widest = 0;
    for (const FolderEntry& e : entries_) {
        auto* item = new QListWidgetItem(e.name.empty() ? st->standardIcon(QStyle::SP_FileDialogToParent)
                                                        : st->standardIcon(QStyle::SP_DirIcon),
                                         e.name.empty() ? QString() : qs(e.shown), this);
        item->setData(Qt::UserRole, qs(e.name));
        widest = std::max(widest, fm.horizontalAdvance(qs(e.shown)));
    }
    const int least = fm.averageCharWidth() * 14;
    setGridSize(QSize(std::max(widest, least) + 24, gridSize().height()));
    if (count() > 0)
        setCurrentRow(0);
    emit pathShown(qs(path_));
}

void pvkDirectoryListClass::openSelected()
{
    int row = currentRow();
    if (row >= 0 && size_t(row) < entries_.size())
        showPath(openFolderEntry(path_, entries_[size_t(row)]));
}

void pvkDirectoryListClass::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Space) {
        emit keyPressed(e->key());
        return;
    }
    QListWidget::keyPressEvent(e);
}

} // namespace qm::sfxstub
