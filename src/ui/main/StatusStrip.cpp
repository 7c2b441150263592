#include "StatusStrip.h"

#include <QHBoxLayout>
#include <QLabel>

StatusStrip::StatusStrip(QWidget *parent)
    : QFrame(parent), row_(new QHBoxLayout(this)), hints_(new QLabel(this))
{
    setFrameShape(QFrame::StyledPanel);
    row_->setContentsMargins(8, 0, 4, 0);
    hints_->setObjectName(QStringLiteral("lblHintCount"));
    row_->addWidget(hints_);
    row_->addStretch(1);
}

void StatusStrip::SetHintCount(const QString &text)
{
    hints_->setText(text);
    hints_->setAccessibleName(text);
}

void StatusStrip::SetNotice(QWidget *notice)
{
    row_->addWidget(notice);
}
