#include "HintMarks.h"

#include "AttachList.h"
#include "StatusStrip.h"
#include "ui/common/FieldEvents.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStyle>

#include <algorithm>

namespace {
// F8 walks the fields in the window's tab order, then the rows.
constexpr FieldRef kWalk[] = {
    {Field::MachineName},    {Field::Stroke, 0},     {Field::Stroke, 1},     {Field::Stroke, 2},
    {Field::ToolChangeTime}, {Field::MaxFeedAll},    {Field::MaxFeed, 0},    {Field::MaxFeed, 1},
    {Field::MaxFeed, 2},     {Field::MaxAccel, 0},   {Field::MaxAccel, 1},   {Field::MaxAccel, 2},
    {Field::RapidFeed, 0},   {Field::RapidFeed, 1},  {Field::RapidFeed, 2},  {Field::RapidAccel, 0},
    {Field::RapidAccel, 1},  {Field::RapidAccel, 2}, {Field::IniAttachment},
};
}  // namespace

HintMarks::HintMarks(Document &document, const AppState &state, const FieldBox &fieldBox,
                     AttachList *list, AttachmentRows *rows, StatusStrip *strip,
                     FieldEvents &fields, QWidget &window)
    : QObject(&window), document_(document), state_(state), list_(list), rows_(rows), strip_(strip),
      fields_(fields)
{
    // A sign of its own, not a colour: it shows at every scale and in a dark
    // palette, just right of the field, where the window leaves room.
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    constexpr int kSign = 12;
    for (const FieldRef field : kWalk) {
        QLineEdit *box = fieldBox(field);
        auto *sign = new QLabel(box->parentWidget());
        sign->setObjectName(box->objectName() + QStringLiteral("_hint"));
        sign->setPixmap(icon.pixmap(kSign, kSign));
        const QRect at = box->geometry();
        sign->setGeometry(at.right() + 2, at.center().y() - kSign / 2, kSign, kSign);
        sign->hide();
        marks_.push_back({box, sign, int(WriterIndex(field)), QString()});
    }
    for (const auto &[key, back] : {std::pair{Qt::Key_F8, false}, std::pair{Qt::Key_F8, true}}) {
        auto *shortcut = new QShortcut(QKeySequence(back ? Qt::SHIFT | key : key), &window);
        connect(shortcut, &QShortcut::activated, this, [this, back = back] { Next(back); });
    }
    // Once per step, undo, redo, load or save: a run of the rules takes a
    // millisecond at 32767 attachments.
    connect(&document, &Document::TableChanged, this, &HintMarks::Update);
}

void HintMarks::Update()
{
    HintOptions options;
    options.off = state_.settings.HintsOff;
    const std::vector<Hint> hints = FindHints(document_.Table(), document_.Attachments(), options);
    QHash<int, QString> fieldHints, rowHints;
    for (const Hint &hint : hints) {
        const QString text = HintText(state_.messages(hint.message), hint);
        QString &to =
            hint.slot >= 0 ? rowHints[hint.slot] : fieldHints[int(WriterIndex(hint.field))];
        to += (to.isEmpty() ? QString() : QStringLiteral("\n")) + text;
    }
    for (Mark &mark : marks_) {
        mark.hint = fieldHints.value(mark.field);
        mark.sign->setVisible(!mark.hint.isEmpty());
        mark.sign->setToolTip(mark.hint);
        mark.box->setToolTip(mark.hint);
        mark.box->setAccessibleDescription(mark.hint);
    }
    rows_->SetHints(rowHints);
    strip_->SetHintCount(hints.empty() ? state_.messages(Msg::NoHints)
                                       : state_.messages(Msg::HintCount).arg(hints.size()));
}

int HintMarks::Here() const
{
    QWidget *focus = QApplication::focusWidget();
    if (focus == list_)
        return int(marks_.size()) + list_->currentIndex().row();
    for (std::size_t i = 0; i < marks_.size(); ++i)
        if (marks_[i].box == focus)
            return int(i);
    return -1;
}

void HintMarks::Next(bool back)
{
    if (!fields_.Commit())
        return;
    std::vector<int> places;  // marked fields, then marked rows, in order
    for (std::size_t i = 0; i < marks_.size(); ++i)
        if (!marks_[i].hint.isEmpty())
            places.push_back(int(i));
    for (int row : rows_->HintedRows())
        places.push_back(int(marks_.size()) + row);
    if (places.empty())
        return;
    const int here = Here();
    int to = back ? places.back() : places.front();  // wrapping round
    if (back) {
        const auto before = std::lower_bound(places.begin(), places.end(), here);
        if (before != places.begin() && here >= 0)
            to = *(before - 1);
    } else if (const auto after = std::upper_bound(places.begin(), places.end(), here);
               after != places.end()) {
        to = *after;
    }
    if (to < int(marks_.size())) {
        marks_[std::size_t(to)].box->setFocus(Qt::ShortcutFocusReason);
        marks_[std::size_t(to)].box->selectAll();
        return;
    }
    list_->setCurrentIndex(rows_->index(to - int(marks_.size())));
    list_->setFocus(Qt::ShortcutFocusReason);
}
