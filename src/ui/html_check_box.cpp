#include "ui/html_check_box.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>

namespace valdro::ui {

HtmlCheckBox::HtmlCheckBox(TextSide side, QWidget* parent)
    : QWidget(parent), box_(new QCheckBox(this)), label_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    label_->setTextFormat(Qt::RichText);
    label_->installEventFilter(this);
    if (side == TextSide::Left) {
        layout->addWidget(label_);
        layout->addWidget(box_);
        layout->addStretch(1);
    } else {
        layout->addWidget(box_);
        layout->addWidget(label_);
        layout->addStretch(1);
    }
    setFocusProxy(box_);
    connect(box_, &QCheckBox::clicked, this, [this] { emit Clicked(); });
}

QString HtmlCheckBox::ToQtRichText(const QString& caption) {
    // Qt's rich text has no bgcolor on FONT; a styled span draws the same thing.
    static const QRegularExpression open(
        QStringLiteral(R"re(<FONT\s+bgcolor\s*=\s*"([^"]*)"\s*>)re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression close(QStringLiteral(R"re(</FONT\s*>)re"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString html = caption;
    html.replace(open, QStringLiteral(R"re(<span style="background-color:\1">)re"));
    html.replace(close, QStringLiteral("</span>"));
    return html;
}

void HtmlCheckBox::SetCaption(const QString& caption) {
    caption_ = caption;
    label_->setText(ToQtRichText(caption));
    box_->setAccessibleName(label_->text().remove(QRegularExpression(QStringLiteral("<[^>]*>"))));
}

bool HtmlCheckBox::IsChecked() const {
    return box_->isChecked();
}

void HtmlCheckBox::SetChecked(bool checked) {
    box_->setChecked(checked);
}

bool HtmlCheckBox::eventFilter(QObject* watched, QEvent* event) {
    // A click on the caption toggles the box, as on an ordinary check box.
    if (watched == label_ && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && label_->rect().contains(me->position().toPoint())) {
            box_->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace valdro::ui
