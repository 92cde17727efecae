#include "ui/typed_length_limit.h"

#include <QLineEdit>
#include <algorithm>

namespace valdro::ui {

TypedLengthLimit::TypedLengthLimit(int limit, QLineEdit* edit)
    : QValidator(edit), limit_(limit), allowed_(limit), edit_(edit) {
    edit->setValidator(this);
}

QValidator::State TypedLengthLimit::validate(QString& input, int& /*pos*/) const {
    return input.size() <= allowed_ ? Acceptable : Invalid;
}

void TypedLengthLimit::SetText(const QString& text) {
    allowed_ = std::max<int>(limit_, static_cast<int>(text.size()));
    edit_->setText(text);
}

}  // namespace valdro::ui
