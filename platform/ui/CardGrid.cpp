#include "platform/ui/CardGrid.h"

#include "platform/profile/IniDocument.h"
#include "platform/ui/WidgetKit.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qm::ui {

namespace {

// The look of the card: headers in yellow on dark cyan, cells on light
// yellow and pale green in turn.
const QColor HeaderText(0xff, 0xff, 0x00);
const QColor HeaderBack(0x00, 0x80, 0x80);
const QColor OddRow(0xff, 0xff, 0xbf);
const QColor EvenRow(0xb0, 0xd8, 0xc1);
constexpr int CellWidth = 314;
constexpr int CardSpacing = 15;
constexpr int HeaderHeight = 21;

// Where the named font is missing, a plain one of the system stands in.
QFont headerFont()
{
    QFont f;
    f.setFamilies({"Comic Sans MS", "Comic Neue", "DejaVu Sans", "Sans Serif"});
    return f;
}

QFont cellFont()
{
    QFont f;
    f.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans", "Sans Serif"});
    f.setPointSizeF(8.25);
    return f;
}

void paintHeader(QLabel* label)
{
    label->setFont(headerFont());
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, HeaderBack);
    p.setColor(QPalette::WindowText, HeaderText);
    label->setPalette(p);
}

// A value as a cell of several lines shows it: CR LF, LF and a lone CR each
// break the line.
QString shownLines(const std::string& value)
{
    QString s = qs(value);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

// Keys that change a text cell's contents (navigation keys do not).
bool editsText(const QKeyEvent* key, bool multiLine)
{
    if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut) ||
        key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))
        return true;
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return multiLine;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier);
}

// Keys that change a drop-down's choice.
bool editsChoice(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        return false;
    default:
        return true;
    }
}

} // namespace

struct CardGrid::Cell {
    int row = 0;
    int column = 0;
    QWidget* strip = nullptr;
    QLabel* caption = nullptr;
    QLineEdit* line = nullptr;
    QPlainTextEdit* text = nullptr;
    QComboBox* combo = nullptr;
    QToolButton* button = nullptr;
    int entries = 0;      // drop-down: items of the value list (a value shown as stored comes after)
    bool dirty = false;   // changed by the user since the last write
    bool editing = false; // before edit has let the user's edit begin

    QWidget* editor() const
    {
        if (line)
            return line;
        if (text)
            return text;
        return combo;
    }
};

struct CardGrid::Card {
    QFrame* frame = nullptr;
    QLabel* header = nullptr;
    std::vector<Cell> cells;
};

CardGrid::CardGrid(std::span<const GridColumn> columns, GridRowSource& rows, QWidget* parent)
    : QScrollArea(parent), columns_(columns.begin(), columns.end()), rows_(rows)
{
    visible_.reserve(columns_.size());
    for (const GridColumn& c : columns_)
        visible_.push_back(!c.hidden);
    body_ = new QWidget;
    body_->setObjectName("cards");
    auto* layout = new QVBoxLayout(body_);
    layout->setSpacing(CardSpacing);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addStretch(1);
    setWidget(body_);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);

    const QFontMetrics fm(headerFont());
    for (const GridColumn& c : columns_)
        captionWidth_ = std::max(captionWidth_, fm.horizontalAdvance(qs(c.caption)) + 12);
    captionWidth_ = std::min(captionWidth_, 280);
    setMinimumWidth(captionWidth_ + CellWidth);
}

CardGrid::~CardGrid() = default;

// ---- Columns

void CardGrid::setColumnVisible(int c, bool visible)
{
    if (c >= 1 && c <= columnCount())
        setColumnsVisible(std::span<const bool>(&visible, 1), c);
}

void CardGrid::setColumnsVisible(std::span<const bool> visible) { setColumnsVisible(visible, 1); }

void CardGrid::setColumnsVisible(std::span<const bool> visible, int first)
{
    bool changed = false;
    for (std::size_t i = 0; i < visible.size() && first + static_cast<int>(i) <= columnCount(); ++i) {
        const std::size_t c = static_cast<std::size_t>(first - 1) + i;
        if (visible_[c] == visible[i])
            continue;
        visible_[c] = visible[i];
        changed = true;
        for (auto& card : cards_)
            card->cells[c].strip->setVisible(visible[i]);
    }
    // The stripes follow the cells shown.
    if (changed)
        restripe();
}

bool CardGrid::columnVisible(int c) const
{
    return c >= 1 && c <= columnCount() && visible_[static_cast<std::size_t>(c - 1)];
}

// ---- Cards

void CardGrid::setCardCaption(const std::string& text, int column)
{
    captionText_ = text;
    captionColumn_ = column;
    for (std::size_t r = 0; r < cards_.size(); ++r)
        cards_[r]->header->setText(qs(cardCaption(static_cast<int>(r) + 1)));
}

std::string CardGrid::cardCaption(int row) const
{
    std::string caption = captionText_;
    if (captionColumn_ >= 1 && captionColumn_ <= columnCount() && row >= 1 && row <= itemCount())
        caption += rows_.value(row, captionColumn_);
    return caption;
}

void CardGrid::setItemCount(int n)
{
    n = std::max(n, 0);
    while (itemCount() > n) {
        delete cards_.back()->frame;
        cards_.pop_back();
    }
    if (currentRow_ > n)
        currentRow_ = currentColumn_ = 0;
    while (itemCount() < n) {
        makeCard(itemCount() + 1);
        load(itemCount());
    }
    restripe();
    // A card and the vertical scroll bar fit side by side.
    setMinimumWidth(body_->minimumSizeHint().width() + verticalScrollBar()->sizeHint().width() + 2 * frameWidth());
}

CardGrid::Card& CardGrid::makeCard(int row)
{
    auto card = std::make_unique<Card>();
    card->frame = new QFrame(body_);
    card->frame->setObjectName(QString("card%1").arg(row));
    card->frame->setFrameShape(QFrame::Box);
    auto* layout = new QVBoxLayout(card->frame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    card->header = new QLabel(card->frame);
    card->header->setObjectName("cardCaption");
    paintHeader(card->header);
    QFont bold = card->header->font();
    bold.setBold(true);
    card->header->setFont(bold);
    card->header->setFixedHeight(HeaderHeight);
    card->header->setContentsMargins(6, 0, 6, 0);
    layout->addWidget(card->header);

    card->cells.resize(columns_.size());
    for (int c = 1; c <= columnCount(); ++c) {
        Cell& cell = card->cells[static_cast<std::size_t>(c - 1)];
        cell.row = row;
        cell.column = c;
        makeCell(cell, card->frame);
        layout->addWidget(cell.strip);
    }
    auto* bodyLayout = static_cast<QVBoxLayout*>(body_->layout());
    bodyLayout->insertWidget(bodyLayout->count() - 1, card->frame);
    cards_.push_back(std::move(card));
    return *cards_.back();
}

void CardGrid::makeCell(Cell& cell, QWidget* card)
{
    const int row = cell.row;
    const int c = cell.column;
    const GridColumn& col = column(c);
    cell.strip = new QWidget(card);
    cell.strip->setAutoFillBackground(true);
    auto* line = new QHBoxLayout(cell.strip);
    line->setContentsMargins(0, 1, 2, 1);
    line->setSpacing(2);
    cell.caption = new QLabel(qs(col.caption), cell.strip);
    cell.caption->setObjectName(qs(col.key) + "Caption");
    paintHeader(cell.caption);
    cell.caption->setFixedWidth(captionWidth_);
    cell.caption->setContentsMargins(4, 0, 4, 0);
    cell.caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (!col.tooltip.empty())
        cell.caption->setToolTip(qs(col.tooltip));
    cell.caption->installEventFilter(this);
    line->addWidget(cell.caption);

    QWidget* editor = nullptr;
    if (col.edit == EditKind::DropDown) {
        cell.combo = new QComboBox(cell.strip);
        for (const ValueChoice& v : col.values)
            cell.combo->addItem(qs(v.shown), qs(v.stored));
        cell.entries = cell.combo->count();
        cell.combo->setFocusPolicy(Qt::StrongFocus);
        connect(cell.combo, &QComboBox::activated, this, [this, row, c](int index) {
            if (Cell* x = cellAt(row, c))
                picked(*x, index);
        });
        editor = cell.combo;
    } else if (col.multiLine() && col.edit == EditKind::Text) {
        cell.text = new QPlainTextEdit(cell.strip);
        cell.text->setLineWrapMode(col.wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        cell.text->setTabChangesFocus(true);
        cell.text->setAcceptDrops(false);
        // Its clicks arrive at the viewport.
        cell.text->viewport()->installEventFilter(this);
        cell.text->viewport()->setProperty("qmCell", QVariant::fromValue<QObject*>(cell.text));
        connect(cell.text, &QPlainTextEdit::textChanged, this, [this, row, c] {
            if (Cell* x = cellAt(row, c))
                textChanged(*x);
        });
        editor = cell.text;
    } else {
        cell.line = new QLineEdit(cell.strip);
        cell.line->setReadOnly(col.edit == EditKind::ReadOnly);
        cell.line->setAcceptDrops(false);
        connect(cell.line, &QLineEdit::textEdited, this, [this, row, c] {
            if (Cell* x = cellAt(row, c))
                textChanged(*x);
        });
        connect(cell.line, &QLineEdit::returnPressed, this, [this, row, c] {
            if (Cell* x = cellAt(row, c))
                commit(*x);
        });
        editor = cell.line;
    }
    editor->setObjectName(qs(col.key));
    editor->setFont(cellFont());
    editor->setMinimumWidth(CellWidth);
    editor->setProperty("qmRow", row);
    editor->setProperty("qmColumn", c);
    editor->installEventFilter(this);
    line->addWidget(editor, 1);
    if (col.button) {
        cell.button = new QToolButton(cell.strip);
        cell.button->setObjectName(qs(col.key) + "Button");
        cell.button->setText("...");
        cell.button->setToolTip(qs(col.caption));
        connect(cell.button, &QToolButton::clicked, this, [this, row, c] {
            if (cellButton_)
                cellButton_(row, c);
        });
        line->addWidget(cell.button, 0, Qt::AlignTop);
    }
    cell.strip->setVisible(visible_[static_cast<std::size_t>(c - 1)]);
}

bool CardGrid::reRead()
{
    commitEdit();
    bool whole = true;
    for (int r = 1; r <= itemCount(); ++r)
        whole = load(r) && whole;
    return whole;
}

bool CardGrid::load(int row)
{
    Card& card = *cards_[static_cast<std::size_t>(row - 1)];
    bool whole = true;
    for (Cell& cell : card.cells) {
        // A refused value stays for the user to mend.
        if (cell.dirty)
            whole = false;
        else
            load(cell, rows_.value(row, cell.column));
    }
    card.header->setText(qs(cardCaption(row)));
    return whole;
}

void CardGrid::load(Cell& cell, const std::string& value)
{
    loading_ = true;
    cell.dirty = false;
    if (cell.line) {
        cell.line->setText(qs(value));
        cell.line->setCursorPosition(0);
    } else if (cell.text) {
        cell.text->setPlainText(shownLines(value));
        fitLines(cell);
    } else if (cell.combo) {
        while (cell.combo->count() > cell.entries)
            cell.combo->removeItem(cell.combo->count() - 1);
        const QString stored = qs(value);
        int index = -1;
        for (int i = 0; i < cell.entries && index < 0; ++i)
            if (cell.combo->itemData(i).toString() == stored)
                index = i;
        if (index < 0) {
            cell.combo->addItem(stored, stored);
            index = cell.combo->count() - 1;
        }
        cell.combo->setCurrentIndex(index);
    }
    loading_ = false;
}

bool CardGrid::commitEdit()
{
    bool any = false;
    for (auto& card : cards_)
        for (Cell& cell : card->cells)
            if (cell.dirty && commit(cell))
                any = true;
    return any;
}

bool CardGrid::commit(Cell& cell)
{
    if (!cell.dirty) {
        cell.editing = false;
        return true;
    }
    std::string value;
    if (cell.line)
        value = str(cell.line->text());
    else if (cell.text)
        value = qm::profile::storedValue(str(cell.text->toPlainText()));
    const int row = cell.row;
    const int column = cell.column;
    if (beforeUpdate_) {
        // The refusal's box takes the focus from the cell: that is no new offer.
        if (offering_)
            return false;
        offering_ = true;
        const bool accepted = beforeUpdate_(row, column, value);
        offering_ = false;
        if (!accepted)
            return false;
    }
    if (Cell* again = cellAt(row, column)) {
        again->editing = false;
        again->dirty = false;
    }
    rows_.setValue(row, column, value);
    if (editEnded_)
        editEnded_(row, column);
    return true;
}

void CardGrid::textChanged(Cell& cell)
{
    if (loading_ || column(cell.column).edit == EditKind::ReadOnly)
        return;
    cell.dirty = true;
    if (textLimit_ <= 0)
        return;
    const std::string now = cell.line ? str(cell.line->text()) : str(cell.text->toPlainText());
    if (now.size() <= static_cast<std::size_t>(textLimit_))
        return;
    // What does not fit is dropped; the cursor goes to the end of what stays.
    const QString kept = qs(qm::profile::cutUtf8(now, static_cast<std::size_t>(textLimit_)));
    loading_ = true;
    if (cell.line) {
        cell.line->setText(kept);
    } else {
        cell.text->setPlainText(kept);
        cell.text->moveCursor(QTextCursor::End);
    }
    loading_ = false;
    if (cell.text)
        fitLines(cell);
}

void CardGrid::picked(Cell& cell, int index)
{
    if (loading_ || index < 0)
        return;
    cell.editing = false;
    const int row = cell.row;
    const int column = cell.column;
    rows_.setValue(row, column, str(cell.combo->itemData(index).toString()));
    if (editEnded_)
        editEnded_(row, column);
}

void CardGrid::fitLines(Cell& cell)
{
    const GridColumn& col = column(cell.column);
    int lines = cell.text->document()->blockCount();
    lines = std::clamp(lines, std::max(col.minLines, 1), std::max(col.lines, col.minLines));
    const QFontMetrics fm(cell.text->font());
    const int frame = cell.text->frameWidth() * 2 + static_cast<int>(cell.text->document()->documentMargin() * 2);
    cell.text->setFixedHeight(lines * fm.lineSpacing() + frame + 2);
}

void CardGrid::restripe()
{
    for (auto& card : cards_) {
        int n = 0;
        for (Cell& cell : card->cells) {
            if (!visible_[static_cast<std::size_t>(cell.column - 1)])
                continue;
            const QColor back = (n++ % 2 == 0) ? OddRow : EvenRow;
            QPalette p = cell.strip->palette();
            p.setColor(QPalette::Window, back);
            cell.strip->setPalette(p);
            if (QWidget* e = cell.editor()) {
                QPalette ep = e->palette();
                ep.setColor(QPalette::Base, back);
                ep.setColor(QPalette::Button, back);
                e->setPalette(ep);
            }
        }
    }
}

// ---- The current cell

void CardGrid::setCurrentColumn(int c)
{
    const int row = currentRow_ > 0 ? currentRow_ : 1;
    Cell* cell = cellAt(row, c);
    if (!cell)
        return;
    makeCurrent(row, c);
    if (QWidget* e = cell->editor()) {
        e->setFocus(Qt::OtherFocusReason);
        ensureWidgetVisible(cell->strip);
    }
}

void CardGrid::makeCurrent(int row, int column)
{
    if (row == currentRow_ && column == currentColumn_)
        return;
    currentRow_ = row;
    currentColumn_ = column;
    if (currentChanged_)
        currentChanged_(row, column);
}

void CardGrid::setInputLocked(bool locked)
{
    locked_ = locked;
    body_->setEnabled(!locked);
}

// ---- Edits

bool CardGrid::begin(Cell& cell)
{
    if (cell.editing || column(cell.column).edit == EditKind::ReadOnly)
        return true;
    makeCurrent(cell.row, cell.column);
    if (beforeEdit_ && !beforeEdit_(cell.row, cell.column))
        return false;
    // The notification may have re-built the cards; the cell is looked up again.
    if (Cell* again = cellAt(cell.row, cell.column))
        again->editing = true;
    return true;
}

bool CardGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* label = qobject_cast<QLabel*>(watched)) {
        // A click on a caption makes its cell current.
        if (event->type() == QEvent::MouseButtonPress)
            for (auto& card : cards_)
                for (Cell& cell : card->cells)
                    if (cell.caption == label && cell.editor()) {
                        makeCurrent(cell.row, cell.column);
                        cell.editor()->setFocus(Qt::MouseFocusReason);
                    }
        return QScrollArea::eventFilter(watched, event);
    }
    Cell* cell = cellOf(watched);
    if (!cell)
        return QScrollArea::eventFilter(watched, event);
    QPointer<QObject> alive(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        makeCurrent(cell->row, cell->column);
        break;
    case QEvent::FocusOut:
        // A pop-up (a drop-down's list, a context menu) keeps the edit open.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            commit(*cell);
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool edits = cell->combo ? editsChoice(key) : editsText(key, cell->text != nullptr);
        if (edits && !begin(*cell))
            return true;
        if (!alive)
            return true;
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!begin(*cell) || !alive)
            return true;
        break;
    case QEvent::Wheel:
        // The wheel scrolls the cards; it never changes a drop-down's choice.
        if (cell->combo) {
            QApplication::sendEvent(verticalScrollBar(), event);
            return true;
        }
        break;
    default:
        break;
    }
    return QScrollArea::eventFilter(watched, event);
}

CardGrid::Cell* CardGrid::cellAt(int row, int column) const
{
    if (row < 1 || row > itemCount() || column < 1 || column > columnCount())
        return nullptr;
    return &cards_[static_cast<std::size_t>(row - 1)]->cells[static_cast<std::size_t>(column - 1)];
}

CardGrid::Cell* CardGrid::cellOf(QObject* watched) const
{
    if (QObject* owner = watched->property("qmCell").value<QObject*>())
        watched = owner;
    const QVariant row = watched->property("qmRow");
    const QVariant column = watched->property("qmColumn");
    if (!row.isValid() || !column.isValid())
        return nullptr;
    Cell* cell = cellAt(row.toInt(), column.toInt());
    return cell && cell->editor() == watched ? cell : nullptr;
}

// ---- Widgets

QWidget* CardGrid::cellEditor(int row, int column) const
{
    Cell* cell = cellAt(row, column);
    return cell ? cell->editor() : nullptr;
}

QToolButton* CardGrid::cellButton(int row, int column) const
{
    Cell* cell = cellAt(row, column);
    return cell ? cell->button : nullptr;
}

QLabel* CardGrid::captionLabel(int row, int column) const
{
    Cell* cell = cellAt(row, column);
    return cell ? cell->caption : nullptr;
}

std::string CardGrid::cellText(int row, int column) const
{
    Cell* cell = cellAt(row, column);
    if (!cell)
        return {};
    if (cell->line)
        return str(cell->line->text());
    if (cell->text)
        return str(cell->text->toPlainText());
    return str(cell->combo->currentText());
}

} // namespace qm::ui
