#include "sfxstub/forms/SfxDialogs.h"

#include "platform/fs/Paths.h"
#include "sfxstub/Folders.h"
#include "sfxstub/Macros.h"
#include "sfxstub/Prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QScreen>
#include <QStyle>

namespace qm::sfxstub {

namespace {

constexpr int ContentX = 72;

// The icon and the separator bar every dialog has at its left.
void frame(QWidget* w, Icon icon, int barBottom)
{
    auto* i = new pvkIconClass(iconOf(icon), w);
    i->move(11, 10);
    auto* bar = new pvk3dBarClass(w);
    bar->setGeometry(56, 5, 2, barBottom - 5);
}

pvkLabelClass* label(const SfxFonts& fonts, QWidget* w, const std::string& text, int y, int width, bool bold,
                     bool shortened = false, int lines = 1)
{
    auto* l = new pvkLabelClass(fonts, w);
    l->setGeometry(ContentX, y, width, fonts.metrics.textHeight * lines + 2);
    l->setBold(bold);
    l->setWordWrap(lines > 1);
    l->setShortening(shortened);
    l->setFullText(text);
    return l;
}

// A row of buttons at the bottom right of a client area `w` x `h`.
std::vector<pvkButtonClass*> buttonRow(const SfxFonts& fonts, QWidget* parent, const std::vector<BoxButton>& list,
                                       int w, int h)
{
    const Metrics& m = fonts.metrics;
    std::vector<pvkButtonClass*> out;
    int x = w - 8 - int(list.size()) * m.buttonWidth() - (int(list.size()) - 1) * 4;
    for (const BoxButton& b : list) {
        auto* button = new pvkButtonClass(fonts, b.caption, parent);
        button->setGeometry(x, h - m.buttonHeight() - 12, m.buttonWidth(), m.buttonHeight());
        x += m.buttonWidth() + 4;
        out.push_back(button);
    }
    return out;
}

} // namespace

QIcon iconOf(Icon icon)
{
    QStyle* s = QApplication::style();
    switch (icon) {
    case Icon::Password: return s->standardIcon(QStyle::SP_DialogOkButton);
    case Icon::Progress: return s->standardIcon(QStyle::SP_DialogSaveButton);
    case Icon::Disk: return s->standardIcon(QStyle::SP_DriveFDIcon);
    case Icon::Folder: return s->standardIcon(QStyle::SP_DirOpenIcon);
    case Icon::Information: return s->standardIcon(QStyle::SP_MessageBoxInformation);
    case Icon::Exclamation: return s->standardIcon(QStyle::SP_MessageBoxWarning);
    case Icon::Question: return s->standardIcon(QStyle::SP_MessageBoxQuestion);
    default: return s->standardIcon(QStyle::SP_ComputerIcon);
    }
}

SfxDialog::SfxDialog(const std::string& caption, QWidget* owner) : QDialog(owner)
{
    setWindowTitle(qs(caption));
    setWindowIcon(iconOf(Icon::Program));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void SfxDialog::centre()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void SfxDialog::closeEvent(QCloseEvent* e)
{
    e->accept();
    done(ClosedByFrame);
}

void SfxDialog::reject()
{
    if (escape_)
        done(*escape_);
}

pvkMessageBoxClass::pvkMessageBoxClass(const SfxConfig& c, const SfxFonts& fonts, const BoxRequest& box,
                                       QWidget* owner)
    : SfxDialog(box.caption, owner)
{
    setObjectName("pvkMessageBoxClass");
    const std::vector<BoxButton> list = boxButtons(c, box.style);
    QFontMetrics fm(fonts.normal);
    BoxLayout l = layoutMessageBox(fonts.metrics, [&](std::string_view t) {
        return fm.horizontalAdvance(qs(std::string(t)));
    }, box.text, box.style, int(list.size()));
    setFixedSize(l.clientWidth, l.clientHeight);
    auto* icon = new pvkIconClass(iconOf(box.icon), this);
    icon->move(l.icon.x, l.icon.y);
    if (box.separator) {
        auto* bar = new pvk3dBarClass(this);
        bar->setGeometry(l.bar.x, l.bar.y, l.bar.w, l.bar.h);
    }
    if (scrollingText(box.style)) {
        scrolling = pvkEdit3dClass::multiLine(fonts, this);
        scrolling->setGeometry(l.text.x, l.text.y, l.text.w, l.text.h);
        scrolling->setPlainText(qs(box.text));
    } else {
        text = new pvkLabelClass(fonts, this);
        text->setGeometry(l.text.x, l.text.y, l.text.w, l.text.h);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        std::string joined;
        for (const std::string& line : l.lines)
            joined += (joined.empty() ? "" : "\n") + line;
        text->setFullText(joined);
    }
    const int def = std::min(defaultButton(box.style), int(list.size()) - 1);
    for (size_t i = 0; i < list.size(); ++i) {
        auto* b = new pvkButtonClass(fonts, list[i].caption, this);
        const Rect& r = l.buttons[i];
        b->setGeometry(r.x, r.y, r.w, r.h);
        const int result = list[i].result;
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        if (int(i) == def) {
            b->setDefault(true);
            b->setFocus();
        }
        buttons.push_back(b);
    }
    escape_ = escapeResult(box.style);
}

pvkGetPasswordClass::pvkGetPasswordClass(SfxConfig& c, const SfxFonts& fonts, const std::string& fileName,
                                         QWidget* owner)
    : SfxDialog(c.Caption, owner)
{
    setObjectName("pvkGetPasswordClass");
    const Metrics& m = fonts.metrics;
    const int w = m.passwordWidth(), cw = w - ContentX - 8, h = m.textHeight;
    const int fieldY = 8 + 2 * (h + 6);
    const int height = fieldY + h + 8 + 16 + m.buttonHeight() + 12;
    setFixedSize(w, height);
    frame(this, Icon::Password, height - m.buttonHeight() - 16);
    label(fonts, this, c.PasswordText, 8, cw, true);
    label(fonts, this, fileName, 8 + h + 6, cw, false, true);
    password = new pvkEdit3dClass(fonts, this);
    password->setGeometry(ContentX, fieldY, cw, h + 8);
    password->setEchoMode(QLineEdit::Password);
    password->setMaxLength(int(PasswordLimit));
    auto row = buttonRow(fonts, this, {{c.OkCaption, 0}, {c.SkipFileCaption, -1}, {c.SkipAlwaysCaption, -4}}, w,
                         height);
    okButton = row[0];
    skipFile = row[1];
    skipAlways = row[2];
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, [this, &c] {
        c.LastPassword = str(password->text());
        done(0);
    });
    connect(skipFile, &QPushButton::clicked, this, [this] { done(-1); });
    connect(skipAlways, &QPushButton::clicked, this, [this] { done(-4); });
    password->setFocus();
}

pvkExtractClass::pvkExtractClass(const SfxConfig& c, const SfxFonts& fonts, std::function<int(const BoxRequest&)> ask)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      c_(c), ask_(std::move(ask))
{
    setObjectName("pvkExtractClass");
    setWindowTitle(qs(c.Caption));
    setWindowIcon(iconOf(Icon::Program));
    const Metrics& m = fonts.metrics;
    const int w = m.progressWidth(), cw = w - ContentX - 8, h = m.textHeight;
    const int barY = 8 + 3 * (h + 6);
    const int height = barY + 13 + 16 + m.buttonHeight() + 12;
    setFixedSize(w, height);
    frame(this, Icon::Progress, height - m.buttonHeight() - 16);
    label(fonts, this, c.ProgressText, 8, cw, true);
    file = label(fonts, this, "", 8 + h + 6, cw, false, true);
    label(fonts, this, c.ProgressNoteText, 8 + 2 * (h + 6), cw, true);
    bar = new pvkProgressBarClass(cw, this);
    bar->move(ContentX, barY);
    abortButton = buttonRow(fonts, this, {{c.AbortCaption, -1}}, w, height)[0];
    connect(abortButton, &QPushButton::clicked, this, [this] { askToStop(-1); });
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(w / 2, height / 2));
}

void pvkExtractClass::askToStop(int code)
{
    if (stop_ == 0 && ask_(confirmAbortBox(c_)) == button::Yes)
        stop_ = code;
}

void pvkExtractClass::closeEvent(QCloseEvent* e)
{
    e->ignore();
    askToStop(ClosedByFrame);
}

pvkGetDirClass::pvkGetDirClass(SfxConfig& c, const SfxFonts& fonts, std::function<int(const std::string&)> accept,
                               QWidget* owner)
    : SfxDialog(c.Caption, owner), c_(c), fonts_(fonts)
{
    setObjectName("pvkGetDirClass");
    const Metrics& m = fonts.metrics;
    const int w = m.destinationWidth(), cw = w - ContentX - 8, h = m.textHeight;
    const int fieldY = 8 + 2 * h + 8;
    const int height = fieldY + h + 8 + 16 + m.buttonHeight() + 12;
    setFixedSize(w, height);
    frame(this, Icon::Progress, height - m.buttonHeight() - 16);
    label(fonts, this, c.DestinationText, 8, cw, true, false, 2);
    folder = new pvkEdit3dClass(fonts, this);
    folder->setGeometry(ContentX, fieldY, cw - (h + 8) - 4, h + 8);
    folder->setMaxLength(int(PathLimit));
    folder->setText(qs(c.DestinationFolder));
    browse = new pvkButtonClass(fonts, "...", this);
    browse->setGeometry(ContentX + cw - (h + 8), fieldY, h + 8, h + 8);
    auto row = buttonRow(fonts, this, {{c.OkCaption, 0}, {c.ExitCaption, -1}}, w, height);
    okButton = row[0];
    exitButton = row[1];
    okButton->setDefault(true);
    connect(browse, &QPushButton::clicked, this, [this] { browseFolders(); });
    connect(okButton, &QPushButton::clicked, this, [this, accept] {
        c_.DestinationFolder = str(folder->text()).substr(0, PathLimit);
        if (accept(c_.DestinationFolder) == 0)
            done(0);
    });
    connect(exitButton, &QPushButton::clicked, this, [this] { done(-1); });
    folder->setFocus();
    folder->selectAll();
}

void pvkGetDirClass::browseFolders()
{
    const std::string typed = str(folder->text());
    c_.DestinationFolder = MakeAbsolute(typed).value_or(typed);
    bool chosen = false;
    if (IsModernShell()) {
        QString start;
        try {
            start = qs(qm::fs::toNative(c_.DestinationFolder).string());
        } catch (const qm::RtError&) {
        }
        QString picked = QFileDialog::getExistingDirectory(this, qs(c_.BrowseTitle), start,
                                                           QFileDialog::ShowDirsOnly);
        if (!picked.isEmpty()) {
            c_.DestinationFolder = qm::fs::fromNative(str(picked));
            chosen = true;
        }
    } else {
        chosen = BrowseForFolder(c_, fonts_, this) == 0;
    }
    if (chosen)
        folder->setText(qs(c_.DestinationFolder));
    folder->selectAll();
    folder->setFocus();
}

pvkBrowseClass::pvkBrowseClass(SfxConfig& c, const SfxFonts& fonts, QWidget* owner) : SfxDialog(c.Caption, owner)
{
    setObjectName("pvkBrowseClass");
    const Metrics& m = fonts.metrics;
    const int w = m.browseWidth(), cw = w - ContentX - 8, h = m.textHeight;
    const int listY = 8 + 2 * (h + 6), listH = 10 * m.itemHeight();
    const int driveY = listY + listH + 6;
    const int height = driveY + h + 10 + 16 + m.buttonHeight() + 12;
    setFixedSize(w, height);
    frame(this, Icon::Folder, height - m.buttonHeight() - 16);
    label(fonts, this, c.BrowseTitle, 8, cw, true);
    path = label(fonts, this, "", 8 + h + 6, cw, false, true);
    folders = new pvkDirectoryListClass(fonts, this);
    folders->setGeometry(ContentX, listY, cw, listH);
    drives = new pvkDriveListClass(c, fonts, this);
    drives->setGeometry(ContentX, driveY, cw, h + 10);
    auto row = buttonRow(fonts, this, {{c.OkCaption, 0}, {c.CancelCaption, -1}}, w, height);
    okButton = row[0];
    cancelButton = row[1];
    okButton->setDefault(true);
    connect(folders, &pvkDirectoryListClass::pathShown, this, [this](const QString& p) { path->setFullText(str(p)); });
    connect(drives, &pvkDriveListClass::driveChosen, this,
            [this](char letter) { folders->showPath(std::string(1, letter) + ":\\"); });
    connect(folders, &pvkDirectoryListClass::keyPressed, this, [this](int key) {
        if (key == Qt::Key_Space) {
            folders->openSelected();
        } else {
            std::string up = folders->path();
            if (CutLastFolder(up))
                folders->showPath(up);
        }
    });
    connect(okButton, &QPushButton::clicked, this, [this, &c] {
        c.DestinationFolder = path->fullText().substr(0, PathLimit);
        done(0);
    });
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(-1); });
    folders->showPath(c.DestinationFolder.empty() ? std::string("C:\\") : c.DestinationFolder);
    folders->setFocus();
}

int BrowseForFolder(SfxConfig& c, const SfxFonts& fonts, QWidget* owner)
{
    static QPoint last(-1, -1);
    pvkBrowseClass dialog(c, fonts, owner);
    if (last.x() >= 0)
        dialog.move(last);
    else
        dialog.centre();
    int r = dialog.exec();
    last = dialog.pos();
    return r == 0 ? 0 : result::Stopped;
}

} // namespace qm::sfxstub
