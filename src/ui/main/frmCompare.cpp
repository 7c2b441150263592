#include "frmCompare.h"

#include "model/SlotOrder.h"
#include "platform/FileSystem.h"
#include "ui/common/Warn.h"
#include "ui/common/WindowSetup.h"
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/PictureBox.h"
#include "ui/main/FileQuestions.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <map>
#include <set>

using Kind = TableDifference::Kind;
using Part = TableDifference::Part;

namespace {
// A message's number goes where its "%1" is, after the text where it has none.
QString WithNumber(const QString &text, int number)
{
    return text.contains(QStringLiteral("%1")) ? text.arg(number)
                                               : text + u' ' + QString::number(number);
}

// What a row is about, to find it again in a list made anew.
QString Identity(const TableDifference &d)
{
    return DifferenceKey(d) +
           QStringLiteral("|%1|%2|%3").arg(int(d.kind)).arg(int(d.part)).arg(d.stage);
}

}  // namespace

// The differences as rows: what, this window's side, the other file's.
class DifferenceRows : public QAbstractTableModel {
public:
    DifferenceRows(const Comparison &comparison, const MessageTable &messages, QObject *parent)
        : QAbstractTableModel(parent), comparison_(comparison), messages_(messages)
    {
    }
    void Renew()
    {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(comparison_.Differences().size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return QVariant();
        const TableDifference &d = comparison_.Differences()[std::size_t(index.row())];
        switch (index.column()) {
        case 0: return Item(d);
        case 1: return Side(d, d.a, Kind::OnlyInB);
        default: return Side(d, d.b, Kind::OnlyInA);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QVariant();
        const Msg heads[] = {Msg::CompareItem, Msg::ThisWindow,
                             comparison_.OwnFile() ? Msg::OwnFileOnDisk : Msg::OtherFile};
        return messages_(heads[std::clamp(section, 0, 2)]);
    }

private:
    QString Item(const TableDifference &d) const
    {
        const QString key = DifferenceKey(d);
        switch (d.part) {
        case Part::Shape: return key + u' ' + messages_(Msg::PartShape);
        case Part::ShapeNumber: return key + u' ' + messages_(Msg::PartShapeNumber);
        case Part::Width:
            return key + u' ' + WithNumber(messages_(Msg::PartStageWidth), d.stage + 1);
        case Part::Height:
            return key + u' ' + WithNumber(messages_(Msg::PartStageHeight), d.stage + 1);
        case Part::Name: return key + u' ' + messages_(Msg::PartName);
        case Part::None: break;
        }
        return key;
    }
    // An attachment on one side only shows its line there; names lose their padding.
    QString Side(const TableDifference &d, const QString &text, Kind absent) const
    {
        if (d.kind == absent)
            return messages_(Msg::NotInFile);
        QString shown = text.trimmed();
        if (d.kind == Kind::OnlyInA || d.kind == Kind::OnlyInB)
            shown = shown.mid(shown.indexOf(u'=') + 1).trimmed();
        return shown.isEmpty() ? messages_(Msg::NotSet) : shown;
    }

    const Comparison &comparison_;
    const MessageTable &messages_;
};

namespace {
QPushButton *Button(const MessageTable &messages, Msg caption, QWidget *parent)
{
    auto *button = new QPushButton(messages(caption), parent);
    button->setAccessibleName(button->text());
    return button;
}

QLabel *OutlineCaption(const QString &text, PictureBox *picture, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(picture);
    return label;
}
}  // namespace

frmCompare::frmCompare(Document &document, FileQuestions &questions, Dialogs &dialogs,
                       const MessageTable &messages, Hooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Window), document_(document), questions_(questions), dialogs_(dialogs),
      messages_(messages), hooks_(std::move(hooks)), comparison_(document),
      rows_(new DifferenceRows(comparison_, messages, this)), list_(new QTreeView(this)),
      thisName_(new QLabel(this)), otherCaption_(new QLabel(this)), otherName_(new QLabel(this)),
      otherLines_(new QLabel(this)), count_(new QLabel(this)), thisOutline_(new PictureBox(this)),
      otherOutline_(new PictureBox(this)),
      otherOutlineCaption_(OutlineCaption(QString(), otherOutline_, this)),
      ownFile_(Button(messages, Msg::CompareOwnFile, this))
{
    setObjectName(QStringLiteral("frmCompare"));
    resize(760, 540);
    SetUpList();
    auto *layout = new QVBoxLayout(this);
    auto *sides = new QFormLayout;
    sides->addRow(new QLabel(messages(Msg::ThisWindow), this), thisName_);
    sides->addRow(otherCaption_, otherName_);
    // A side read from lines a load changes or drops is not what the file
    // says: the window tells which, as the load notice would.
    otherLines_->setObjectName(QStringLiteral("lblOtherLines"));
    otherLines_->setWordWrap(true);
    sides->addRow(otherLines_);
    for (QLabel *name : {thisName_, otherName_, otherLines_})
        name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addLayout(sides);
    layout->addWidget(list_, 1);
    layout->addLayout(Outlines());
    count_->setObjectName(QStringLiteral("lblCount"));
    layout->addWidget(count_);
    layout->addLayout(Buttons());
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    connect(&comparison_, &Comparison::Updated, this, &frmCompare::Follow);
    connect(&comparison_, &Comparison::Ended, this, &QWidget::close);
    SetUpWindow(*this, messages);
    // Two pictures: each named for its side.
    for (const auto &[picture, side] :
         {std::pair{thisOutline_, Msg::ThisWindow}, std::pair{otherOutline_, Msg::OtherFile}})
        picture->setAccessibleName(messages(Msg::OutlineName) + QStringLiteral(" - ") +
                                   messages(side));
}

frmCompare::~frmCompare()
{
    // The list asks its rows, and they the comparison, until it is gone: both go
    // before the comparison does.
    delete list_;
    delete rows_;
}

void frmCompare::SetUpList()
{
    list_->setObjectName(QStringLiteral("lstDifferences"));
    list_->setModel(rows_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setAccessibleName(messages_(Msg::DifferenceList));
    list_->header()->resizeSection(0, 260);
    list_->header()->resizeSection(1, 220);
    connect(list_, &QTreeView::activated, this, &frmCompare::Activate);
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmCompare::Remember);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmCompare::Remember);
}

QLayout *frmCompare::Outlines()
{
    thisOutline_->setObjectName(QStringLiteral("pictThis"));
    otherOutline_->setObjectName(QStringLiteral("pictOther"));
    auto *outlines = new QHBoxLayout;
    for (const auto &[caption, picture] :
         {std::pair{OutlineCaption(messages_(Msg::ThisWindow), thisOutline_, this), thisOutline_},
          std::pair{otherOutlineCaption_, otherOutline_}}) {
        auto *column = new QVBoxLayout;
        picture->setMinimumSize(200, 150);
        picture->SetBackColor(QColor(0xE0, 0xE0, 0xE0));
        column->addWidget(caption);
        column->addWidget(picture, 1);
        outlines->addLayout(column);
    }
    return outlines;
}

QLayout *frmCompare::Buttons()
{
    auto *otherFile = Button(messages_, Msg::CompareOtherFile, this);
    take_ = Button(messages_, Msg::TakeOver, this);
    take_->setEnabled(false);  // until rows are chosen
    auto *close = Button(messages_, Msg::CloseButton, this);
    ownFile_->setObjectName(QStringLiteral("btnOwnFile"));
    take_->setObjectName(QStringLiteral("btnTakeOver"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(otherFile);
    buttons->addWidget(ownFile_);
    buttons->addStretch();
    buttons->addWidget(take_);
    buttons->addWidget(close);
    connect(otherFile, &QPushButton::clicked, this, &frmCompare::ChooseAndCompare);
    connect(ownFile_, &QPushButton::clicked, this, &frmCompare::CompareOwnFile);
    connect(take_, &QPushButton::clicked, this, &frmCompare::TakeOver);
    setTabOrder(otherFile, ownFile_);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    return buttons;
}

void frmCompare::ChooseAndCompare()
{
    const QString chosen = hooks_.chooseFile ? hooks_.chooseFile() : QString();
    if (!chosen.isEmpty())
        Open(comparison_.Read(chosen));
}

void frmCompare::CompareOwnFile()
{
    Open(comparison_.ReadOwnFile());
}

void frmCompare::Open(const LoadResult &result)
{
    if (!result.loaded) {
        questions_.ShowFileProblem(result.problem, result.reason, QString());
        return;
    }
    // First shown beside the main window where the screen has room, else at the
    // screen's right edge, so that the main window's fields stay in sight.
    if (!placed_ && parentWidget()) {
        placed_ = true;
        const QRect main = parentWidget()->frameGeometry();
        const QRect screen = parentWidget()->screen()->availableGeometry();
        move(std::min(main.right() + 1, screen.right() - frameGeometry().width()), main.top());
    }
    // A window beside the main one, not kept above it: a field shown there
    // from a row comes to the front with its window.
    createWinId();
    windowHandle()->setTransientParent(nullptr);
    show();
    raise();
    activateWindow();
    list_->setFocus(Qt::OtherFocusReason);
}

void frmCompare::Follow()
{
    // The rows the user chose stay chosen while the list is made anew, found
    // by what they are about; the current row stays where it was, or, when
    // it is gone, goes to the first row still chosen, whose outlines show.
    following_ = true;
    const int position = list_->currentIndex().row();
    rows_->Renew();
    const std::vector<TableDifference> &differences = comparison_.Differences();
    const int rows = int(differences.size());
    QItemSelection chosen;
    int current = -1, firstChosen = -1;
    for (int row = 0; !(chosen_.isEmpty() && current_.isEmpty()) && row < rows; ++row) {
        const QString identity = Identity(differences[std::size_t(row)]);
        if (chosen_.contains(identity)) {
            chosen.select(rows_->index(row, 0), rows_->index(row, 2));
            firstChosen = firstChosen < 0 ? row : firstChosen;
        }
        if (identity == current_)
            current = row;
    }
    list_->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
    if (current < 0)
        current = firstChosen;
    if (current < 0 && rows > 0)
        current = std::clamp(position, 0, rows - 1);
    if (current >= 0)
        list_->selectionModel()->setCurrentIndex(rows_->index(current, 0),
                                                 QItemSelectionModel::NoUpdate);
    following_ = false;
    Remember();

    const QString &name = document_.Current().Name();
    setWindowTitle(
        messages_(Msg::CompareTitle) +
        (name.isEmpty() ? QString() : QStringLiteral(" - ") + DisplayName(NameOf(name))));
    thisName_->setText(DisplayName(name));
    const Msg other = comparison_.OwnFile() ? Msg::OwnFileOnDisk : Msg::OtherFile;
    otherCaption_->setText(messages_(other));
    otherOutlineCaption_->setText(messages_(other));
    otherName_->setText(DisplayName(comparison_.OtherName()));
    const QStringList lines =
        comparison_.OwnFile() ? QStringList() : LinesFound(comparison_.OtherFindings());
    otherLines_->setText(WithNumber(messages_(Msg::OtherLinesNotKept), int(lines.size())) +
                         FirstLines(lines));
    otherLines_->setToolTip(lines.join(u'\n'));
    otherLines_->setVisible(!lines.isEmpty());
    count_->setText(rows > 0 ? WithNumber(messages_(Msg::DifferenceCount), rows)
                             : messages_(Msg::NoDifferences));
    // A file that is gone has nothing on disk to compare with; its going
    // makes the table unsaved, and so comes here.
    ownFile_->setEnabled(document_.Current().GetState() == CurrentFile::State::Loaded &&
                         !document_.Watch().Gone());
}

void frmCompare::Remember()
{
    if (following_)
        return;
    chosen_.clear();
    const std::vector<TableDifference> &differences = comparison_.Differences();
    for (const QModelIndex &index : list_->selectionModel()->selectedRows())
        chosen_.insert(Identity(differences[std::size_t(index.row())]));
    const QModelIndex current = list_->currentIndex();
    current_ = current.isValid() ? Identity(differences[std::size_t(current.row())]) : QString();
    take_->setEnabled(!chosen_.isEmpty());
    ShowOutlines();
}

void frmCompare::ShowOutlines()
{
    thisOutline_->Clear();
    otherOutline_->Clear();
    const QModelIndex index = list_->currentIndex();
    if (!index.isValid())
        return;
    const TableDifference &d = comparison_.Differences()[std::size_t(index.row())];
    if (d.slotA >= 0)
        AttachDraw(document_.Attachments()[std::size_t(d.slotA)], *thisOutline_);
    if (d.slotB >= 0)
        AttachDraw(comparison_.OtherAttachments()[std::size_t(d.slotB)], *otherOutline_);
}

void frmCompare::Activate(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const TableDifference &d = comparison_.Differences()[std::size_t(index.row())];
    // An attachment of the other file alone has nothing to show here.
    if (d.kind == Kind::OnlyInB)
        return;
    ChangeTarget target;
    target.attachment = d.kind != Kind::Value;
    target.field = d.field;
    target.number = d.number;
    target.slot = d.slotA;
    emit ShowInMain(target);
}

std::vector<std::size_t> frmCompare::RowsToTake()
{
    std::vector<std::size_t> rows;
    for (const QModelIndex &index : list_->selectionModel()->selectedRows())
        rows.push_back(std::size_t(index.row()));
    std::sort(rows.begin(), rows.end());
    // Nothing to ask when even every deletion would not make room.
    if (!comparison_.Fits(rows))
        return rows;
    // The attachments it deletes, asked about as Delete asks: the one mounted
    // at start on its own, the others together.
    std::map<bool, std::vector<std::size_t>> deleted;  // by whether it is the initial one
    std::set<int> slotsA;
    for (const std::size_t row : rows) {
        const TableDifference &d = comparison_.Differences()[row];
        if (d.kind == Kind::OnlyInA && slotsA.insert(d.slotA).second)
            deleted[d.number == document_.Table().IniAttachment].push_back(row);
    }
    for (const auto &entry : deleted) {
        const std::vector<std::size_t> &asked = entry.second;  // a lambda cannot name a binding
        QStringList keys;
        for (const std::size_t row : asked)
            keys << DifferenceKey(comparison_.Differences()[row]);
        constexpr qsizetype kNamed = 10;
        const QString named = keys.first(std::min(keys.size(), kNamed)).join(QStringLiteral(", ")) +
                              (keys.size() > kNamed ? QStringLiteral(", ...") : QString());
        const Msg question = entry.first ? Msg::DeleteInitialQuestion : Msg::DeleteQuestion;
        if (dialogs_.MsgBox(named + messages_(question), MsgButtons::YesNo, MsgIcon::Question) !=
            MsgAnswer::Yes)
            std::erase_if(rows, [&asked](std::size_t row) {
                return std::find(asked.begin(), asked.end(), row) != asked.end();
            });
    }
    return rows;
}

void frmCompare::TakeOver()
{
    // The main window's field in hand first: its commit may renew the list,
    // which keeps the rows chosen.
    if ((hooks_.commitField && !hooks_.commitField()) || chosen_.isEmpty())
        return;
    const std::vector<std::size_t> rows = RowsToTake();
    const Comparison::Taken taken = comparison_.TakeOver(rows, messages_(Msg::TakeOver));
    // Message 43 says that every slot is in use: where some are free, how
    // many the rows would need is said instead.
    if (taken == Comparison::Taken::OverLimit) {
        const int used = CountAttachments(document_.Attachments());
        if (used >= document_.AttachMaxCount())
            Warn(dialogs_, messages_, Msg::TableFull);
        else
            dialogs_.MsgBox(messages_(Msg::TakeOverRoom)
                                .arg(used)
                                .arg(document_.AttachMaxCount())
                                .arg(used + comparison_.Growth(rows)),
                            MsgButtons::Ok, MsgIcon::Exclamation);
    } else if (taken == Comparison::Taken::Done)
        emit TookOver();
}

void frmCompare::closeEvent(QCloseEvent *event)
{
    comparison_.Stop();
    rows_->Renew();
    QWidget::closeEvent(event);
}
